// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/open_with_desktop.h"

#include <QWidget>

#include "platform/os/windows/win_base.h"

// clang-format off
#include <shellapi.h>  // needs windows.h first
// clang-format on

namespace corvelle {

std::string OpenerExitReason(int code) {
    switch (code) {
        case SE_ERR_FNF:
            return "ファイルが見つかりません";
        case SE_ERR_PNF:
            return "パスが見つかりません";
        case SE_ERR_ACCESSDENIED:
            return "アクセスが拒否されました";
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE:
            return "開くためのアプリケーションが関連付けられていません";
        case 0:
        case SE_ERR_OOM:
            return "メモリが不足しています";
        default:
            return "開くためのアプリケーションが起動できませんでした (コード " +
                   std::to_string(code) + ")";
    }
}

bool OpenWithDesktop(QWidget* owner, const std::string& target, std::string& reason) {
    // The shell's "open" verb: the associated viewer for a document, the browser for an
    // address. Above 32 is success.
    HWND window = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(window, L"open", win::Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return true;
    reason = OpenerExitReason(static_cast<int>(result));
    return false;
}

}  // namespace corvelle
