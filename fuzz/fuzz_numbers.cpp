// SPDX-License-Identifier: GPL-3.0-or-later
// The lenient and strict number readings on any text: no crash, results in range, and the
// writer's layout reads back as the number written.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "util/numbers.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)LenientValue(text);
    int64_t n = 0;
    if (!StrictInteger(text, -32768, 32767, n) && (n < -32768 || n > 32767))
        std::abort();
    if (!LenientInteger(text, -2147483648LL, 2147483647LL, n)) {
        int64_t back = 0;
        if (LenientInteger(FormatIniNumber(n), -2147483648LL, 2147483647LL, back) || back != n)
            std::abort();
    }
    bool b = false;
    (void)StrictBoolean(text, b);
    return 0;
}
