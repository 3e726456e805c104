// SPDX-License-Identifier: GPL-3.0-or-later
// The current local time as text, in a strftime format.
#pragma once

#include <string>

namespace corvelle {

std::string LocalTimeText(const char* format);

}  // namespace corvelle
