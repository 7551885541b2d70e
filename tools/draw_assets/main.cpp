// Draws every picture of the program into a folder:
//   draw_assets <folder>
// writes skin.png, go.png, stop.png, radargun.png, each also at twice the size as
// <name>@2x.png (Qt picks those on screens with a device pixel ratio of 2), icon-32.png
// and icons/hicolor/<N>x<N>/apps/tinevox.png for each desktop icon size.

#include "tools/draw_assets/Drawings.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// The lettering is drawn with the Liberation Sans of Debian's fonts-liberation. Many
// desktops also have fonts-liberation2, a different design under the same name, which
// fontconfig would prefer; so the tool is shown that one folder of fonts and no other.
constexpr char LetteringFonts[] = "/usr/share/fonts/truetype/liberation";

bool seeOnlyTheLetteringFonts(const QTemporaryDir& scratch)
{
    QFile config(scratch.filePath(QStringLiteral("fonts.conf")));
    if (!scratch.isValid() || !config.open(QIODevice::WriteOnly))
        return false;
    QTextStream(&config) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                         << "<fontconfig><dir>" << LetteringFonts << "</dir><cachedir>"
                         << scratch.filePath(QStringLiteral("cache")) << "</cachedir></fontconfig>\n";
    qputenv("FONTCONFIG_FILE", QFile::encodeName(config.fileName()));
    return true;
}

bool write(const QImage& image, const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const QTemporaryDir fontScratch;
    if (!seeOnlyTheLetteringFonts(fontScratch)) {
        QTextStream(stderr) << "cannot write a font configuration\n";
        return 1;
    }
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: draw_assets <output folder>\n";
        return 2;
    }
    const QDir out(args.at(1));
    const struct {
        const char* name;
        QImage (*draw)(int scale);
    } pictures[] {{"skin", Drawings::skin}, {"go", Drawings::goSign}, {"stop", Drawings::stopSign}, {"radargun", Drawings::radarGun}};
    bool ok = true;
    for (const auto& picture : pictures) {
        const QString name = QString::fromLatin1(picture.name);
        ok = write(picture.draw(1), out.filePath(name + QStringLiteral(".png"))) && ok;
        ok = write(picture.draw(2), out.filePath(name + QStringLiteral("@2x.png"))) && ok;
    }
    ok = write(Drawings::icon(32), out.filePath(QStringLiteral("icon-32.png"))) && ok;
    for (int size : Drawings::iconSizes()) {
        const QString path = QStringLiteral("icons/hicolor/%1x%1/apps/tinevox.png").arg(size);
        ok = write(Drawings::icon(size), out.filePath(path)) && ok;
    }
    return ok ? 0 : 1;
}
