#include "platform/ToneFolder.h"

#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <unistd.h>

namespace Platform {

ToneFolder toneFolder(const QString& applicationDirectory)
{
    if (!applicationDirectory.isEmpty()
        && ::access(QFile::encodeName(applicationDirectory).constData(), W_OK | X_OK) == 0)
        return {applicationDirectory, QString()};
    QStringList candidates;
    // Only this user's own: su and sudo -u leave the calling user's in the environment,
    // not ours to write into, and root could be led through it.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir() && QFileInfo(runtime).ownerId() == ::getuid())
        candidates << QDir::cleanPath(runtime) + QStringLiteral("/tinevox");
    candidates << QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
            + QStringLiteral("/tinevox");
    // The last resort of a user without a home or runtime folder (a plain useradd
    // account), as the instance lock's.
    candidates << QDir::tempPath() + QStringLiteral("/tinevox-%1").arg(::getuid());
    QStringList reasons;
    for (const QString& own : candidates) {
        QDir().mkpath(QFileInfo(own).path());
        const QString problem = preparePrivateFolder(own);
        if (problem.isEmpty())
            return {own, QString()};
        reasons << QStringLiteral("\"%1\" (%2)").arg(QDir::toNativeSeparators(own), problem);
    }
    return {QString(), QStringLiteral("Tinevox cannot write to its own folder \"%1\", and none of the folders %2 can "
                                      "be used for the tone files.")
                           .arg(QDir::toNativeSeparators(applicationDirectory), reasons.join(QStringLiteral(", ")))};
}

} // namespace Platform
