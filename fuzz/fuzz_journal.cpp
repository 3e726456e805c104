// SPDX-License-Identifier: GPL-3.0-or-later
// The run-journal reader on any bytes: refused cleanly or parsed; a parsed journal written
// again reads back equal.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tidy/journal.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RunJournal j;
    if (const Error error =
            ParseJournal(std::string(reinterpret_cast<const char*>(data), size), j)) {
        if (ErrorMessage(error).empty())
            std::abort();  // a refusal always says why
        return 0;
    }
    const std::string text = FormatJournal(j);
    RunJournal again;
    if (ParseJournal(text, again) || FormatJournal(again) != text)
        std::abort();
    return 0;
}
