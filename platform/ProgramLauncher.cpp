#include "platform/ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

namespace Platform {

void prepareStart(QProcess& process, const QString& path, ShowState state)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QString::fromLatin1(ShowStateVariable));
    if (state == ShowState::Hidden)
        env.insert(QString::fromLatin1(ShowStateVariable), QStringLiteral("0"));
    process.setProgram(path);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
}

bool startProgram(const QString& path, ShowState state, qint64* pid)
{
    QProcess process;
    prepareStart(process, path, state);
    return process.startDetached(pid);
}

ShowState takeStartupShowState()
{
    const bool hidden = qgetenv(ShowStateVariable) == "0";
    qunsetenv(ShowStateVariable);
    return hidden ? ShowState::Hidden : ShowState::Normal;
}

} // namespace Platform
