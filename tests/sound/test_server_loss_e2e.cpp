// The looped-sound service when its sound server is missing, appears, dies, is stopped
// or hangs. The test runs a private PulseAudio of its own (own runtime directory and
// socket; only this process is pointed at it through PULSE_SERVER), so it never disturbs
// the rig's server.

#include "platform/LoopedSound.h"

#include "PrivateSoundServer.h"
#include "SoundE2e.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using Platform::LoopedSound;
using SoundE2e::waitForPitch;
using SoundE2e::waitUntil;
using TestSupport::MonitorRecorder;
using TestSupport::PrivateSoundServer;

namespace {

// A guard against hanging, not a speed goal: every call of the player returns at once.
constexpr qint64 kHangMs = 1000;

} // namespace

class ServerLossE2eTest : public QObject {
    Q_OBJECT

    QTemporaryDir scratch {QStringLiteral("/tmp/tvsound-XXXXXX")};
    std::unique_ptr<PrivateSoundServer> server;
    QString tone;
    std::unique_ptr<LoopedSound> sound;
    std::unique_ptr<MonitorRecorder> recorder;

    bool startServer()
    {
        if (!server->start())
            return false;
        recorder = std::make_unique<MonitorRecorder>(QStringLiteral("tvnull.monitor"));
        return recorder->start();
    }

    void endServer(bool gracefully)
    {
        recorder.reset();
        server->end(gracefully);
    }

    // Calls f and checks it came back without hanging.
    template <typename F>
    void returnsAtOnce(F f, const char* what)
    {
        QElapsedTimer timer;
        timer.start();
        f();
        QVERIFY2(timer.elapsed() < kHangMs, qPrintable(QStringLiteral("%1 took %2 ms").arg(what).arg(timer.elapsed())));
    }

    void expectHeard()
    {
        QVERIFY2(waitUntil([&] { return sound->isStreaming(); }, 5000), "the server never asked for audio");
        const auto report = waitForPitch(*recorder, 3139.0);
        QVERIFY2(!report.tones.empty(), "the tone was not heard");
        qInfo("heard %.5f Hz", report.frequency());
        QVERIFY(std::abs(report.frequency() - 3139.0) < 0.01);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        server = std::make_unique<PrivateSoundServer>(scratch.path());
        // Before any player or recorder exists: libpulse reads it for every new context.
        qputenv("PULSE_SERVER", server->address().toLocal8Bit());
        tone = SoundE2e::writeTone(scratch.path(), 31390, 10, 3139);
        QVERIFY(!tone.isEmpty());
        sound = std::make_unique<LoopedSound>();
    }

    void cleanupTestCase()
    {
        sound.reset();
        endServer(false);
    }

    void noServerIsHarmless()
    {
        for (int i = 0; i < 10; ++i) {
            returnsAtOnce([&] { sound->play(tone); }, "play()");
            returnsAtOnce([&] { sound->stop(); }, "stop()");
        }
        returnsAtOnce([&] { sound->play(tone); }, "play()");
        QTest::qWait(500);
        QVERIFY(!sound->isStreaming());
    }

    void serverAppearsAndNextPlayIsHeard()
    {
        QVERIFY2(startServer(), "the private sound server did not start");
        // The earlier play() found no server; this one connects.
        sound->play(tone);
        expectHeard();
    }

    void serverKilledWhilePlaying()
    {
        QVERIFY(sound->isStreaming());
        endServer(false);
        QVERIFY2(waitUntil([&] { return !sound->isStreaming(); }, 3000), "the player did not notice the loss");
        returnsAtOnce([&] { sound->play(tone); }, "play() without a server");
        QTest::qWait(300);
        QVERIFY(!sound->isStreaming());

        QVERIFY(startServer());
        sound->play(tone);
        expectHeard();
    }

    void serverStoppedWhilePlaying()
    {
        QVERIFY(sound->isStreaming());
        endServer(true);
        QVERIFY(waitUntil([&] { return !sound->isStreaming(); }, 3000));
        QVERIFY(startServer());
        sound->play(tone);
        expectHeard();
    }

    void hungServerNeverBlocksTheCaller()
    {
        QVERIFY(sound->isStreaming());
        ::kill(pid_t(server->processId()), SIGSTOP);
        const auto resume = qScopeGuard([&] { ::kill(pid_t(server->processId()), SIGCONT); });
        returnsAtOnce([&] { sound->play(tone); }, "play() with a hung server");
        returnsAtOnce([&] { sound->stop(); }, "stop() with a hung server");
        returnsAtOnce([&] { sound.reset(); }, "destruction with a hung server");
        sound = std::make_unique<LoopedSound>();
        returnsAtOnce([&] { sound->play(tone); }, "play() on a new player, hung server");
        returnsAtOnce([&] { sound.reset(); }, "destroying it");
    }

    void destroyedAfterServerLoss()
    {
        endServer(false);
        QVERIFY(startServer());
        sound = std::make_unique<LoopedSound>();
        sound->play(tone);
        expectHeard();
        endServer(false);
        returnsAtOnce([&] { sound.reset(); }, "destruction after the server died");
    }
};

QTEST_GUILESS_MAIN(ServerLossE2eTest)
#include "test_server_loss_e2e.moc"
