// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: turns the user's guide (HTML) into guide.pdf with Qt's PDF writer. Two
// builds of one source give the same bytes: Qt's hashing (which picks fallback fonts) is fixed,
// and the creation date is SOURCE_DATE_EPOCH's when it is set.
//   make_guide SOURCE.html OUTPUT.pdf [IMAGES_FOLDER]
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>
#include <memory>

namespace {

// Qt writes "/CreationDate (D:YYYYMMDDHHmmSSZ)" in UTC: the same number of bytes with the
// given time, so no offset in the file moves.
bool StampCreationDate(const QString& file, qint64 epoch) {
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = f.readAll();
    const QByteArray key = "/CreationDate (D:";
    const qsizetype at = bytes.indexOf(key);
    const QByteArray stamp =
        QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC).toString("yyyyMMddHHmmss").toLatin1() +
        "Z)";
    if (at < 0 || bytes.mid(at + key.size() + 14, 2) != "Z)")
        return false;
    bytes.replace(at + key.size(), stamp.size(), stamp);
    return f.seek(0) && f.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    QHashSeed::setDeterministicGlobalSeed();
    qputenv("TZ", "UTC");
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
    const QString output = QString::fromLocal8Bit(argv[2]);
    auto pdf = std::make_unique<QPdfWriter>(output);
    pdf->setTitle(QStringLiteral("Corvelle ユーザーズガイド"));
    pdf->setCreator(QStringLiteral("Corvelle"));
    pdf->setPageSize(QPageSize(QPageSize::A4));
    pdf->setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    pdf->setResolution(300);
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
    doc.print(pdf.get());
    pdf.reset();  // the file is complete
    bool epochOk = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&epochOk);
    if (epochOk && !StampCreationDate(output, epoch)) {
        std::fprintf(stderr, "make_guide: cannot set the creation date in %s\n", argv[2]);
        return 1;
    }
    return 0;
}
