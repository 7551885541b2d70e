// The real program, playing both tones of moving mode, loses its sound server: the
// server is killed under it. Neither program may crash or hang; once the server is back
// both tones come back by themselves, without a touch of the window; a STOP while they
// wait for the server is final. The program and the test use a private server of this
// test's own, so the rig's server is never touched.

#include "PitchMeter.h"
#include "PrivateSoundServer.h"
#include "e2e/TinevoxUnderTest.h"
#include "settings/SettingsKeys.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using TestSupport::MonitorRecorder;

class TestServerLostE2e : public QObject, protected TinevoxUnderTest {
    Q_OBJECT

    QTemporaryDir scratch {QStringLiteral("/tmp/tvserver-XXXXXX")};
    std::unique_ptr<TestSupport::PrivateSoundServer> server;

    // Both tones of X band at 100 and 50 mph, in a two-second window. The two programs
    // come back each on its own and the null sink may take up to 2 s to let a new stream
    // be heard, so a few windows are tried.
    void expectBothTones()
    {
        QVERIFY(recorder.start());
        QTest::qWait(1000);
        std::vector<double> heard;
        for (int window = 0; window < 5; ++window) {
            const TestSupport::PitchReport report = TestSupport::measurePitch(recorder.record(2000), MonitorRecorder::kRate, 2);
            heard = {report.frequency(0), report.frequency(1)};
            std::sort(heard.begin(), heard.end());
            if (qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01)
                break;
        }
        recorder.stop();
        QVERIFY2(qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));
    }

    void expectSilence()
    {
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "something still plays");
        recorder.stop();
    }

    bool companionRuns() { return E2e::processesRunning(dir->companion()) == 1; }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "the rig's X server is needed");
        QVERIFY(scratch.isValid());
        server = std::make_unique<TestSupport::PrivateSoundServer>(scratch.path());
        // The program, its companion and the recorder all inherit it.
        qputenv("PULSE_SERVER", server->address().toLocal8Bit());
    }
    void init()
    {
        prepare();
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        Settings::write(Settings::Speed, QStringLiteral("100"));
        Settings::write(Settings::Speed2, QStringLiteral("50"));
        QVERIFY2(server->start(), "the private sound server did not start");
    }
    void cleanup() { finish(); }

    void serverKilledWhileBothTonesPlay()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(companionRuns(), 5000);
        expectBothTones();
        if (QTest::currentTestFailed())
            return;

        server->end(false);
        QTest::qWait(1500);
        QCOMPARE(program->state(), QProcess::Running);
        QVERIFY2(companionRuns(), "the companion did not survive the loss of its sound server");
        QCOMPARE(E2e::windowsNamed(QStringLiteral("Tinevox"), true), 1); // no message

        // The server returns: both tones come back, the window untouched.
        QVERIFY(server->start());
        expectBothTones();
        if (QTest::currentTestFailed())
            return;

        // Lost again, and STOP while both wait for it: when it returns, all stays silent.
        server->end(false);
        QTest::qWait(1500);
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
        QVERIFY(server->start());
        QTest::qWait(2500);
        expectSilence();

        // And the next GO plays both again.
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(companionRuns(), 5000);
        expectBothTones();
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        expectSilence();

        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
    }
};

QTEST_MAIN(TestServerLostE2e)
#include "test_server_lost_e2e.moc"
