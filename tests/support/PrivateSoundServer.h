#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace TestSupport {

// A sound server of a test's own, with the null sink "tvnull" at 48 kHz as the default,
// on its own socket and runtime directory, so that a test may kill, stop or hang it
// without disturbing the rig's server. It is killed with the test process, even on a
// crash. Clients reach it through address() (set it as PULSE_SERVER).
//
// PulseAudio: one daemon. PipeWire: the desktop's stack, pipewire + wireplumber +
// pipewire-pulse, with a session bus of its own (wireplumber will not run without one)
// that outlives restarts of the server, as a desktop session's bus does.
class PrivateSoundServer {
public:
    enum class Kind { PulseAudio, PipeWire };

    // scratchDir: a folder of the test's own for the socket, runtime folder and logs.
    explicit PrivateSoundServer(const QString& scratchDir, Kind kind = Kind::PulseAudio);
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    QString address() const { return QStringLiteral("unix:") + socket; }

    // PulseAudio only, before start(): clients of any user may connect (no cookie), for a
    // test that runs the program as another user.
    void letEveryUserConnect() { everyUser = true; }

    // Starts the server and waits until it answers with its null sink as the default;
    // false if it did not.
    bool start();
    // Ends it: gracefully asks it to exit, otherwise kills it.
    void end(bool gracefully);
    bool isRunning() const;
    // The process the clients talk to.
    qint64 processId() const { return processes.empty() ? 0 : processes.back()->processId(); }
    // Every process of the server (PipeWire's graph, session manager and pulse server).
    std::vector<qint64> processIds() const
    {
        std::vector<qint64> ids;
        for (const auto& p : processes)
            ids.push_back(p->processId());
        return ids;
    }

    // Runs pactl against this server, quietly; true when it succeeded.
    bool pactl(const QStringList& args) const;
    // pactl's output, empty when it failed.
    QString pactlOutput(const QStringList& args) const;

private:
    bool launch(const QString& program, const QStringList& args, const QString& log);
    bool startPipeWire();
    bool startSessionBus();
    bool writeSessionManagerConfig() const;
    bool waitUntil(const std::function<bool()>& ready);
    QProcessEnvironment environment() const;

    Kind kind;
    bool everyUser = false;
    QString scratch;
    QString runtimeDir;
    QString socket;
    std::unique_ptr<QProcess> sessionBus;
    std::vector<std::unique_ptr<QProcess>> processes; // in start order
};

} // namespace TestSupport
