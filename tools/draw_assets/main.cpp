// Draws every picture of the program into a folder:
//   draw_assets <folder>
// writes skin.png, go.png, stop.png, radargun.png, icon-32.png and
// icons/hicolor/<N>x<N>/apps/tinevox.png for each desktop icon size.

#include "tools/draw_assets/Drawings.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

namespace {

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
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: draw_assets <output folder>\n";
        return 2;
    }
    const QDir out(args.at(1));
    bool ok = write(Drawings::skin(), out.filePath(QStringLiteral("skin.png")));
    ok = write(Drawings::goSign(), out.filePath(QStringLiteral("go.png"))) && ok;
    ok = write(Drawings::stopSign(), out.filePath(QStringLiteral("stop.png"))) && ok;
    ok = write(Drawings::radarGun(), out.filePath(QStringLiteral("radargun.png"))) && ok;
    ok = write(Drawings::icon(32), out.filePath(QStringLiteral("icon-32.png"))) && ok;
    for (int size : Drawings::iconSizes()) {
        const QString path = QStringLiteral("icons/hicolor/%1x%1/apps/tinevox.png").arg(size);
        ok = write(Drawings::icon(size), out.filePath(path)) && ok;
    }
    return ok ? 0 : 1;
}
