// The main window on a screen with a device pixel ratio of 2 (run with
// QT_SCALE_FACTOR=2): the pictures drawn for it, and its outline at that resolution.

#include "common/TestEnvironment.h"
#include "mainwindow/ForkWindow.h"
#include "settings/SettingsDialog.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

class TestDoubleScale : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment::AppDir> dir;
    std::unique_ptr<ForkWindow> window;

private slots:
    void initTestCase()
    {
        Fonts::installSubstitutes();
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        dir = std::make_unique<TestEnvironment::AppDir>(true);
        window = std::make_unique<ForkWindow>(dir->path());
        QVERIFY(window->load());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->windowHandle()->devicePixelRatio(), 2.0);
    }

    void cleanupTestCase()
    {
        window->unload();
        window.reset();
    }

    // The @2x drawings, shown at the pictures' own size.
    void picturesAreTheDoubleDrawings_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("drawing");
        QTest::addColumn<QSize>("size");
        QTest::newRow("GO") << QStringLiteral("Command1") << QStringLiteral(":/go@2x.png") << QSize(50, 53);
        QTest::newRow("STOP") << QStringLiteral("Command2") << QStringLiteral(":/stop@2x.png") << QSize(53, 54);
        QTest::newRow("radar gun") << QStringLiteral("Image2") << QStringLiteral(":/radargun@2x.png") << QSize(103, 52);
    }
    void picturesAreTheDoubleDrawings()
    {
        QFETCH(QString, control);
        QFETCH(QString, drawing);
        QFETCH(QSize, size);
        QPixmap shown;
        if (const auto* button = window->findChild<QPushButton*>(control)) {
            QCOMPARE(button->iconSize(), size);
            shown = button->icon().pixmap(size, 2.0);
        } else {
            const auto* label = window->findChild<QLabel*>(control);
            QVERIFY(label);
            shown = label->pixmap();
            QCOMPARE(shown.deviceIndependentSize().toSize(), size);
        }
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(drawing).convertToFormat(QImage::Format_ARGB32));
    }

    // The skin as painted is the @2x skin pixel for pixel: the top twenty rows, above
    // every control, with the bevel and the crease.
    void skinIsPaintedAtTheScreensResolution()
    {
        const QImage shot = window->grab().toImage();
        const QImage skin(QStringLiteral(":/skin@2x.png"));
        QCOMPARE(shot.devicePixelRatio(), 2.0);
        QCOMPARE(shot.width(), skin.width());
        const QRegion shape = window->outlineInDevicePixels(2.0);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shape.contains(QPoint(x, y)) && shot.pixel(x, y) != skin.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("device pixel %1,%2").arg(x).arg(y)));
    }

    // The outline at the screen's resolution is the @2x skin's fork, within what Qt
    // paints (the mask, scaled by 2) and finer than it.
    void outlineFollowsTheDeviceResolution()
    {
        const QRegion shape = window->outlineInDevicePixels(window->windowHandle()->devicePixelRatio());
        const QImage skin(QStringLiteral(":/skin@2x.png"));
        QImage drawn(skin.size(), QImage::Format_RGB32);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        for (const QRect& r : shape)
            painter.fillRect(r, Qt::black);
        painter.end();
        for (int y = 0; y < skin.height(); ++y)
            for (int x = 0; x < skin.width(); ++x)
                if ((qGray(drawn.pixel(x, y)) == 0) != ((skin.pixel(x, y) | 0xFF000000u) != 0xFFFFFFFFu))
                    QFAIL(qPrintable(QStringLiteral("device pixel %1,%2").arg(x).arg(y)));
        const QRegion scaledMask = QTransform::fromScale(2, 2).map(window->mask());
        QVERIFY(shape.subtracted(scaledMask).isEmpty());
        QVERIFY(shape != scaledMask);
    }

    // On a screen narrower than the window (400 px at this scale) the window's close button
    // opens on the screen; the settings lists' face is one that follows the scale.
    void closeButtonOnScreenAndListFaceScales()
    {
        const QWidget* close = window->findChild<QPushButton*>(QStringLiteral("Command5"));
        QVERIFY(window->screen()->availableGeometry().contains(QRect(close->mapToGlobal(QPoint()), close->size())));
        const SettingsDialog dialog(window.get());
        const QFontInfo face(dialog.findChild<QWidget*>(QStringLiteral("Combo3"))->font());
        QVERIFY2(QFontDatabase::isSmoothlyScalable(face.family(), face.styleName()), qPrintable(face.family()));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return TestEnvironment::runAll<TestDoubleScale>(argc, argv);
}

#include "test_double_scale.moc"
