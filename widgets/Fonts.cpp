#include "widgets/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>

#include <cmath>

namespace Fonts {

void installSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("Arial"), QStringList {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), QStringList {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Impact"), QStringList {QStringLiteral("Liberation Sans Narrow")});
    // Terminus is a bitmap face, drawn at its own size in device pixels: where a screen
    // has a device pixel ratio other than 1 (the application's is the highest of them)
    // its text would stand far smaller than the rest, so a scalable face stands in.
    const QString fixedsys = qGuiApp->devicePixelRatio() == 1.0 ? QStringLiteral("Terminus") : QStringLiteral("Liberation Mono");
    QFont::insertSubstitutions(QStringLiteral("Fixedsys"), QStringList {fixedsys, QStringLiteral("DejaVu Sans Mono")});
}

QFont designed(const QString& family, double points, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setItalic(italic);
    // Impact is heavy by design at its regular weight; its narrow stand-in needs bold.
    if (family == QLatin1String("Impact") && QFontInfo(font).family() != family)
        font.setBold(true);
    return font;
}

} // namespace Fonts
