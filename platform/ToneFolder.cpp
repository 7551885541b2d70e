#include "platform/ToneFolder.h"

#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <unistd.h>

namespace Platform {

namespace {

// An absolute folder named by an environment variable, or nothing.
QString absoluteFolderFrom(const char* variable)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

// $XDG_RUNTIME_DIR when it is this user's own folder. su and sudo -u leave the calling
// user's in the environment: not ours to write into, and root could be led through it.
QString ownRuntimeFolder()
{
    const QString runtime = absoluteFolderFrom("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return QString();
    const QFileInfo info(runtime);
    return info.isDir() && info.ownerId() == ::getuid() ? runtime : QString();
}

QString cacheFolder()
{
    const QString cache = absoluteFolderFrom("XDG_CACHE_HOME");
    return cache.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : cache;
}

QString refusal(const QString& applicationDirectory, const QStringList& folders, const QStringList& problems)
{
    QStringList reasons;
    for (qsizetype i = 0; i < folders.size(); ++i)
        reasons << QStringLiteral("\"%1\" (%2)").arg(QDir::toNativeSeparators(folders[i]), problems[i]);
    return QStringLiteral("Tinevox cannot write to its own folder \"%1\", and none of the folders %2 can be used "
                          "for the tone files.")
        .arg(QDir::toNativeSeparators(applicationDirectory), reasons.join(QStringLiteral(", ")));
}

} // namespace

ToneFolder toneFolder(const QString& applicationDirectory)
{
    if (!applicationDirectory.isEmpty()
        && ::access(QFile::encodeName(applicationDirectory).constData(), W_OK | X_OK) == 0)
        return {applicationDirectory, QString()};
    QStringList candidates;
    if (const QString runtime = ownRuntimeFolder(); !runtime.isEmpty())
        candidates << runtime + QStringLiteral("/tinevox");
    candidates << cacheFolder() + QStringLiteral("/tinevox");
    // The last resort of a user without a home or runtime folder (a plain useradd
    // account): a private folder in the temporary directory, as the instance lock's.
    candidates << QDir::tempPath() + QStringLiteral("/tinevox-%1").arg(::getuid());
    QStringList problems;
    for (const QString& own : candidates) {
        QDir().mkpath(QFileInfo(own).path());
        const QString problem = preparePrivateFolder(own);
        if (problem.isEmpty())
            return {own, QString()};
        problems << problem;
    }
    return {QString(), refusal(applicationDirectory, candidates, problems)};
}

} // namespace Platform
