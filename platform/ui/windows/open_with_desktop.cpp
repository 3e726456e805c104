// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/open_with_desktop.h"

#include <QWidget>

#include "platform/os/windows/win_base.h"

// clang-format off
#include <shellapi.h>  // needs windows.h first
// clang-format on

namespace corvelle {

bool OpenWithDesktop(QWidget* owner, const std::string& target) {
    // The shell's "open" verb: the associated viewer for a document, the browser for an
    // address. Above 32 is success.
    HWND window = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(window, L"open", win::Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace corvelle
