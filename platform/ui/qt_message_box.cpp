#include "platform/ui/qt_message_box.h"

#include <QApplication>
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

void InstallQtMessageBoxes() {
    MessageService::SetBackend([](const MessageRequest& req) {
        QMessageBox box(ToQt(req.icon), QString::fromUtf8(kProgramTitle), PathToQString(req.text),
                        ToQt(req.buttons), QApplication::activeWindow());
        return FromQt(box.exec());
    });
}

}  // namespace corvelle
