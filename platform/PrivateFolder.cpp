#include "platform/PrivateFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

bool isOwnPrivateDirectory(const QByteArray& path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid()
        && (info.st_mode & 077) == 0;
}

} // namespace

QString preparePrivateFolder(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return QStringLiteral("no folder was given");
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != ::getuid())
        return QStringLiteral("it belongs to another user");
    if ((info.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

QString perUserLockFolder()
{
    const QString runtime = QStringLiteral("/run/user/%1").arg(::getuid());
    if (isOwnPrivateDirectory(QFile::encodeName(runtime)))
        return runtime;
    const QString fallback = QStringLiteral("/tmp/tinevox-%1").arg(::getuid());
    return preparePrivateFolder(fallback).isEmpty() ? fallback : QString();
}

} // namespace Platform
