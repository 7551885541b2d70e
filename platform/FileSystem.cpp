#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>

namespace Platform {

bool pathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(path).exists();
}

void deleteFileIgnoringErrors(const QString& path)
{
    if (path.isEmpty())
        return;
    QFile::remove(path);
}

} // namespace Platform
