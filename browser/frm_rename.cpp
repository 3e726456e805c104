#include "browser/frm_rename.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/settings.h"
#include "browser/dialog_state.h"
#include "platform/ui/twips.h"
#include "shellops/sh_file_lib.h"

namespace corvelle {

frmRename::frmRename(QWidget* owner) : FolderDialog(owner, 4125, 1350) {
    setObjectName("frmRename");
    setWindowTitle(QString());
    txtFileName = new QLineEdit(this);
    txtFileName->setObjectName("txtFileName");
    PlaceTw(txtFileName, {120, 360, 3855, 270});
    Label1 =
        PromptLabel("Label1", QStringLiteral("ファイル名を入力して下さい"), {120, 120, 3855, 255});
    cmdOk = Button("cmdOk", QStringLiteral("OK"), {1560, 840, 1095, 375});
    cmdCancel = Button("cmdCancel", QStringLiteral("Cancel"), {2880, 840, 1095, 375});
    setTabOrder(txtFileName, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    EnterMovesFocus(txtFileName, cmdOk);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    txtFileName->setText(QString::fromLocal8Bit(RenameSource));  // Form_Load
}

void frmRename::showEvent(QShowEvent* event) {
    FolderDialog::showEvent(event);
    txtFileName->setFocus();
}

void frmRename::cmdOk_Click() {
    SettingsRecord& s = Settings();
    if (s.CurrentDirectory == RenameSource) {
        const std::string typed = txtFileName->text().toLocal8Bit().toStdString();
        if (ShFileRename(reinterpret_cast<OwnerHandle>(this), s.CurrentDirectory, typed) == 0)
            s.CurrentDirectory = typed;
    }
    accept();
}

void frmRename::cmdCancel_Click() {
    reject();
}

}  // namespace corvelle
