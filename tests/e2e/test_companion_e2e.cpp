// The companion player on the rig's X server: hidden start, close by caption, and the
// cleanup it owns.

#include "common/TestEnvironment.h"
#include "e2e/E2eHelpers.h"
#include "platform/CompanionNames.h"
#include "platform/ProgramLauncher.h"
#include "platform/WindowCaption.h"
#include "tone/WaveWriter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QtTest>

namespace {

const QString& Caption = Platform::CompanionNames::Caption;

int windowsWithCaption()
{
    return E2e::windowsNamed(Caption, false);
}

// A window of this process that counts the close requests it receives, and stays.
class ProbeWindow : public QWidget {
public:
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closeRequests;
        event->ignore();
    }
};

} // namespace

class TestCompanion : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment::AppDir> dir;
    QString tone() const { return dir->file(QStringLiteral("temp2.wav")); }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "the rig's X server is needed");
    }

    void init()
    {
        TestEnvironment::clearSettings();
        dir = std::make_unique<TestEnvironment::AppDir>(true);
        QCOMPARE(windowsWithCaption(), 0);
    }

    void cleanup()
    {
        for (int i = 0; i < 5 && Platform::postCloseByCaption(Caption); ++i)
            QTest::qWait(200);
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        E2e::killAll(dir->companion()); // only after a failure: the next case starts clean
    }

    void hiddenStartThenCloseRequest()
    {
        WaveWriter::writeToneFile(WaveWriter::planTone(0.5, 1569, QStringLiteral("10")), tone());
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Hidden));
        // The designed caption, byte for byte.
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(QStringLiteral("RodIdedivOzaruDodeZovo"), false), 1, 5000);
        QCOMPARE(E2e::windowsNamed(Caption, true), 0); // never mapped
        QCOMPARE(E2e::processesRunning(dir->companion()), 1);

        QVERIFY(Platform::postCloseByCaption(Caption));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(!QFile::exists(tone()));
        QCOMPARE(windowsWithCaption(), 0);
    }

    void startedByHandShowsItsWindow()
    {
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Normal));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(Caption, true), 1, 5000);
        const QString geometry = E2e::run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), Caption,
             QStringLiteral("getwindowgeometry")});
        QVERIFY2(geometry.contains(QStringLiteral("Geometry: 220x62")), qPrintable(geometry));
        // The user closes it through the window manager.
        E2e::closeThroughWindowManager(Caption);
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
    }

    void withoutItsFileItWaitsSilentlyAndStillCloses()
    {
        QVERIFY(!QFile::exists(tone()));
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Hidden));
        QTRY_COMPARE_WITH_TIMEOUT(windowsWithCaption(), 1, 5000);
        QVERIFY(E2e::staysTrue([this] { return E2e::processesRunning(dir->companion()) == 1; }, 300));
        QVERIFY(Platform::postCloseByCaption(Caption));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
    }

    void oneCloseRequestClosesOnePlayer()
    {
        WaveWriter::writeToneFile(WaveWriter::planTone(0.5, 1569, QStringLiteral("10")), tone());
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Hidden));
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Hidden));
        QTRY_COMPARE_WITH_TIMEOUT(windowsWithCaption(), 2, 5000);
        QVERIFY(Platform::postCloseByCaption(Caption));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 5000);
        QVERIFY(E2e::staysTrue([this] { return E2e::processesRunning(dir->companion()) == 1; }, 300));
        QCOMPARE(windowsWithCaption(), 1);
    }

    void closeRequestWithoutAWindowDoesNothing()
    {
        QVERIFY(!Platform::postCloseByCaption(Caption));
        QVERIFY(!Platform::postCloseByCaption(QString()));
    }

    // Any X client's window counts, whatever its class; the owner it names is reported. A
    // window never mapped is also found among the root window's own children alone.
    void closeRequestReachesAWindowByCaption()
    {
        ProbeWindow window;
        window.setWindowTitle(QStringLiteral("Tinevox caption probe \u00e9"));
        window.winId();
        qint64 owner = 0;
        QTRY_VERIFY_WITH_TIMEOUT(Platform::postCloseByCaption(window.windowTitle(), &owner), 2000);
        QCOMPARE(owner, QCoreApplication::applicationPid());
        QTRY_VERIFY_WITH_TIMEOUT(window.closeRequests > 0, 2000);
        QVERIFY(!Platform::postCloseByCaption(QStringLiteral("Tinevox caption probe")));

        const qint64 self = QCoreApplication::applicationPid();
        QVERIFY(!Platform::postCloseToHiddenWindowOf(window.windowTitle(), self + 1));
        QVERIFY(!Platform::postCloseToHiddenWindowOf(QStringLiteral("Tinevox caption probe"), self));
        QVERIFY(Platform::postCloseToHiddenWindowOf(window.windowTitle(), self));
    }
};

QTEST_MAIN(TestCompanion)
#include "test_companion_e2e.moc"
