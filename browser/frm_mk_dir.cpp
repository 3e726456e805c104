// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/frm_mk_dir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "browser/dialog_state.h"
#include "platform/os/folders.h"
#include "platform/os/guarded_steps.h"
#include "platform/ui/path_text.h"
#include "platform/ui/twips.h"

namespace corvelle {

frmMkDir::frmMkDir(QWidget* owner) : FolderDialog(owner, 4140, 1335) {
    setObjectName("frmMkDir");
    NoCaption();
    const PromptControls controls =
        BuildPrompt("txtNewDirName", QStringLiteral("新しいフォルダ名を入力して下さい"));
    txtNewDirName = controls.box;
    Label1 = controls.label;
    cmdOk = controls.ok;
    cmdCancel = controls.cancel;
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmMkDir::cmdOk_Click() {
    const bool go = RunGuarded([this] {
        // Passed as typed; MkDirIn tells the user when it cannot make the folder.
        MkDirIn(MkDirParent, QStringToPath(txtNewDirName->text()));
        return Error{};
    });
    if (go)
        accept();
}

void frmMkDir::cmdCancel_Click() {
    reject();
}

}  // namespace corvelle
