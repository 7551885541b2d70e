#pragma once

#include <QProcess>
#include <QString>

namespace TestSupport {

// A PulseAudio server of a test's own, with the null sink "tvnull" at 48 kHz, on its
// own socket and runtime directory, so that a test may kill, stop or hang it without
// disturbing the rig's server. It is killed with the test process, even on a crash.
// Clients reach it through address() (set it as PULSE_SERVER).
class PrivateSoundServer {
public:
    // scratchDir: a folder of the test's own for the socket, runtime folder and log.
    // openToAllUsers: clients of any user may connect (no cookie), for a test that runs
    // the program as another user.
    explicit PrivateSoundServer(const QString& scratchDir, bool openToAllUsers = false);
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    QString address() const { return QStringLiteral("unix:") + socket; }

    // Starts the server and waits until it answers; false if it did not.
    bool start();
    // Ends it: gracefully asks it to exit, otherwise kills it.
    void end(bool gracefully);
    bool isRunning() const { return server.state() != QProcess::NotRunning; }
    qint64 processId() const { return server.processId(); }

    // Runs pactl against this server, quietly; true when it succeeded.
    bool pactl(const QStringList& args) const;

private:
    QString scratch;
    QString runtimeDir;
    QString socket;
    bool openToAll = false;
    QProcess server;
};

} // namespace TestSupport
