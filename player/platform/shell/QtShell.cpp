#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#include "platform/loop/EventLoop.h"
#include "platform/shell/Shell.h"

namespace storyloom {

QString QtShell::UrlFor(const QString& target) {
    const QString text = target.trimmed();
    // "x:" with a single letter is a drive, not a scheme; everything else with a scheme
    // ("mailto:", "http:", "file:") goes as it stands.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(text).hasMatch()) return QString::fromUtf8(QUrl(text).toEncoded());
    if (QFileInfo::exists(text))
        return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath()).toString();
    // A bare address such as "www.example.org" becomes a web address.
    return QString::fromUtf8(QUrl::fromUserInput(text).toEncoded());
}

bool QtShell::Open(const QString& target) {
    if (target.trimmed().isEmpty()) return false;
    return QDesktopServices::openUrl(QUrl::fromEncoded(UrlFor(target).toUtf8()));
}

int QtShell::Run(const QString& program, const QStringList& arguments, bool wait) {
    if (!wait) return QProcess::startDetached(program, arguments) ? 0 : -1;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted()) return -1;
    // Keep the windows alive while the program runs.
    while (!process.waitForFinished(50)) {
        if (process.state() == QProcess::NotRunning) break;
        loop_.ProcessEvents();
    }
    if (process.exitStatus() != QProcess::NormalExit) return -1;
    return process.exitCode();
}

}  // namespace storyloom
