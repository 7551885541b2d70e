// Faults and bad input, met by the real program on the rig: no sound server, a
// companion that is killed or missing, a tone folder it cannot write to, a slow disk,
// settings files full of garbage, cut off or unreadable. (Many GO/STOP cycles are in
// test_playback_cycles_e2e.)

#include "PitchMeter.h"
#include "e2e/TinevoxUnderTest.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtTest>

namespace {

int visibleWindowsNamed(const QString& name)
{
    return E2e::windowsNamed(name, true);
}

long residentKiB(const QString& process)
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(process));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLong() * 4;
}

// Tone files still being written: they carry a hidden name of their own until complete.
QStringList unfinishedToneFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".temp*")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestFaultsE2e : public QObject, protected TinevoxUnderTest {
    Q_OBJECT

    // A message box of the program: a second window with its caption.
    bool dismissMessage()
    {
        if (!QTest::qWaitFor([] { return visibleWindowsNamed(QStringLiteral("Tinevox")) >= 2; }, 5000))
            return false;
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        return QTest::qWaitFor([] { return visibleWindowsNamed(QStringLiteral("Tinevox")) == 1; }, 5000);
    }

    void expectSilence()
    {
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "something still plays");
        recorder.stop();
    }

private slots:
    void initTestCase() { requireRig(); }
    void init() { prepare(); }
    void cleanup() { finish(); }

    void withoutASoundServerNothingHangs()
    {
        extraEnvironment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/tinevox/native"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir->file(QStringLiteral("temp.wav"))), 3000);
        clickStop();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(dir->file(QStringLiteral("temp.wav"))), 3000);
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitCode(), 0);
    }

    void companionKilledWhilePlaying()
    {
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 5000);
        const QString first = E2e::run(QStringLiteral("pgrep"), {QStringLiteral("-f"), dir->companion()});
        // Killed once, it is started again and plays the second tone on.
        E2e::killAll(dir->companion());
        QTRY_VERIFY_WITH_TIMEOUT(E2e::processesRunning(dir->companion()) == 1
                                     && E2e::run(QStringLiteral("pgrep"), {QStringLiteral("-f"), dir->companion()}) != first, 5000);
        QCOMPARE(visibleWindowsNamed(QStringLiteral("Tinevox")), 1); // no message yet
        // Killed again at once: the playback ends, and the window says so and is free.
        E2e::killAll(dir->companion());
        QVERIFY2(dismissMessage(), "no message for the companion that ended twice");
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(dir->file(QStringLiteral("temp.wav"))), 5000);
        expectSilence();
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
        clickGo(); // a new GO plays again
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 5000);
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
    }

    void companionRemovedAfterStartUp()
    {
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QVERIFY(QFile::remove(dir->companion()));
        clickGo();
        QVERIFY2(dismissMessage(), "no message for the missing companion");
        expectSilence();
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
    }

    // A tone file that cannot be written where it must go (here a folder stands in its
    // place, which even the superuser cannot write to as a file).
    void toneFileCannotBeWritten()
    {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("temp.wav")));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QVERIFY2(dismissMessage(), "no message for the unwritable tone file");
        expectSilence();
        // The window is editable again: a step changes the speed, which is kept.
        clickControl(ForkWindowPlaces::FirstSpeedUpButton);
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("11"));
    }

    // A stored speed that is markup with a picture of endless size: it is quoted as
    // text in the message, the program does not grow, and the window is editable again.
    void markupSpeedIsShownAsText()
    {
        // The second box: the first has the focus at start, and GO takes the focus from it,
        // which turns what it holds into a speed.
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        Settings::write(Settings::Speed2, QStringLiteral("<img src=\"/dev/zero\">"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QVERIFY2(dismissMessage(), "no message for the speed");
        QCOMPARE(program->state(), QProcess::Running);
        const long resident = residentKiB(QString::number(program->processId()));
        QVERIFY2(resident < 256 * 1024, qPrintable(QStringLiteral("the program holds %1 KiB").arg(resident)));
        typeSpeed(QStringLiteral("55"));
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("55"));
    }

    void garbageSettingsFile()
    {
        QFile file(TestEnvironment::settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\nBand=Kx\nSpeed=@@@\nSpeed2=-5abc\nMode=\nMPH\\KPH=?\nXFreq=abc\n"
                   "Accuracy=-1\nShowFreq=yes\nKeepMe=kept\n\x01\x02\xff\xfe=\n[Other]\nSomething=else\n[Settings\nBroken");
        file.close();
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(geometry().height, 443); // an empty "Mode" means moving
        clickGo();                        // bytes per cycle -1: no tone can be made
        QVERIFY2(dismissMessage(), "no message for the unusable stored values");
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        // Band and speeds are saved; nothing else of the file is lost. The first speed
        // box had the focus, so leaving it for GO made its "@@@" a 1.
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("1"));
        QCOMPARE(Settings::read(Settings::Speed2), QStringLiteral("-5"));
        QCOMPARE(Settings::read(Settings::XFreq), QStringLiteral("abc"));
        QCOMPARE(Settings::read({QStringLiteral("KeepMe"), QString()}), QStringLiteral("kept"));
        QCOMPARE(Platform::GetSetting(QStringLiteral("Tinecheck"), QStringLiteral("Other"), QStringLiteral("Something"), QString()),
                 QStringLiteral("else"));
    }

    // A settings file cut off in the middle of a line: what was written before the cut
    // is used, and nothing of it is lost at the next save.
    void truncatedSettingsFile()
    {
        QFile file(TestEnvironment::settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Other]\nSomething=else\n[Settings]\nBand=Ka\nSpeed=55\nMode=Stationary\nXFreq=10.5");
        file.close();
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(geometry().height, 286);
        clickControl(ForkWindowPlaces::FirstSpeedUpButton);
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(Settings::read(Settings::Band), QStringLiteral("Ka"));
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("56"));
        QCOMPARE(Settings::read(Settings::XFreq), QStringLiteral("10.5"));
        QCOMPARE(Platform::GetSetting(QStringLiteral("Tinecheck"), QStringLiteral("Other"), QStringLiteral("Something"), QString()),
                 QStringLiteral("else"));
    }

    // Binary noise, with nul bytes and no line breaks for kilobytes, before a good group.
    void binarySettingsFile()
    {
        QByteArray noise;
        quint32 x = 12345;
        for (int i = 0; i < 8192; ++i) {
            x = x * 1103515245u + 12345u;
            noise.append(static_cast<char>(x >> 16));
        }
        QFile file(TestEnvironment::settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(noise + "\n[Other]\nSomething=else\n");
        file.close();
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(geometry().height, 286); // stationary, the default
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("10"));
        QCOMPARE(Platform::GetSetting(QStringLiteral("Tinecheck"), QStringLiteral("Other"), QStringLiteral("Something"), QString()),
                 QStringLiteral("else"));
    }

    // A settings file that cannot be read at all (a folder stands in its place, which
    // even the superuser cannot read as a file): defaults, a tone, and a clean close that
    // says what it could not keep.
    void unreadableSettingsFile()
    {
        QFile::remove(TestEnvironment::settingsFile());
        QVERIFY(QDir().mkpath(TestEnvironment::settingsFile()));
        const auto removeFolder = qScopeGuard([] { QDir(TestEnvironment::settingsFile()).removeRecursively(); });
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(geometry().height, 286);
        clickGo(); // X band, 10 mph
        QVERIFY(recorder.start());
        const std::vector<float> tone = recorder.recordTone(1000);
        recorder.stop();
        QVERIFY2(!tone.empty(), "no tone with default settings");
        QVERIFY(qAbs(TestSupport::measurePitch(tone, TestSupport::MonitorRecorder::Rate).frequency() - 314) < 0.01);
        clickStop();
        clickClose();
        // The band, the speeds and the mode cannot be kept where a folder stands: the close
        // says so in a box of its own, and ends once it is read.
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindowsNamed(QStringLiteral("Tinevox")), 2, 5000);
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(QFileInfo(TestEnvironment::settingsFile()).isDir());
    }

    // A slow disk: the window is closed, or STOP pressed, while the tone files are
    // still being written. Nothing is left, and after STOP the next GO plays.
    void closedWhileWritingLeavesNothing_data()
    {
        QTest::addColumn<bool>("closeWindow");
        QTest::newRow("close") << true;
        QTest::newRow("STOP, then GO") << false;
    }
    void closedWhileWritingLeavesNothing()
    {
        QFETCH(bool, closeWindow);
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        Settings::write(Settings::Band, QStringLiteral("Ka"));
        Settings::write(Settings::Speed, QStringLiteral("199"));
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        extraEnvironment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SLOW_TONE_WRITES));
        extraEnvironment.insert(QStringLiteral("TINEVOX_SLOW_WRITE_MS"), QStringLiteral("150"));
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        // Some of a file written: the writer is under way.
        const auto written = [this] {
            const QStringList unfinished = unfinishedToneFiles(dir->path());
            return !unfinished.isEmpty() && QFileInfo(QDir(dir->path()).filePath(unfinished.first())).size() > 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(written(), 3000);
        // Until it is complete, no tone file carries its own name.
        QVERIFY2(!QFile::exists(dir->file(QStringLiteral("temp.wav"))), "the file was written before the test could act");
        if (closeWindow) {
            clickClose();
            QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
            QCOMPARE(program->exitCode(), 0);
        } else {
            clickStop();
        }
        QTRY_COMPARE_WITH_TIMEOUT(unfinishedToneFiles(dir->path()), QStringList(), 5000);
        QCOMPARE(E2e::processesRunning(dir->companion()), 0);
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
        expectSilence();
        if (closeWindow)
            return;

        // The window is editable again and the next GO plays both tones.
        clickGo();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 10000);
        QVERIFY(QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
        QCOMPARE(QFileInfo(dir->file(QStringLiteral("temp.wav"))).size(), 1003044);
        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
    }
};

QTEST_MAIN(TestFaultsE2e)
#include "test_faults_e2e.moc"
