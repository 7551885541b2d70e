#include "platform/DocumentOpener.h"

#include <QDesktopServices>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace Platform {

void openDocument(const QString& path, QObject* context, std::function<void()> failed)
{
    // xdg-open is what Qt starts too, but Qt reports only that it started; its exit
    // status says whether any program took the file (3 or 4 when none did).
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (launcher.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            failed();
        return;
    }

    // Not owned by context: a launcher that waits for the program it started (as
    // xdg-open does on desktops it does not know) outlives the window that asked.
    auto* process = new QProcess;
    process->setProgram(launcher);
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    auto finish = [process, asker = QPointer<QObject>(context), failed = std::move(failed)](bool opened) {
        process->deleteLater();
        if (!opened && asker)
            failed();
    };
    QObject::connect(process, &QProcess::finished, process, [finish](int code, QProcess::ExitStatus status) {
        finish(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false);
    });
    process->start();
}

} // namespace Platform
