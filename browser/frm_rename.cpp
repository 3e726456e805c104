// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/frm_rename.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/settings.h"
#include "browser/dialog_state.h"
#include "platform/ui/path_text.h"
#include "platform/ui/qt_file_op_ui.h"
#include "platform/ui/twips.h"
#include "shellops/sh_file_lib.h"
#include "util/paths.h"

namespace corvelle {

frmRename::frmRename(QWidget* owner) : FolderDialog(owner, 4125, 1350) {
    setObjectName("frmRename");
    NoCaption();
    const PromptControls controls =
        BuildPrompt("txtFileName", QStringLiteral("ファイル名を入力して下さい"));
    txtFileName = controls.box;
    Label1 = controls.label;
    cmdOk = controls.ok;
    cmdCancel = controls.cancel;
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    txtFileName->setText(PathToQString(RenameSource));  // Form_Load
}

void frmRename::cmdOk_Click() {
    SettingsRecord& s = Settings();
    if (s.CurrentDirectory == RenameSource) {
        const std::string typed = QStringToPath(txtFileName->text());
        // Kept with its separator, as every current folder is: the history compares texts.
        if (ShFileRename(OwnerOf(this), s.CurrentDirectory, typed) == 0)
            s.CurrentDirectory = AddBackslash(typed);
    }
    accept();
}

void frmRename::cmdCancel_Click() {
    reject();
}

}  // namespace corvelle
