// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_splash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

#include "platform/ui/fonts.h"
#include "platform/ui/resources.h"
#include "platform/ui/twips.h"
#include "util/version_text.h"

namespace corvelle {
namespace {

QPointer<frmSplash>& Instance() {
    static QPointer<frmSplash> splash;
    return splash;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, const TwRect& r) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    PlaceTw(l, r);
    return l;
}

}  // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    EnsureResources();
    setObjectName("frmSplash");
    setWindowTitle(QString());
    setFixedSize(TwipsToPixelsX(6435, this), TwipsToPixelsY(2835, this));
    Frame1 = new QFrame(this);
    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::Box);
    PlaceTw(Frame1, {105, 0, 6225, 2715});
    Frame1->installEventFilter(this);
    // Positions inside the frame: the design gives them relative to the window.
    const TwRect frame{105, 0, 0, 0};
    auto in = [&](TwRect r) {
        r.left -= frame.left;
        return r;
    };
    imgLogo = Label(Frame1, "imgLogo", {}, in({170, 240, 5880, 1830}));
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/icons/logo-large.png")));
    imgLogo->setAlignment(Qt::AlignCenter);
    picLogo = Label(Frame1, "picLogo", {}, in({2040, 1680, 2415, 735}));
    picLogo->setPixmap(QPixmap(QStringLiteral(":/icons/logo-small.png")));
    picLogo->hide();
    lblCopyright = Label(Frame1, "lblCopyright", QStringLiteral("© 2026 Corvelle"),
                         in({240, 2160, 1695, 255}));
    lblCompany =
        Label(Frame1, "lblCompany", QStringLiteral("Corvelle Project"), in({240, 2400, 1575, 255}));
    lblVersion =
        Label(Frame1, "lblVersion", QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), in({3600, 2280, 2325, 285}));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = UiFont(12);
    f.setBold(true);
    lblVersion->setFont(f);
    // Form_Load
    lblVersion->setText(QString::fromStdString(ProgramVersionText()));
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void frmSplash::keyPressEvent(QKeyEvent*) {
    UnloadSplash();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    // A click on the frame's own surface; clicks on the image or a label reach the frame
    // too, and do not count.
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease &&
        !Frame1->childAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        UnloadSplash();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

frmSplash* LoadedSplash(bool load) {
    if (!Instance() && load)
        Instance() = new frmSplash;
    return Instance();
}

void UnloadSplash() {
    if (frmSplash* s = Instance()) {
        s->hide();
        s->deleteLater();
        Instance() = nullptr;
    }
}

}  // namespace corvelle
