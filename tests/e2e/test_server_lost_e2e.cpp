// The real program, playing both tones of moving mode, loses its sound server: the
// server is killed under it. Neither program may crash or hang; once the server is back
// both tones come back by themselves, without a touch of the window; a STOP while they
// wait for the server is final. The program and the test use a private server of this
// test's own, so the rig's server is never touched. Every case runs on PulseAudio and on
// PipeWire with its PulseAudio server, the two a Debian desktop may sound through.

#include "PitchMeter.h"
#include "PrivateSoundServer.h"
#include "e2e/TinevoxUnderTest.h"
#include "platform/SinkVolume.h"
#include "settings/SettingsKeys.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::MonitorRecorder;

class TestServerLostE2e : public QObject, protected TinevoxUnderTest {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> scratch;
    std::unique_ptr<TestSupport::PrivateSoundServer> server;

    // Both tones of X band at 100 and 50 mph, measured once both are heard: the two
    // programs come back each on its own.
    void expectBothTones()
    {
        QVERIFY(recorder.start());
        const std::vector<double> heard = hearTones({1569, 3139});
        QVERIFY2(qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));
        qInfo("%s: heard %.4f and %.4f Hz", QTest::currentDataTag(), heard[0], heard[1]);
    }

    // Neither program ends, hangs up on the user or loses its companion while the server
    // is away.
    bool bothRideOutTheLoss()
    {
        return E2e::staysTrue([this] {
            return program->state() == QProcess::Running && companionRuns()
                && E2e::windowsNamed(QStringLiteral("Tinevox"), true) == 1; // no message
        }, 1500);
    }

    bool startServer()
    {
        if (!server->start())
            return false;
        recorder.holdLatency();
        return true;
    }

    void expectSilence()
    {
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "something still plays");
        recorder.stop();
    }

    bool companionRuns() { return E2e::processesRunning(dir->companion()) == 1; }

    // The null sink's channel volumes as the server reports them.
    QList<quint32> sinkVolumes() const
    {
        const QString out = server->pactlOutput({QStringLiteral("get-sink-volume"), QStringLiteral("tvnull")});
        static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
        QList<quint32> values;
        auto it = channel.globalMatch(out.section(QLatin1Char('\n'), 0, 0));
        while (it.hasNext())
            values << it.next().captured(1).toUInt();
        return values;
    }

private slots:
    void initTestCase_data()
    {
        using Kind = TestSupport::PrivateSoundServer::Kind;
        QTest::addColumn<Kind>("kind");
        QTest::newRow("PulseAudio") << Kind::PulseAudio;
        QTest::newRow("PipeWire") << Kind::PipeWire;
    }
    void initTestCase() { QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "the rig's X server is needed"); }
    void init()
    {
        QFETCH_GLOBAL(TestSupport::PrivateSoundServer::Kind, kind);
        prepare();
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        Settings::write(Settings::Speed, QStringLiteral("100"));
        Settings::write(Settings::Speed2, QStringLiteral("50"));
        scratch = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/tvserver-XXXXXX"));
        QVERIFY(scratch->isValid());
        server = std::make_unique<TestSupport::PrivateSoundServer>(scratch->path(), kind);
        // The program, its companion and the recorder all inherit it.
        qputenv("PULSE_SERVER", server->address().toLocal8Bit());
        QVERIFY2(startServer(), qPrintable(QStringLiteral("the private sound server did not start; its logs are in ")
                                             + scratch->path()));
        if (kind == TestSupport::PrivateSoundServer::Kind::PipeWire) // and not some other server
            QVERIFY(server->pactlOutput({QStringLiteral("info")}).contains(QLatin1String("Server Name: PulseAudio (on PipeWire")));
    }
    void cleanup()
    {
        finish();
        server.reset();
        if (QTest::currentTestFailed())
            scratch->setAutoRemove(false); // the servers' logs
        scratch.reset();
    }

    void serverKilledWhileBothTonesPlay()
    {
        startProgram();
        if (QTest::currentTestFailed())
            return;
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(companionRuns(), 15000); // a loaded machine starts it slowly
        expectBothTones();
        if (QTest::currentTestFailed())
            return;

        server->end(false);
        const bool rodeOut = bothRideOutTheLoss();
        QCOMPARE(program->state(), QProcess::Running);
        QVERIFY2(companionRuns(), "the companion did not survive the loss of its sound server");
        QCOMPARE(E2e::windowsNamed(QStringLiteral("Tinevox"), true), 1); // no message
        QVERIFY(rodeOut);

        // The server returns: both tones come back, the window untouched.
        QVERIFY(startServer());
        expectBothTones();
        if (QTest::currentTestFailed())
            return;

        // Lost again, and STOP while both wait for it: when it returns, all stays silent.
        server->end(false);
        QVERIFY(bothRideOutTheLoss());
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
        QVERIFY(startServer());
        // Long enough for both to have tried the server again more than once.
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(2500, 5000) == 0, "a tone came back after STOP");
        recorder.stop();

        // And the next GO plays both again.
        clickGo();
        QTRY_VERIFY_WITH_TIMEOUT(companionRuns(), 15000); // a loaded machine starts it slowly
        expectBothTones();
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        expectSilence();

        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
    }

    // The slider starts at the sink's volume and moves it: a notch of the wheel up from
    // where it started sets both channels a few steps above the volume it read.
    void volumeSliderReadsAndSetsTheSink()
    {
        using Platform::SinkVolume;
        QVERIFY(server->pactl({QStringLiteral("set-sink-volume"), QStringLiteral("tvnull"), QStringLiteral("20000"),
                               QStringLiteral("20000")}));
        const QList<quint32> before = sinkVolumes();
        QCOMPARE(before.size(), 2);
        const int read = SinkVolume::fromServerVolume(before[0]);
        startProgram();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(sinkVolumes(), before); // reading writes nothing

        clickControl(ForkWindowPlaces::VolumeSlider, QStringLiteral("4")); // a notch of the wheel up
        QTRY_VERIFY_WITH_TIMEOUT(sinkVolumes() != before, 3000);
        const QList<quint32> after = sinkVolumes();
        const auto message = QStringLiteral("read %1 (%2), then set %3 / %4").arg(read).arg(before[0]).arg(after[0]).arg(after[1]);
        QVERIFY2(after.size() == 2 && after[0] == after[1], qPrintable(message));
        QVERIFY2(after[0] > SinkVolume::toServerVolume(quint16(read))
                     && after[0] <= SinkVolume::toServerVolume(quint16(read + 5)), // at most a page step
                 qPrintable(message));
        qInfo("%s", qPrintable(message));
    }
};

QTEST_MAIN(TestServerLostE2e)
#include "test_server_lost_e2e.moc"
