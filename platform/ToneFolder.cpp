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
    const QString appDir = QDir::toNativeSeparators(applicationDirectory);
    if (folders.size() == 1)
        return QStringLiteral("Tinevox cannot write to its own folder \"%1\", and the folder \"%2\" cannot be "
                              "used for the tone files: %3.")
            .arg(appDir, QDir::toNativeSeparators(folders[0]), problems[0]);
    return QStringLiteral("Tinevox cannot write to its own folder \"%1\", and neither the folder \"%2\" (%3) nor "
                          "the folder \"%4\" (%5) can be used for the tone files.")
        .arg(appDir, QDir::toNativeSeparators(folders[0]), problems[0], QDir::toNativeSeparators(folders[1]),
             problems[1]);
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
