#include "platform/ProgramLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <cstdlib>

#include <sys/types.h>

namespace Platform {

QProcessEnvironment environmentWithShowState(ShowState state)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QString::fromLatin1(ShowStateVariable));
    if (state == ShowState::Hidden)
        env.insert(QString::fromLatin1(ShowStateVariable), QStringLiteral("0"));
    return env;
}

bool startProgram(const QString& path, ShowState state, qint64* pid)
{
    QProcess process;
    process.setProgram(path);
    process.setProcessEnvironment(environmentWithShowState(state));
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached(pid);
}

bool processRuns(qint64 pid)
{
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0)
        return false;
    // An ended process that nobody has reaped yet still answers the signal test; its
    // state, after the command name in parentheses, tells it apart.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    const char state = close >= 0 && close + 2 < line.size() ? line.at(close + 2) : '?';
    return state != 'Z' && state != 'X';
}

void terminateProcess(qint64 pid)
{
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGTERM);
}

void killProcess(qint64 pid)
{
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

ShowState takeStartupShowState()
{
    const char* value = std::getenv(ShowStateVariable);
    const bool hidden = value && value[0] == '0' && value[1] == '\0';
    ::unsetenv(ShowStateVariable);
    return hidden ? ShowState::Hidden : ShowState::Normal;
}

} // namespace Platform
