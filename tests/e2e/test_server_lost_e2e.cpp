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

    // Both tones of X band at 100 and 50 mph, in a two-second window. The two programs
    // come back each on its own and the null sink may take up to 2 s to let a new stream
    // be heard, so a few windows are tried.
    void expectBothTones()
    {
        QVERIFY(recorder.start());
        QTest::qWait(1000);
        std::vector<double> heard;
        for (int window = 0; window < 5; ++window) {
            const TestSupport::PitchReport report = TestSupport::measurePitch(recorder.record(2000), MonitorRecorder::Rate, 2);
            heard = {report.frequency(0), report.frequency(1)};
            std::sort(heard.begin(), heard.end());
            if (qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01)
                break;
        }
        recorder.stop();
        QVERIFY2(qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));
        qInfo("%s: heard %.4f and %.4f Hz", QTest::currentDataTag(), heard[0], heard[1]);
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
        QVERIFY2(server->start(), qPrintable(QStringLiteral("the private sound server did not start; its logs are in ")
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

        const Geometry g = geometry();
        xdotool({QStringLiteral("mousemove"), QString::number(g.x + 620), QString::number(g.y + 237), // the volume slider
                 QStringLiteral("click"), QStringLiteral("4")});
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
