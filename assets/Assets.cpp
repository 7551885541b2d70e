#include "assets/Assets.h"

namespace Assets {

const QString Skin = QStringLiteral(":/skin.png");
const QString Go = QStringLiteral(":/go.png");
const QString Stop = QStringLiteral(":/stop.png");
const QString RadarGun = QStringLiteral(":/radargun.png");
const QString Icon = QStringLiteral(":/icon-32.png");

} // namespace Assets
