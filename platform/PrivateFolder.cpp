#include "platform/PrivateFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

QString preparePrivateFolder(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return QStringLiteral("no folder was given");
    struct stat info {};
    if ((::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) || ::lstat(name.constData(), &info) != 0)
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
    // The runtime folder is only looked at: the system makes it, private to the user.
    const QString runtime = QStringLiteral("/run/user/%1").arg(::getuid());
    struct stat info {};
    if (::lstat(QFile::encodeName(runtime).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::getuid() && (info.st_mode & 077) == 0)
        return runtime;
    const QString fallback = QStringLiteral("/tmp/tinevox-%1").arg(::getuid());
    return preparePrivateFolder(fallback).isEmpty() ? fallback : QString();
}

} // namespace Platform
