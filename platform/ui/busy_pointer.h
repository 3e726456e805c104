// SPDX-License-Identifier: GPL-3.0-or-later
// The hourglass: one application-wide busy pointer, on or off (never stacked).
#pragma once

namespace corvelle {

void SetBusyPointer(bool busy);

}  // namespace corvelle
