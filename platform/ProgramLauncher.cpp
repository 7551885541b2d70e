#include "platform/ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>

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
    const char* value = std::getenv(ShowStateVariable);
    const bool hidden = value && value[0] == '0' && value[1] == '\0';
    ::unsetenv(ShowStateVariable);
    return hidden ? ShowState::Hidden : ShowState::Normal;
}

} // namespace Platform
