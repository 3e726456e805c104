// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/local_time.h"

#include <chrono>
#include <ctime>

namespace corvelle {

std::string LocalTimeTextOf(long long seconds, const char* format) {
    const __time64_t t = static_cast<__time64_t>(seconds);
    struct tm tm = {};
    _localtime64_s(&tm, &t);
    char buf[64];
    const size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

std::string LocalTimeText(const char* format) {
    return LocalTimeTextOf(static_cast<long long>(std::time(nullptr)), format);
}

long long MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace corvelle
