#pragma once

#include <QProcess>
#include <QString>

#include <memory>

namespace TestSupport {

// An X server of a test's own (Xvfb, on a display it finds free itself), so that a test
// may kill it as a crash does without disturbing the rig's. It is killed with the test
// process, even on a crash. Clients reach it through display() (set it as DISPLAY).
class PrivateXServer {
public:
    PrivateXServer() = default;
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // Starts the server and waits until it takes clients; false if it did not.
    bool start();
    // ":N"; empty before start().
    QString display() const { return number < 0 ? QString() : QStringLiteral(":%1").arg(number); }
    // Kills it (SIGKILL) and removes the socket and lock file it leaves behind, unless
    // another server has taken its display number meanwhile.
    void kill();

private:
    bool launch();

    std::unique_ptr<QProcess> server;
    int number = -1;
};

} // namespace TestSupport
