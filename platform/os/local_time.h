// The current local time as text, in a strftime format.
#pragma once

#include <string>

namespace corvelle {

std::string LocalTimeText(const char* format);

}  // namespace corvelle
