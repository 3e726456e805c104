// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/qt_file_op_ui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

#include "platform/os/message_service.h"
#include "platform/ui/path_text.h"

namespace corvelle {
namespace {

class QtFileOpUi : public FileOpUi {
  public:
    Answer AskReplace(const std::string& target, bool merge) override {
        const QString name = PathToQString(target);
        return Ask(merge ? QStringLiteral("フォルダ「%1」は既にあります。\n"
                                          "中身をまとめますか？")
                               .arg(name)
                         : QStringLiteral("「%1」は既にあります。\n置き換えますか？").arg(name));
    }

    Answer AskDownload(const std::string& item) override {
        return Ask(QStringLiteral("「%1」はクラウド上にだけあるファイルです。\n"
                                  "コピーするとダウンロードされます。続けますか？")
                       .arg(PathToQString(item)));
    }

    static Answer Ask(const QString& text) {
        QMessageBox box(
            QMessageBox::Question, QString::fromUtf8(kProgramTitle), text,
            QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel,
            QApplication::activeWindow());
        switch (box.exec()) {
            case QMessageBox::Yes:
                return Answer::Yes;
            case QMessageBox::YesToAll:
                return Answer::YesToAll;
            case QMessageBox::No:
                return Answer::No;
            default:
                return Answer::Cancel;
        }
    }

    void ShowError(const Error& error) override {
        QMessageBox::warning(
            QApplication::activeWindow(), QString::fromUtf8(kProgramTitle),
            PathToQString(error.path) + "\n\n" + PathToQString(ErrorCause(error) + error.detail));
    }

    bool AskCreateFolder(const std::string& folder) override {
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(kProgramTitle),
                        QStringLiteral("フォルダ「%1」はありません。\n作成しますか？")
                            .arg(PathToQString(folder)),
                        QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
        return box.exec() == QMessageBox::Ok;
    }

    bool AskDeletePermanently(const Error& why) override {
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProgramTitle),
                        PathToQString(ErrorMessage(why)) +
                            QStringLiteral("\n\n完全に削除しますか？(元に戻せません)"),
                        QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    }

    bool Progress(const std::string& item, long long done, long long total) override {
        if (!clock_.isValid())
            clock_.start();
        // The window appears only for operations that take longer than about a second.
        if (!dialog_ && clock_.elapsed() > 1000) {
            dialog_ = new QProgressDialog(QString(), QStringLiteral("キャンセル"), 0, 0,
                                          QApplication::activeWindow());
            dialog_->setWindowTitle(QString::fromUtf8(kProgramTitle));
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(0);
            dialog_->show();
        }
        if (!dialog_)
            return true;
        if (clock_.elapsed() - lastPaint_ > 50) {
            lastPaint_ = clock_.elapsed();
            dialog_->setLabelText(ProgressText(item, done, total));
            if (total > 0) {
                dialog_->setRange(0, 100);
                dialog_->setValue(static_cast<int>(std::min<long long>(100, done * 100 / total)));
            }
            QCoreApplication::processEvents();
        }
        return !dialog_->wasCanceled();
    }

    void Finished() override {
        delete dialog_;
        clock_.invalidate();
        lastPaint_ = 0;
    }

  private:
    QElapsedTimer clock_;
    qint64 lastPaint_ = 0;
    QPointer<QProgressDialog> dialog_;
};

}  // namespace

QString ProgressText(const std::string& item, long long done, long long total) {
    QString name = PathToQString(item);
    if (total <= 0)
        return name;
    const QLocale grouped(QLocale::English);
    const long long pct = std::min<long long>(100, done * 100 / total);
    return QStringLiteral("%1\n%2 / %3 バイト (%4%)")
        .arg(name, grouped.toString(done), grouped.toString(total), QString::number(pct));
}

void InstallQtFileOpUi() {
    static QtFileOpUi ui;
    SetFileOpUi(&ui);
}

}  // namespace corvelle
