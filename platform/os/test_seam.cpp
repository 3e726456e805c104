// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/test_seam.h"

namespace corvelle {
namespace {

SeamHook& Hook() {
    static SeamHook hook;
    return hook;
}

}  // namespace

void SetSeamHook(SeamHook hook) {
    Hook() = std::move(hook);
}

void Seam(const char* point, const std::string& item) {
    if (Hook())
        Hook()(point, item);
}

}  // namespace corvelle
