#pragma once

// Where the compiled-in pictures are found. Link tinevox_assets to have them.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace Assets {

// Each of these four also comes drawn at twice the size, as <name>@2x.png.
extern const QString Skin;     // window skin, 792 x 443, four-colour palette
extern const QString Go;       // play button picture, 50 x 53
extern const QString Stop;     // stop button picture, 53 x 54
extern const QString RadarGun; // 103 x 52, main window and About box
extern const QString Icon;     // program icon, 32 x 32

// One of the pictures above as the screens need it: where a screen has a device pixel
// ratio above 1, its @2x drawing, which Qt then shows at the picture's own size.
// (QPixmap loads just the file it is given; only QIcon looks for @2x files.)
QPixmap picture(const QString& path);

// The program icon at every size drawn for the desktop, 16 to 256 px, so that the
// window system can pick the size it shows instead of scaling the 32 px one.
QIcon programIcon();

} // namespace Assets
