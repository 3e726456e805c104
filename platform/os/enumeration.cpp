// SPDX-License-Identifier: GPL-3.0-or-later
// The enumeration's test seam, the same on every system.
#include "platform/os/enumeration.h"

namespace corvelle {
namespace {

std::function<int(const std::string&)>& FailureHook() {
    static std::function<int(const std::string&)> hook;
    return hook;
}

}  // namespace

void SetEnumerationFailureHook(std::function<int(const std::string&)> hook) {
    FailureHook() = std::move(hook);
}

int EnumerationFailureFor(const std::string& folder) {
    return FailureHook() ? FailureHook()(folder) : 0;
}

}  // namespace corvelle
