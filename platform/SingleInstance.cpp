#include "platform/SingleInstance.h"

#include "platform/PrivateFolder.h"

namespace Platform {

SingleInstance::SingleInstance(const QString& programName) : SingleInstance(programName, perUserLockFolder())
{
}

SingleInstance::SingleInstance(const QString& programName, const QString& lockFolder)
{
    // Without a safe folder there is no way to tell, so this instance runs.
    if (lockFolder.isEmpty()) {
        owned = true;
        return;
    }
    lock = std::make_unique<QLockFile>(lockFolder + QLatin1Char('/') + programName + QStringLiteral(".lock"));
    // Stale time 0: a lock counts as stale only when its owner is no longer alive.
    lock->setStaleLockTime(0);
    owned = lock->tryLock(0);
    // A lock file we cannot create at all (unwritable folder) must not stop the program.
    if (!owned && lock->error() != QLockFile::LockFailedError)
        owned = true;
}

} // namespace Platform
