// SPDX-License-Identifier: GPL-3.0-or-later
// The clocks: the local time as text, and a monotonic clock for pacing work.
#pragma once

#include <string>

namespace corvelle {

// The current local time as text, in a strftime format.
std::string LocalTimeText(const char* format);
// A moment (seconds since the epoch) as local time text, in a strftime format.
std::string LocalTimeTextOf(long long seconds, const char* format);
// Milliseconds of a clock that never goes back (for intervals only).
long long MonotonicMs();

}  // namespace corvelle
