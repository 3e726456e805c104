// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/help_commands.h"

#include "build_config.h"
#include "platform/os/file_locations.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/shell_open.h"
#include "ui/frm_about.h"
#include "util/paths.h"

namespace corvelle {

std::string GuidePath(const std::string& programFolder) {
    return AddBackslash(programFolder) + "guide.pdf";
}

HelpCommands::HelpCommands(QWidget* owner) : QObject(owner), owner_(owner) {}

namespace {

// A menu that opens nothing must say so: without a viewer or browser it would look broken.
void OpenOrTell(QWidget* owner, const std::string& target, const std::string& shown) {
    std::string reason;
    if (ShellOpen(owner, "\"" + target + "\"", &reason) > 32)
        return;
    if (reason.empty())
        reason = "開くためのアプリケーションが見つからないか、起動できませんでした";
    MessageService::Show(shown + "を開けませんでした。\n" + target + "\n(" + reason + ")",
                         MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace

void HelpCommands::mnuHelpDoc_Click() {
    const std::string path = FindIn(CurrentFileLocations().guideFolders, "guide.pdf");
    if (path.empty()) {
        MessageService::Show("ドキュメントファイルが見つかりません", MsgIcon::Exclamation,
                             MsgButtons::Ok);
        return;
    }
    OpenOrTell(owner_, path, "ユーザーズガイド");
}

void HelpCommands::mnuHelpHomepage_Click() {
    OpenOrTell(owner_, build::kHomepageUrl, "作者ホームページ");
}

void HelpCommands::mnuHelpDonation_Click() {
    MessageService::Show(
        "本ソフトはフリーウェアですのでご自由にお使いいただけます。\n"
        "開発にご支援いただける場合には次に表示されるリンクからオンラインショッピング等をお願いし"
        "ます。",
        MsgIcon::None, MsgButtons::Ok);
    OpenOrTell(owner_, build::kDonationUrl, "寄付のページ");
}

void HelpCommands::mnuHelpAbout_Click() {
    frmAbout about(owner_);
    ShowModal(about);
}

}  // namespace corvelle
