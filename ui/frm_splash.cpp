#include "ui/frm_splash.h"

#include <QLabel>
#include <QVBoxLayout>

namespace corvelle {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Corvelle"), this);
    QFont f = title->font();
    f.setPointSize(24);
    title->setFont(f);
    layout->addWidget(title, 0, Qt::AlignCenter);
    resize(384, 200);
}

}  // namespace corvelle
