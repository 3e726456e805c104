// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: turns the user's guide (HTML) into guide.pdf with Qt's PDF writer.
//   make_guide SOURCE.html OUTPUT.pdf [IMAGES_FOLDER]
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_guide SOURCE.html OUTPUT.pdf\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_guide: cannot read %s\n", argv[1]);
        return 1;
    }
    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setTitle(QStringLiteral("Corvelle ユーザーズガイド"));
    pdf.setCreator(QStringLiteral("Corvelle"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    pdf.setResolution(300);
    QTextDocument doc;
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    // Pictures named in the guide come from the folder the screenshots were taken into.
    if (argc > 3) {
        const QDir images(QString::fromLocal8Bit(argv[3]));
        for (const QString& name : images.entryList({QStringLiteral("*.png")}, QDir::Files))
            doc.addResource(QTextDocument::ImageResource, QUrl(name),
                            QImage(images.filePath(name)));
    }
    doc.setHtml(QString::fromUtf8(source.readAll()));
    doc.print(&pdf);
    return 0;
}
