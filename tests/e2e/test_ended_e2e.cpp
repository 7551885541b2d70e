// The real program in moving mode, ended by the system rather than by its window: a
// logout's or kill's SIGTERM, Ctrl+C, a closed terminal, SIGKILL (the OOM killer), or
// the death of its X server (a crashed session). Within 2 s nothing plays, no companion,
// stream or tone file is left, and the next start works; what an earlier run left
// behind is cleared at the next start.

#include "PrivateXServer.h"
#include "e2e/TinevoxUnderTest.h"
#include "platform/CompanionNames.h"
#include "platform/ProgramLauncher.h"
#include "settings/SettingsKeys.h"
#include "tone/WaveWriter.h"

#include <QtTest>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>

class TestEndedE2e : public QObject, protected TinevoxUnderTest {
    Q_OBJECT

    QString firstTone() const { return dir->file(QStringLiteral("temp.wav")); }
    QString secondTone() const { return dir->file(QStringLiteral("temp2.wav")); }
    int companions() const { return E2e::processesRunning(dir->companion()); }
    static int streams() { return E2e::streamsPlaying(); }

    // The death of the X server instead of a signal.
    static constexpr int DisplayDies = 0;
    const QByteArray rigDisplay = qgetenv("DISPLAY");
    std::unique_ptr<TestSupport::PrivateXServer> ownDisplay;

    void expectNothingLeft()
    {
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 0, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(streams(), 0, 2000);
        QTRY_VERIFY2_WITH_TIMEOUT(!QFile::exists(firstTone()) && !QFile::exists(secondTone()),
                                  qPrintable(QDir(dir->path()).entryList(QDir::Files).join(QLatin1Char(' '))), 2000);
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 2000) >= 0, "a tone still plays");
        recorder.stop();
    }

private slots:
    void initTestCase() { requireRig(); }
    void init()
    {
        prepare();
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        Settings::write(Settings::Speed, QStringLiteral("100"));
        Settings::write(Settings::Speed2, QStringLiteral("50"));
    }
    void cleanup()
    {
        finish();
        ownDisplay.reset();
        qputenv("DISPLAY", rigDisplay);
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    }

    void endedWhileBothTonesPlay_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("closesAsUsual"); // the window's shut-down runs and saves
        QTest::addColumn<bool>("startAgain");
        QTest::newRow("SIGTERM") << int(SIGTERM) << true << true;
        QTest::newRow("SIGINT") << int(SIGINT) << true << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << true << false;
        QTest::newRow("SIGKILL") << int(SIGKILL) << false << true;
        QTest::newRow("X server dies") << DisplayDies << true << true;
    }
    void endedWhileBothTonesPlay()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, closesAsUsual);
        QFETCH(bool, startAgain);
        const bool displayDies = signalNumber == DisplayDies;
        if (displayDies) {
            // Both programs and xdotool on an X server that can die, with another band
            // stored than the one the user then picks.
            ownDisplay = std::make_unique<TestSupport::PrivateXServer>();
            QVERIFY2(ownDisplay->start(), "Xvfb did not start");
            qputenv("DISPLAY", ownDisplay->display().toUtf8());
            extraEnvironment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1")); // for a failure's message
            Settings::write(Settings::Band, QStringLiteral("K"));
            // The companion, orphaned when the program ends first, comes to this process,
            // which can then see how it ended.
            QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        }
        startProgram();
        if (QTest::currentTestFailed())
            return;
        typeSpeed(QStringLiteral("120"));
        if (displayDies)
            clickControl(ForkWindowPlaces::BandX);
        clickGo();
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 1, 10000);
        expectBothTones(1569, 3767);
        if (QTest::currentTestFailed())
            return;

        const pid_t companion = static_cast<pid_t>(
            E2e::run(QStringLiteral("pgrep"), {QStringLiteral("-x"), QStringLiteral("-f"), dir->companion()}).toInt());
        if (displayDies)
            ownDisplay->kill();
        else
            ::kill(static_cast<pid_t>(program->processId()), signalNumber);
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 2000);
        if (closesAsUsual) {
            QVERIFY2(program->exitStatus() == QProcess::NormalExit && program->exitCode() == 0,
                     qPrintable(QStringLiteral("ended with %1: %2").arg(program->exitCode())
                                    .arg(QString::fromLocal8Bit(program->readAllStandardError()))));
            QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("120"));
            QCOMPARE(Settings::read(Settings::Band), QStringLiteral("X"));
        }
        if (displayDies) {
            // Looked at without collecting it: QTRY evaluates the condition once more.
            siginfo_t end {};
            QTRY_VERIFY2_WITH_TIMEOUT(::waitid(P_PID, id_t(companion), &end, WEXITED | WNOHANG | WNOWAIT) == 0
                                          && end.si_pid == companion,
                                      "the companion's end was not seen", 2000);
            QVERIFY2(end.si_code == CLD_EXITED && end.si_status == 0,
                     qPrintable(QStringLiteral("the companion ended with %1 %2").arg(end.si_code).arg(end.si_status)));
            ::waitpid(companion, nullptr, 0);
            qputenv("DISPLAY", rigDisplay);
        }
        expectNothingLeft();
        if (!startAgain)
            return;

        // The next start plays both tones again.
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 1, 10000);
        expectBothTones(1569, closesAsUsual ? 3767 : 3139);
        clickStop();
        expectNothingLeft();
    }

    // A hidden companion and tone files an earlier run could not clear (as an older
    // version left them) go at the next start; a companion started by hand stays.
    void leftoversOfAnEarlierRunAreClearedAtStart()
    {
        const QString& caption = Platform::CompanionNames::Caption;
        WaveWriter::writeToneFile(WaveWriter::planTone(0.5, 1000, QStringLiteral("10")), secondTone());
        QVERIFY(QFile::copy(secondTone(), firstTone()));
        const QString cutOff = dir->file(QStringLiteral(".temp.wav.Ab3dE6gH")); // a write that was killed
        QVERIFY(QFile::copy(secondTone(), cutOff));
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Hidden));
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Normal));
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 2, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(caption, false), 2, 5000);

        startProgram();
        if (QTest::currentTestFailed())
            return;
        // Ended without holding up the start: gone soon after the window shows.
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 1, 3000);
        QCOMPARE(E2e::windowsNamed(caption, true), 1); // the one started by hand
        QVERIFY(!QFile::exists(firstTone()));
        QVERIFY(!QFile::exists(secondTone()));
        QVERIFY(!QFile::exists(cutOff));

        E2e::closeThroughWindowManager(caption);
        expectNothingLeft();
    }
};

QTEST_MAIN(TestEndedE2e)
#include "test_ended_e2e.moc"
