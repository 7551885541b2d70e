#include "platform/ReplacingFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <utility>
#include <fcntl.h>
#include <unistd.h>

namespace Platform {

ReplacingFile::ReplacingFile(const QString& path) : finalPath(path) {}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::fail(int errorNumber)
{
    lastError = errorNumber ? errorNumber : EIO;
    return false;
}

void ReplacingFile::discard()
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
    if (!temporary.isEmpty())
        QFile::remove(temporary);
    temporary.clear();
}

bool ReplacingFile::open()
{
    discard();
    const QFileInfo target(finalPath);
    // A name taken by someone else, a link included, is never opened: another is tried.
    for (int attempt = 0; attempt < 100; ++attempt) {
        constexpr quint64 EightDigits = 2821109907456ULL; // 36 to the 8th
        const QString candidate = target.path() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
            + QString::number(QRandomGenerator::system()->bounded(EightDigits), 36).rightJustified(8, QLatin1Char('0'));
        descriptor = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0666);
        if (descriptor >= 0) {
            temporary = candidate;
            return true;
        }
        if (errno != EEXIST && errno != ELOOP)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool ReplacingFile::write(const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(size));
        if (written == 0)
            return fail(ENOSPC);
        if (written < 0 && errno != EINTR)
            return fail(errno);
        if (written > 0) {
            data += written;
            size -= written;
        }
    }
    return true;
}

bool ReplacingFile::commit()
{
    const int fd = std::exchange(descriptor, -1);
    if (fd < 0)
        return fail(EBADF);
    // A full disk may only show when the file is closed (on network file systems).
    if (::close(fd) != 0 && errno != EINTR)
        return fail(errno);
    // rename() replaces whatever has the final name, a link itself and not its target.
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(finalPath).constData()) != 0)
        return fail(errno);
    temporary.clear();
    return true;
}

QString fileErrorInWords(int errorNumber)
{
    const auto tr = [](const char* text) { return QCoreApplication::translate("ReplacingFile", text); };
    switch (errorNumber) {
    case ENOSPC: return tr("the disk is full");
    case EDQUOT: return tr("your disk quota is used up");
    case EACCES:
    case EPERM: return tr("you are not allowed to write into that folder");
    case EROFS: return tr("the disk is read-only");
    case ENOENT:
    case ENOTDIR: return tr("the folder does not exist");
    case EISDIR: return tr("a folder of that name is in the way");
    case EFBIG: return tr("the file would be larger than the system allows");
    case EIO: return tr("the disk reported a read or write error");
    case ENAMETOOLONG: return tr("the folder's path is too long");
    default: break;
    }
    QString words = qt_error_string(errorNumber);
    if (words.size() > 1 && words.at(1).isLower())
        words[0] = words.at(0).toLower();
    return words;
}

} // namespace Platform
