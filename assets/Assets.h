#pragma once

// Where the compiled-in pictures are found. Link tinevox_assets to have them.

#include <QString>

namespace Assets {

extern const QString Skin;     // window skin, 792 x 443, four-colour palette
extern const QString Go;       // play button picture, 50 x 53
extern const QString Stop;     // stop button picture, 53 x 54
extern const QString RadarGun; // 103 x 52, main window and About box
extern const QString Icon;     // program icon, 32 x 32

} // namespace Assets
