// The looped-sound service when its sound server is missing, appears, dies, is stopped
// or hangs. A sound that is wanted comes back by itself when the server returns. The test runs a private PulseAudio of its own (own runtime directory and
// socket; only this process is pointed at it through PULSE_SERVER), so it never disturbs
// the rig's server.

#include "platform/LoopedSound.h"

#include "PrivateSoundServer.h"
#include "SoundE2e.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
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
constexpr qint64 HangMs = 1000;

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
        QVERIFY2(timer.elapsed() < HangMs, qPrintable(QStringLiteral("%1 took %2 ms").arg(what).arg(timer.elapsed())));
    }

    void expectHeard()
    {
        QVERIFY2(waitUntil([&] { return sound->isStreaming(); }, 5000), "the server never asked for audio");
        const auto report = waitForPitch(*recorder, 3139.0, 1000);
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

    // Killed or ended in order: the loop comes back without another play(), also after
    // a play() made while the server was away.
    void serverLostWhilePlayingComesBack_data()
    {
        QTest::addColumn<bool>("gracefully");
        QTest::addColumn<bool>("playedMeanwhile");
        QTest::newRow("killed") << false << false;
        QTest::newRow("killed, play() while away") << false << true;
        QTest::newRow("ended") << true << false;
    }
    void serverLostWhilePlayingComesBack()
    {
        QFETCH(bool, gracefully);
        QFETCH(bool, playedMeanwhile);
        QVERIFY(sound->isStreaming());
        endServer(gracefully);
        QVERIFY2(waitUntil([&] { return !sound->isStreaming(); }, 3000), "the player did not notice the loss");
        if (playedMeanwhile)
            returnsAtOnce([&] { sound->play(tone); }, "play() without a server");
        QTest::qWait(2500); // long enough for the back-off to reach its steady pace
        QVERIFY(!sound->isStreaming());
        QVERIFY(startServer());
        expectHeard();
    }

    // While it waits for a server it tries again at a steady pace, never in a busy loop,
    // and stop() ends the waiting at once. The "server" here takes each connection and
    // drops it, counting them.
    void waitingForAServerIsNoBusyLoop()
    {
        QLocalServer dropper;
        QVERIFY(dropper.listen(scratch.filePath(QStringLiteral("dropping"))));
        int attempts = 0;
        connect(&dropper, &QLocalServer::newConnection, &dropper, [&] {
            while (QLocalSocket* s = dropper.nextPendingConnection()) {
                ++attempts;
                s->abort();
                s->deleteLater();
            }
        });
        const QByteArray rigServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + dropper.fullServerName().toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", rigServer); });
        LoopedSound waiting;
        waiting.play(tone);
        QTest::qWait(6000);
        qInfo("%d attempts in 6 s", attempts);
        // A few quick attempts, then at most one a second.
        QVERIFY2(attempts >= 4 && attempts <= 4 + 6 + 1, qPrintable(QStringLiteral("%1 attempts in 6 s").arg(attempts)));
        returnsAtOnce([&] { waiting.stop(); }, "stop() while waiting for a server");
        const int atStop = attempts;
        QTest::qWait(2500);
        QVERIFY2(attempts <= atStop + 1, qPrintable(QStringLiteral("%1 attempts after stop()").arg(attempts - atStop)));
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
