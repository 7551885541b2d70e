#include "assets/Assets.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace Assets {

const QString Skin = QStringLiteral(":/skin.png");
const QString Go = QStringLiteral(":/go.png");
const QString Stop = QStringLiteral(":/stop.png");
const QString RadarGun = QStringLiteral(":/radargun.png");
const QString Icon = QStringLiteral(":/icon-32.png");

QPixmap picture(const QString& path)
{
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1.0) {
        const QFileInfo file(path);
        const QString doubled = file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral("@2x.")
            + file.suffix();
        // The reader takes the ratio of 2 from the @2x in the name.
        const QPixmap pixmap(doubled);
        if (!pixmap.isNull())
            return pixmap;
    }
    return QPixmap(path);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = size == 32 ? Icon : QStringLiteral(":/icons/hicolor/%1x%1/apps/tinevox.png").arg(size);
        icon.addFile(path, QSize(size, size));
    }
    return icon;
}

} // namespace Assets
