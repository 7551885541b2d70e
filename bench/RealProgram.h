#pragma once

// The real tinevox as a user starts it: from a scratch copy of the application
// directory, on the rig's X server and sound server, with settings and an instance
// lock of its own for every start.

#include <QProcess>
#include <QTemporaryDir>

namespace Bench {

class WindowWatch;

// A scratch application directory with copies of both programs and the read-me.
class AppCopy {
public:
    explicit AppCopy(const QString& builtAppDir);
    QString path() const { return dir.path(); }
    QString tinevox() const { return dir.filePath(QStringLiteral("tinevox")); }
    QString companion() const { return dir.filePath(QStringLiteral("echolet.dll")); }

private:
    QTemporaryDir dir;
};

class RealProgram {
public:
    // settings: the text of its Tinecheck.conf, empty for a first start.
    RealProgram(const AppCopy& app, const QByteArray& settings = {});
    // Ends the program and any companion of the copy that still runs.
    ~RealProgram();
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    void start(); // throws Failure when it cannot be started
    qint64 pid() const { return process.processId(); }
    bool running() const { return process.state() == QProcess::Running; }
    QString output();

    // Posts its window (as the watch saw it) the close request the title bar's X posts,
    // and waits for the program to end. False when it had to be ended instead.
    bool close(WindowWatch& watch, unsigned long window, int timeoutMs);

private:
    const AppCopy& app;
    QTemporaryDir config;
    QTemporaryDir runtime;
    QProcess process;
};

} // namespace Bench
