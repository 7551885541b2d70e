#include "bench/Processes.h"

#include "bench/Measure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <ctime>

namespace Bench {

namespace {

QByteArray procFile(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("process %1 is gone: cannot read /proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.readAll();
}

bool alive(qint64 pid)
{
    // A zombie has no executable any more: it counts as gone.
    return pid > 0 && !QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget().isEmpty();
}

} // namespace

double cpuSecondsOf(qint64 pid)
{
    // The process's CPU clock counts in nanoseconds. utime + stime of /proc/<pid>/stat
    // count the same time in clock ticks, 10 ms steps: 0.1 % of a 10 s window, as much as
    // a whole tone costs.
    clockid_t clock {};
    timespec ts {};
    if (clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0 || clock_gettime(clock, &ts) != 0)
        throw Failure(QStringLiteral("cannot read the CPU time of process %1: is it gone?").arg(pid));
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long residentKiB(qint64 pid)
{
    for (const QByteArray& line : procFile(pid, "status").split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    throw Failure(QStringLiteral("no VmRSS in /proc/%1/status").arg(pid));
}

std::vector<qint64> processesRunning(const QString& executable)
{
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    std::vector<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && !wanted.isEmpty()
            && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == wanted)
            found.push_back(pid);
    }
    return found;
}

qint64 waitForProcess(const QString& executable, int timeoutMs)
{
    std::vector<qint64> found;
    runEventsUntil([&] {
        found = processesRunning(executable);
        return !found.empty();
    }, timeoutMs);
    if (found.size() > 1)
        throw Failure(QStringLiteral("%1 processes run %2, where one was expected").arg(found.size()).arg(executable));
    return found.empty() ? 0 : found.front();
}

void endProcess(qint64 pid)
{
    if (!alive(pid))
        return;
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    for (int i = 0; i < 100 && alive(pid); ++i)
        QThread::msleep(10);
    if (alive(pid))
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

} // namespace Bench
