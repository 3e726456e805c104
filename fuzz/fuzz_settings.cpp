// SPDX-License-Identifier: GPL-3.0-or-later
// The settings reader on any bytes: no crash, and what it reads, written and read again,
// reads the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "platform/os/message_service.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        MessageService::SetBackend([](const MessageRequest&) { return MsgAnswer::Ok; });
        return true;
    }();
    (void)quiet;
    SettingsRecord first;
    iniDataInit(first, 28800, 16200, "/");
    iniTextLoad(first, std::string(reinterpret_cast<const char*>(data), size));
    const std::string text = iniFileText(first);
    SettingsRecord second;
    iniDataInit(second, 28800, 16200, "/");
    if (iniTextLoad(second, text))
        std::abort();  // what the writer wrote must read without an error
    if (iniFileText(second) != text)
        std::abort();
    return 0;
}
