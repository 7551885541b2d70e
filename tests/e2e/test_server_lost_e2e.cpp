// The real program, playing both tones of moving mode, loses its sound server: the
// server is killed under it. Neither program may crash or hang, STOP still works, and
// once the server is back the next GO is heard again, both tones. The program and the
// test use a private server of this test's own, so the rig's server is never touched.

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

    // Both tones of X band at 100 and 50 mph.
    void expectBothTones()
    {
        QVERIFY(recorder.start());
        QTest::qWait(2500); // the null sink may take up to 2 s to let new streams be heard
        const std::vector<float> both = recorder.record(2000);
        recorder.stop();
        const TestSupport::PitchReport report = TestSupport::measurePitch(both, MonitorRecorder::kRate, 2);
        std::vector<double> heard {report.frequency(0), report.frequency(1)};
        std::sort(heard.begin(), heard.end());
        QVERIFY2(qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));
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

        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));

        // GO with no server: still no crash and no hang, and STOP works.
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(companionRuns(), 5000);
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);

        QVERIFY(server->start());
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(companionRuns(), 5000);
        expectBothTones();
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "something still plays after STOP");
        recorder.stop();

        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
    }
};

QTEST_MAIN(TestServerLostE2e)
#include "test_server_lost_e2e.moc"
