// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/open_with_desktop.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "platform/ui/path_text.h"

namespace corvelle {
namespace {

// How long the opener is given to say that it could not open the target. One that is still
// running then is showing it (some run the viewer in the foreground).
constexpr int kOpenerVerdictMs = 3000;

QUrl UrlOf(const std::string& target) {
    const QString text = PathToQString(target);
    if (text.contains(QStringLiteral("://")) || text.startsWith("mailto:"))
        return QUrl(text);
    // A local file by its bytes, so a name that is not UTF-8 still names the same file.
    const QByteArray bytes(target.data(), static_cast<qsizetype>(target.size()));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"));
}

}  // namespace

std::string OpenerExitReason(int code) {
    switch (code) {
        case 2:
            return "ファイルが見つかりません";
        case 3:
            return "開くためのアプリケーションが見つかりません";
        case 4:
            return "アプリケーションが開けませんでした";
        default:
            return "開くためのアプリケーションが起動できませんでした (終了コード " +
                   std::to_string(code) + ")";
    }
}

bool OpenWithDesktop(QWidget*, const std::string& target, std::string& reason) {
    const QUrl url = UrlOf(target);
    // xdg-open tells by its exit status whether anything could open the target; Qt's own
    // opener starts it and forgets it.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (QDesktopServices::openUrl(url))
            return true;
        reason = "xdg-open が見つかりません (xdg-utils)";
        return false;
    }
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({QString::fromUtf8(url.toEncoded())});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QEventLoop wait;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &wait, &QEventLoop::quit);
    QObject::connect(process, &QProcess::finished, &wait, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &wait, &QEventLoop::quit);
    process->start();
    timer.start(kOpenerVerdictMs);
    if (process->state() != QProcess::NotRunning)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (process->state() != QProcess::NotRunning) {
        // Still showing it: let it run on and tidy up after itself.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool started = process->error() != QProcess::FailedToStart;
    const int code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    delete process;
    if (started && code == 0)
        return true;
    reason = started ? OpenerExitReason(code) : "xdg-open を起動できませんでした";
    return false;
}

}  // namespace corvelle
