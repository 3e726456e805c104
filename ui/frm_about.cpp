// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_about.h"

#include <QLabel>
#include <QPushButton>

#include "platform/os/message_service.h"
#include "platform/ui/twips.h"
#include "ui/frm_splash.h"
#include "util/version_text.h"

namespace corvelle {
namespace {

QLabel* Centred(QWidget* parent, const char* name, const QString& text, const TwRect& r) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(11.25);
    f.setBold(true);
    f.setItalic(true);
    l->setFont(f);
    PlaceTw(l, r);
    return l;
}

}  // namespace

frmAbout::frmAbout(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(TwipsToPixelsX(3210, this), TwipsToPixelsY(2505, this));
    picBanner = new QLabel(this);
    picBanner->setObjectName("picBanner");
    picBanner->setAlignment(Qt::AlignCenter);
    PlaceTw(picBanner, {120, 120, 2940, 915});
    lblApName = Centred(this, "lblApName", QStringLiteral("ApName"), {120, 1200, 2895, 255});
    lblVersion =
        Centred(this, "lblVersion", QStringLiteral("Version x.xx"), {120, 1440, 2895, 255});
    lblCopyright =
        Centred(this, "lblCopyright", QStringLiteral("© 2026 Corvelle"), {120, 1680, 2895, 255});
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName("cmdOk");
    PlaceTw(cmdOk, {1680, 2040, 1455, 375});
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    // Form_Load
    lblVersion->setText(QString::fromStdString(ProgramVersionText()));
    lblApName->setText(QString::fromUtf8(kProgramTitle));
    // The banner comes from the splash's hidden small logo; the splash is loaded (and stays
    // hidden) when start-up has already unloaded it.
    picBanner->setPixmap(LoadedSplash(true)->picLogo->pixmap());
    if (mainWindow)
        setWindowIcon(mainWindow->windowIcon());
}

}  // namespace corvelle
