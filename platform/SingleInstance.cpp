#include "platform/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace Platform {

SingleInstance::SingleInstance(const QString& programName)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    lock = std::make_unique<QLockFile>(dir + QLatin1Char('/') + programName + QStringLiteral(".lock"));
    // Stale time 0: a lock counts as stale only when its owner is no longer alive.
    lock->setStaleLockTime(0);
    owned = lock->tryLock(0);
    // A lock file we cannot create at all (unwritable runtime directory) must not stop
    // the program: there is then no way to tell, so this instance runs.
    if (!owned && lock->error() != QLockFile::LockFailedError)
        owned = true;
}

} // namespace Platform
