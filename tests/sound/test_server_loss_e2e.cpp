// The looped-sound service when its sound server is missing, appears, dies, is stopped
// or hangs. The test runs a private PulseAudio of its own (own runtime directory and
// socket; only this process is pointed at it through PULSE_SERVER), so it never disturbs
// the rig's server.

#include "platform/LoopedSound.h"

#include "SoundE2e.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/prctl.h>
#include <memory>

using Platform::LoopedSound;
using SoundE2e::waitForPitch;
using SoundE2e::waitUntil;
using TestSupport::MonitorRecorder;

namespace {

// A guard against hanging, not a speed goal: every call of the player returns at once.
constexpr qint64 kHangMs = 1000;

// Runs pactl against this process's PULSE_SERVER, quietly; true when it succeeded.
bool pactl(const QStringList& args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("pactl"), args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class ServerLossE2eTest : public QObject {
    Q_OBJECT

    QTemporaryDir scratch {QStringLiteral("/tmp/tvsound-XXXXXX")};
    QString runtimeDir;
    QString socket;
    QString tone;
    QProcess server;
    std::unique_ptr<LoopedSound> sound;
    std::unique_ptr<MonitorRecorder> recorder;

    bool startServer()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        env.remove(QStringLiteral("PULSE_SERVER"));
        server.setProcessEnvironment(env);
        // The server goes with this test even if the test crashes.
        server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.setStandardOutputFile(scratch.filePath(QStringLiteral("pulse.log")), QIODevice::Append);
        server.start(QStringLiteral("pulseaudio"),
                     {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
                      QStringLiteral("--use-pid-file=no"),
                      QStringLiteral("--load=module-null-sink sink_name=tvnull rate=48000"),
                      QStringLiteral("--load=module-native-protocol-unix socket=%1").arg(socket)});
        if (!server.waitForStarted(5000))
            return false;
        // pactl inherits this process's PULSE_SERVER, the private socket.
        const bool up = waitUntil([] { return pactl({QStringLiteral("info")}); }, 10000);
        if (!up)
            return false;
        recorder = std::make_unique<MonitorRecorder>(QStringLiteral("tvnull.monitor"));
        return recorder->start();
    }

    void endServer(bool gracefully)
    {
        recorder.reset();
        if (server.state() == QProcess::NotRunning)
            return;
        if (gracefully)
            pactl({QStringLiteral("exit")});
        else
            server.kill();
        if (!server.waitForFinished(5000)) {
            server.kill();
            server.waitForFinished(5000);
        }
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
        runtimeDir = scratch.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkpath(runtimeDir));
        QVERIFY(QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        socket = scratch.filePath(QStringLiteral("native"));
        // Before any player or recorder exists: libpulse reads it for every new context.
        qputenv("PULSE_SERVER", QStringLiteral("unix:%1").arg(socket).toLocal8Bit());
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
        ::kill(pid_t(server.processId()), SIGSTOP);
        const auto resume = qScopeGuard([&] { ::kill(pid_t(server.processId()), SIGCONT); });
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
