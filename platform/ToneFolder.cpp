#include "platform/ToneFolder.h"

#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace Platform {

namespace {

// An absolute folder named by an environment variable, or nothing.
QString absoluteFolderFrom(const char* variable)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

QString perUserToneFolder()
{
    const QString runtime = absoluteFolderFrom("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/tinevox");
    QString cache = absoluteFolderFrom("XDG_CACHE_HOME");
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    QDir().mkpath(cache);
    return cache + QStringLiteral("/tinevox");
}

} // namespace

ToneFolder toneFolder(const QString& applicationDirectory)
{
    if (!applicationDirectory.isEmpty()
        && ::access(QFile::encodeName(applicationDirectory).constData(), W_OK | X_OK) == 0)
        return {applicationDirectory, QString()};
    const QString own = perUserToneFolder();
    const QString problem = preparePrivateFolder(own);
    if (problem.isEmpty())
        return {own, QString()};
    return {QString(),
            QStringLiteral("Tinevox cannot write to its own folder \"%1\", and the folder \"%2\" cannot be "
                           "used for the tone files: %3.")
                .arg(QDir::toNativeSeparators(applicationDirectory), QDir::toNativeSeparators(own), problem)};
}

} // namespace Platform
