#include "ui/help_commands.h"

#include "build_config.h"
#include "platform/os/folders.h"
#include "platform/os/guarded_steps.h"
#include "platform/os/message_service.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/shell_open.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"
#include "util/paths.h"

namespace corvelle {

std::string GuidePath(const std::string& programFolder) {
    return AddBackslash(programFolder) + "guide.pdf";
}

HelpCommands::HelpCommands(frmMain& w) : QObject(&w), w_(w) {}

void HelpCommands::mnuHelpDoc_Click() {
    const std::string path = GuidePath(ProgramFolder());
    if (!FileExists(path)) {
        MessageService::Show("ドキュメントファイルが見つかりません", MsgIcon::Exclamation,
                             MsgButtons::Ok);
        return;
    }
    RunGuarded([&] {
        ShellOpen(&w_, "\"" + path + "\"");
        return Error{};
    });
}

void HelpCommands::mnuHelpHomepage_Click() {
    RunGuarded([&] {
        ShellOpen(&w_, build::kHomepageUrl);
        return Error{};
    });
}

void HelpCommands::mnuHelpDonation_Click() {
    MessageService::Show(
        "本ソフトはフリーウェアですのでご自由にお使いいただけます。\n"
        "開発にご支援いただける場合には次に表示されるリンクからオンラインショッピング等をお願いし"
        "ます。",
        MsgIcon::None, MsgButtons::Ok);
    RunGuarded([&] {
        ShellOpen(&w_, build::kDonationUrl);
        return Error{};
    });
}

void HelpCommands::mnuHelpAbout_Click() {
    frmAbout about(&w_);
    ShowModal(about);
}

}  // namespace corvelle
