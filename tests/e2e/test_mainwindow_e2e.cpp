// The real tinevox on the rig's X server, window manager and sound server, driven with
// xdotool at the controls' places on the skin, heard through the null sink's monitor.

#include "MonitorRecorder.h"
#include "PitchMeter.h"
#include "e2e/TinevoxUnderTest.h"
#include "platform/CompanionNames.h"
#include "settings/SettingsKeys.h"

#include <QtEndian>
#include <QtTest>

using TestSupport::MonitorRecorder;

class TestMainWindowE2e : public QObject, protected TinevoxUnderTest {
    Q_OBJECT

private slots:
    void initTestCase() { requireRig(); }
    void init() { prepare(); }
    void cleanup() { finish(); }

    void typeGoHearStop()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        typeSpeed(QStringLiteral("100"));
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir->file(QStringLiteral("temp.wav"))), 3000);
        QVERIFY(recorder.start());
        const std::vector<float> tone = recorder.recordTone(1000, 6000);
        recorder.stop();
        QVERIFY2(!tone.empty(), "GO gave no tone");
        const double heard = TestSupport::measurePitch(tone, MonitorRecorder::Rate, 1).frequency();
        QVERIFY2(qAbs(heard - 3139) < 0.01, qPrintable(QString::number(heard, 'f', 4))); // X band, 100 mph

        clickStop();
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "STOP left a tone playing");
        recorder.stop();
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));

        // Closing the window keeps the speed that was typed.
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("100"));
    }

    void secondStartEndsAtOnceWhileTheFirstPlays()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo(); // 10 mph on the X band
        QVERIFY(recorder.start());
        QVERIFY(!recorder.recordTone(300, 6000).empty());

        // Even from another session, whose runtime folder is another one.
        QTemporaryDir otherRuntime(TestEnvironment::scratchRoot() + QStringLiteral("/runtime-XXXXXX"));
        QProcessEnvironment otherSession = environment();
        otherSession.insert(QStringLiteral("XDG_RUNTIME_DIR"), otherRuntime.path());
        QProcess second;
        second.setProcessEnvironment(otherSession);
        second.start(tinevox(), {});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                          QStringLiteral("^Tinevox$")}).split(QLatin1Char('\n')).size(), 1);

        const std::vector<float> still = recorder.record(1000);
        recorder.stop();
        QVERIFY(qAbs(TestSupport::measurePitch(still, MonitorRecorder::Rate, 1).frequency() - 314) < 0.01);
    }

    void dragMovesTheWindowByTheDragDistance()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        const Geometry before = geometry();
        dragSkin(QStringLiteral("1"), QPoint(240, 70), QPoint(120, 50));
        QTRY_VERIFY2_WITH_TIMEOUT(draggedBy(before, QPoint(120, 50)), qPrintable(QStringLiteral("moved by %1,%2").arg(movedFrom(before).x()).arg(movedFrom(before).y())), 3000);
    }

    // A speed typed straight after start reaches the first speed box. A drag with the
    // right or middle button, which the window manager would not end, lasts only while
    // that button is held. The settings dialog opens centred on the window.
    void firstFocusAndDragsWithEveryButton()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("100")});
        for (const char* button : {"3", "2"}) {
            const Geometry before = geometry();
            dragSkin(QLatin1String(button), QPoint(240, 70), QPoint(60, 40));
            QTRY_VERIFY2_WITH_TIMEOUT(draggedBy(before, QPoint(60, 40)), button, 3000);
            const Geometry released = geometry();
            const int x = before.x + 240 + 60, y = before.y + 70 + 40;
            for (int step = 1; step <= 5; ++step) // the pointer moves on, the window stays
                xdotool({QStringLiteral("mousemove"), QString::number(x + 15 * step), QString::number(y + 10 * step)});
            xdotool({QStringLiteral("click"), QStringLiteral("1")});
            QVERIFY2(E2e::staysTrue([&] { return movedFrom(released).isNull(); }, 300), button);
        }

        clickGo();
        // 100 mph on the X band: 3139 Hz at 10 bytes a cycle, 31390 samples a second.
        const QString tone = dir->file(QStringLiteral("temp.wav"));
        auto sampleRate = [&tone] {
            QFile file(tone);
            const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(28) : QByteArray();
            return header.size() == 28 ? qFromLittleEndian<quint32>(header.constData() + 24) : 0u;
        };
        QTRY_COMPARE_WITH_TIMEOUT(sampleRate(), 31390u, 3000);
        clickStop();

        clickControl(ForkWindowPlaces::SettingsLabel);
        QString dialog;
        QVERIFY(QTest::qWaitFor([&] {
            dialog = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QStringLiteral("^Settings$")});
            return !dialog.isEmpty();
        }, 5000));
        // xwininfo gives the client area's true place; the frame is what the window
        // manager put around it: left, right, top, bottom. The window manager may frame
        // and place the dialog a moment after it is mapped: wait until it has settled.
        const auto offFromCentre = [&]() -> std::optional<QPoint> {
            const QString info = E2e::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), dialog});
            auto field = [&info](const char* name) {
                return QRegularExpression(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name))).match(info).captured(1).toInt();
            };
            const QStringList extents = E2e::run(QStringLiteral("xprop"), {QStringLiteral("-id"), dialog, QStringLiteral("_NET_FRAME_EXTENTS")})
                                            .section(QLatin1Char('='), 1).split(QLatin1Char(','));
            if (extents.size() != 4)
                return std::nullopt;
            const int left = extents[0].trimmed().toInt(), right = extents[1].trimmed().toInt();
            const int top = extents[2].trimmed().toInt(), bottom = extents[3].trimmed().toInt();
            const QRect frame(field("Absolute upper-left X") - left, field("Absolute upper-left Y") - top,
                              field("Width") + left + right, field("Height") + top + bottom);
            const Geometry main = geometry();
            return frame.center() - QRect(main.x, main.y, main.width, main.height).center();
        };
        const auto centred = [](const std::optional<QPoint>& off) { return off && qAbs(off->x()) <= 1 && qAbs(off->y()) <= 1; };
        std::optional<QPoint> off;
        QTRY_VERIFY2_WITH_TIMEOUT(centred(off = offFromCentre()),
                                  qPrintable(off ? QStringLiteral("%1, %2 from the centre").arg(off->x()).arg(off->y())
                                                 : QStringLiteral("no frame")),
                                  5000);
        E2e::closeThroughWindowManager(QStringLiteral("Settings"));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(QStringLiteral("Settings"), true), 0, 5000);
    }

    // The window manager's close runs the same unload as the close button, and
    // a start only reads the device volume, never writes it back.
    void desktopCloseSavesAndStartLeavesTheVolume()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        typeSpeed(QStringLiteral("77"));
        E2e::closeThroughWindowManager(QStringLiteral("Tinevox"));
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("77"));

        E2e::run(QStringLiteral("pactl"), {QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"),
                                           QStringLiteral("20000"), QStringLiteral("40000")});
        window.clear();
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QString volume;
        const auto unchanged = [&volume] {
            volume = E2e::run(QStringLiteral("pactl"), {QStringLiteral("get-sink-volume"), QStringLiteral("@DEFAULT_SINK@")});
            return volume.contains(QStringLiteral("20000 /")) && volume.contains(QStringLiteral("40000 /"));
        };
        QVERIFY2(E2e::staysTrue(unchanged, 500), qPrintable(volume));
        E2e::run(QStringLiteral("pactl"), {QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"),
                                           QStringLiteral("65536"), QStringLiteral("65536")});
    }

    // Choices made in one run come back in the next; moving mode, chosen from the menu,
    // plays both tones, the second through the companion; closing the window while
    // they play keeps band and speeds, ends the companion and leaves no tone file.
    void choicesComeBackAndMovingModePlaysTwoTones()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickControl(ForkWindowPlaces::BandKa);
        typeSpeed(QStringLiteral("55"));
        clickControl(ForkWindowPlaces::ModeLabel);
        QTRY_COMPARE_WITH_TIMEOUT(mappedWindows().size(), 2, 5000); // the menu, which takes the keys
        xdotool({QStringLiteral("key"), QStringLiteral("m")}); // "&Moving"
        QTRY_COMPARE_WITH_TIMEOUT(geometry().height, 443, 3000);
        QCOMPARE(Settings::read(Settings::Mode), QStringLiteral("Moving"));
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(Settings::read(Settings::Band), QStringLiteral("Ka"));
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("55"));

        window.clear();
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(geometry().height, 443);
        clickGo(); // Ka 55 mph and, below, the default 10 mph
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 5000);
        expectBothTones(1008, 5544);

        clickControl(ForkWindowPlaces::SecondSpeedBox); // cannot change while playing
        xdotool({QStringLiteral("type"), QStringLiteral("9")});
        clickClose(); // while both play
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
        QCOMPARE(Settings::read(Settings::Speed2), QStringLiteral("10"));
        QVERIFY(recorder.start());
        QVERIFY(recorder.waitForSilence(300, 3000) >= 0);
        recorder.stop();
    }

    // In a Wayland session both programs still make X windows: the main window is found
    // on the X server, and STOP finds the companion by its caption and silences both tones.
    void waylandSessionPlaysAndStopsBothTones()
    {
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        Settings::write(Settings::Speed, QStringLiteral("100"));
        Settings::write(Settings::Speed2, QStringLiteral("50"));
        enterWaylandSession();
        if (QTest::currentTestFailed())
            return;
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(Platform::CompanionNames::Caption, false), 1, 5000);
        const std::vector<double> heard = hearTones({1569, 3139});
        QVERIFY2(qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));
        qInfo("Wayland session: heard %.4f and %.4f Hz", heard[0], heard[1]);

        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "STOP left a tone playing");
        recorder.stop();
    }

    void storedLowerCaseUnitMeansKph()
    {
        Settings::write(Settings::Unit, QStringLiteral("mph"));
        Settings::write(Settings::Speed, QStringLiteral("100"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QVERIFY(recorder.start());
        const std::vector<float> tone = recorder.recordTone(1000, 6000);
        recorder.stop();
        const double heard = TestSupport::measurePitch(tone, MonitorRecorder::Rate, 1).frequency();
        QVERIFY2(qAbs(heard - 1951) < 0.01, qPrintable(QString::number(heard, 'f', 4))); // 100 kph on X
        clickStop();
    }

    // In a German session a comma typed into the Ka carrier is its decimal point: GO plays
    // 10 mph at 33.5 GHz (the comma dropped, "335" held to 36 GHz would play 1074 Hz).
    void decimalCommaTypedIntoTheKaCarrier()
    {
        QVERIFY2(E2e::run(QStringLiteral("locale"), {QStringLiteral("-a")}).contains(QLatin1String("de_DE.utf8")), "no de_DE.UTF-8");
        for (const QString& name : {QStringLiteral("LANG"), QStringLiteral("LC_ALL")})
            extraEnvironment.insert(name, QStringLiteral("de_DE.UTF-8"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        xdotool({QStringLiteral("key"), QStringLiteral("alt+s")});
        QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}), QStringLiteral("Settings"), 5000);
        for (const QString& keys : {QStringLiteral("key shift+Tab"), QStringLiteral("type 33,5"), QStringLiteral("key alt+o")})
            xdotool(keys.split(QLatin1Char(' '))); // Shift+Tab from the unit reaches the Ka carrier
        QTRY_COMPARE_WITH_TIMEOUT(Settings::read(Settings::KaFreq), QStringLiteral("33.5"), 5000);
        clickControl(ForkWindowPlaces::BandKa);
        clickGo();
        QVERIFY(recorder.start());
        const double heard = TestSupport::measurePitch(recorder.recordTone(1000, 6000), MonitorRecorder::Rate, 1).frequency();
        QVERIFY2(qAbs(heard - 999) < 0.01, qPrintable(QString::number(heard, 'f', 4)));
    }

    // The keyboard opens the menu labels on the real window: their access keys from the
    // first speed box, and Space, Return or Down once Shift+Tab has reached them. A menu
    // opens under its label, wherever the pointer is; "Settings" opens the dialog.
    void keysOpenTheMenuLabels_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("opened"); // "menu", or the caption of the dialog
        QTest::addColumn<int>("labelX");     // where the menu's left edge is, on the skin
        QTest::newRow("Alt+M") << QStringList {"alt+m"} << "menu" << 183;
        QTest::newRow("Alt+S") << QStringList {"alt+s"} << "Settings" << 0;
        QTest::newRow("Alt+H") << QStringList {"alt+h"} << "menu" << 282;
        QTest::newRow("Shift+Tab to Help, Space") << QStringList {"shift+Tab", "space"} << "menu" << 282;
        QTest::newRow("Shift+Tab to Mode, Down") << QStringList {"shift+Tab", "shift+Tab", "shift+Tab", "Down"} << "menu" << 183;
    }
    void keysOpenTheMenuLabels()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, opened);
        QFETCH(int, labelX);
        startProgram();
        if (QTest::currentTestFailed())
            return;
        const Geometry main = geometry();
        xdotool({QStringLiteral("mousemove"), QString::number(main.x + 600), QString::number(main.y + 250)});
        auto mapped = [this] { return mappedWindows(); };
        QCOMPARE(mapped().size(), 1);
        xdotool(QStringList {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50")} + keys);
        if (opened != QLatin1String("menu")) {
            QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(opened, true), 1, 5000);
            E2e::closeThroughWindowManager(opened);
            QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(opened, true), 0, 5000);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(mapped().size(), 2, 5000);
        QString popup;
        for (const QString& id : mapped())
            if (id != window)
                popup = id;
        const QString place = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), popup});
        const QPoint at(QRegularExpression(QStringLiteral("X=(-?\\d+)")).match(place).captured(1).toInt(),
                        QRegularExpression(QStringLiteral("Y=(-?\\d+)")).match(place).captured(1).toInt());
        QCOMPARE(at, QPoint(main.x + labelX, main.y + 35)); // under the label, whose bottom is at 35
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_COMPARE_WITH_TIMEOUT(mapped().size(), 1, 5000);
    }

    void pointerFollowsTheOutline()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        const QString root = windowUnder(-40, -40);
        for (QPoint inside : {QPoint(4, 128), QPoint(5, 127), QPoint(790, 95), QPoint(789, 96)})
            QVERIFY2(windowUnder(inside.x(), inside.y()) != root, qPrintable(QStringLiteral("(%1,%2)").arg(inside.x()).arg(inside.y())));
        for (QPoint outside : {QPoint(3, 128), QPoint(4, 127), QPoint(790, 96), QPoint(500, 150), QPoint(300, 288)})
            QVERIFY2(windowUnder(outside.x(), outside.y()) == root, qPrintable(QStringLiteral("(%1,%2)").arg(outside.x()).arg(outside.y())));
    }

    // At a device pixel ratio of 2 the outline follows the screen's pixels, not Qt's mask
    // scaled by 2: along the upper fork's top left bevel, each window pixel's outer
    // quarter is off the window. (Device pixels; the window is wider than the screen, so
    // only its middle is probed.)
    void pointerFollowsTheFineOutlineAtDoubleScale()
    {
        extraEnvironment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(geometry().width, 2 * 792);
        const QString root = windowUnder(600, 600); // below the upper fork
        for (QPoint inside : {QPoint(383, 8), QPoint(381, 10), QPoint(380, 11), QPoint(355, 36)})
            QVERIFY2(windowUnder(inside.x(), inside.y()) != root, qPrintable(QStringLiteral("(%1,%2)").arg(inside.x()).arg(inside.y())));
        for (QPoint outside : {QPoint(382, 8), QPoint(380, 10), QPoint(354, 36)})
            QVERIFY2(windowUnder(outside.x(), outside.y()) == root, qPrintable(QStringLiteral("(%1,%2)").arg(outside.x()).arg(outside.y())));
    }
};

QTEST_GUILESS_MAIN(TestMainWindowE2e)
#include "test_mainwindow_e2e.moc"
