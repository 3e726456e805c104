// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/qt_message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>

#include "platform/os/message_service.h"
#include "platform/ui/path_text.h"

namespace corvelle {
namespace {

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MsgButtons b) {
    switch (b) {
        case MsgButtons::Ok:
            return QMessageBox::Ok;
        case MsgButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case MsgButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgAnswer FromQt(int b) {
    switch (b) {
        case QMessageBox::Ok:
            return MsgAnswer::Ok;
        case QMessageBox::Abort:
            return MsgAnswer::Abort;
        case QMessageBox::Retry:
            return MsgAnswer::Retry;
        case QMessageBox::Ignore:
            return MsgAnswer::Ignore;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        default:
            return MsgAnswer::Cancel;
    }
}

}  // namespace

void WidenForTitle(QMessageBox& box) {
    // A short text ("検索完了!") makes a box too narrow for its own title: the window
    // manager then cuts "Corvelle" to "…". A spacer across the box keeps room for it.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QFontMetrics fm(QApplication::font("QMdiSubWindowTitleBar"));
    const int wanted = fm.horizontalAdvance(box.windowTitle()) + 160;  // buttons of the frame
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

std::unique_ptr<QMessageBox> MakeMessageBox(const MessageRequest& req) {
    auto box = std::make_unique<QMessageBox>(ToQt(req.icon), QString::fromUtf8(kProgramTitle),
                                             PathToQString(req.text), ToQt(req.buttons),
                                             QApplication::activeWindow());
    WidenForTitle(*box);
    return box;
}

void InstallQtMessageBoxes() {
    MessageService::SetBackend(
        [](const MessageRequest& req) { return FromQt(MakeMessageBox(req)->exec()); });
}

}  // namespace corvelle
