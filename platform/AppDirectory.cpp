#include "platform/AppDirectory.h"

#include <QCoreApplication>
#include <QDir>

namespace Platform {

QString applicationDirectory()
{
    QString dir = QCoreApplication::applicationDirPath();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

QString pathInDirectory(const QString& dir, const QString& name)
{
    return dir + QDir::separator() + name;
}

} // namespace Platform
