#include "browser/frm_mk_dir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "browser/dialog_state.h"
#include "platform/os/folders.h"
#include "platform/os/guarded_steps.h"
#include "platform/ui/twips.h"

namespace corvelle {

frmMkDir::frmMkDir(QWidget* owner) : FolderDialog(owner, 4140, 1335) {
    setObjectName("frmMkDir");
    setWindowTitle(QString());
    txtNewDirName = new QLineEdit(this);
    txtNewDirName->setObjectName("txtNewDirName");
    PlaceTw(txtNewDirName, {120, 360, 3855, 270});
    Label1 = PromptLabel("Label1", QStringLiteral("新しいフォルダ名を入力して下さい"),
                         {120, 120, 3855, 255});
    cmdOk = Button("cmdOk", QStringLiteral("OK"), {1560, 840, 1095, 375});
    cmdCancel = Button("cmdCancel", QStringLiteral("Cancel"), {2880, 840, 1095, 375});
    setTabOrder(txtNewDirName, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    EnterMovesFocus(txtNewDirName, cmdOk);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmMkDir::showEvent(QShowEvent* event) {
    FolderDialog::showEvent(event);
    txtNewDirName->setFocus();
}

void frmMkDir::cmdOk_Click() {
    const bool go = RunGuarded([this] {
        // Passed as typed; MkDirIn tells the user when it cannot make the folder.
        MkDirIn(MkDirParent, txtNewDirName->text().toLocal8Bit().toStdString());
        return Error{};
    });
    if (go)
        accept();
}

void frmMkDir::cmdCancel_Click() {
    reject();
}

}  // namespace corvelle
