#include "platform/WriteObstacle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Platform {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("WriteObstacle", text);
}

// The path itself when it exists, else the nearest of its parents that does.
QString nearestExisting(const QString& path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(existing) && !QDir(existing).isRoot())
        existing = QFileInfo(existing).absolutePath();
    return existing;
}

} // namespace

QString writeObstacle(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (file.isDir())
        return tr("a folder has the file's name");
    if (!QFileInfo(folder).isDir()) {
        const QString existing = nearestExisting(folder);
        if (!QFileInfo(existing).isDir())
            return tr("the folder %1 cannot be made, because %2 is a file").arg(folder, existing);
        if (!QFileInfo(existing).isWritable())
            return tr("the folder %1 cannot be made, because you may not write in %2").arg(folder, existing);
        return {};
    }
    if (file.exists() && !file.isWritable())
        return tr("the file is read-only for you");
    // The file is replaced by a new one written beside it, so even a writable file needs
    // a folder that takes new files.
    if (!QFileInfo(folder).isWritable())
        return tr("you may not write in the folder %1").arg(folder);
    return {};
}

} // namespace Platform
