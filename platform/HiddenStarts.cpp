// The hidden starts an earlier run left behind, found through /proc.

#include "platform/HiddenStarts.h"

#include "platform/ProgramLauncher.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

// The executable of a process, as the kernel names it; a replaced file keeps its old name.
QString executableOf(const QString& procEntry)
{
    QString target = QFile::symLinkTarget(procEntry + QStringLiteral("/exe"));
    const QString deleted = QStringLiteral(" (deleted)");
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    return target;
}

bool startedHidden(const QString& procEntry)
{
    QFile environ(procEntry + QStringLiteral("/environ"));
    if (!environ.open(QIODevice::ReadOnly))
        return false;
    const QByteArray hiddenEntry = QByteArray(ShowStateVariable) + "=0";
    // The environment the process started with, which removing a variable later does not change.
    return environ.readAll().split('\0').contains(hiddenEntry);
}

bool entryIsHiddenStartOf(const QString& procEntry, const QString& canonicalPath)
{
    struct stat info {};
    return ::stat(QFile::encodeName(procEntry).constData(), &info) == 0 && info.st_uid == ::getuid()
        && executableOf(procEntry) == canonicalPath && startedHidden(procEntry);
}

} // namespace

std::vector<qint64> terminateHiddenStartsOf(const QString& path)
{
    std::vector<qint64> signalled;
    const QString wanted = QFileInfo(path).canonicalFilePath();
    if (wanted.isEmpty())
        return signalled;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : entries) {
        bool numeric = false;
        const qint64 candidate = name.toLongLong(&numeric);
        if (!numeric || candidate == ::getpid())
            continue;
        if (!entryIsHiddenStartOf(QStringLiteral("/proc/") + name, wanted))
            continue;
        terminateProcess(candidate);
        signalled.push_back(candidate);
    }
    return signalled;
}

bool isHiddenStartOf(qint64 pid, const QString& path)
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    return !wanted.isEmpty() && processRuns(pid) && entryIsHiddenStartOf(QStringLiteral("/proc/%1").arg(pid), wanted);
}

} // namespace Platform
