#include "platform/SingleInstance.h"

namespace Platform {

SingleInstance::SingleInstance(const QString& programName, const QString& lockFolder)
{
    // Without a safe folder there is no way to tell, so this instance runs.
    if (lockFolder.isEmpty())
        return;
    lock = std::make_unique<QLockFile>(lockFolder + QLatin1Char('/') + programName + QStringLiteral(".lock"));
    // Stale time 0: a lock counts as stale only when its owner is no longer alive.
    lock->setStaleLockTime(0);
    // A lock file that cannot be made at all (an unwritable folder) must not stop the program.
    another = !lock->tryLock(0) && lock->error() == QLockFile::LockFailedError;
}

} // namespace Platform
