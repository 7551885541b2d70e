#include "PrivateSoundServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace TestSupport {

PrivateSoundServer::PrivateSoundServer(const QString& scratchDir, bool openToAllUsers)
    : scratch(scratchDir)
    , runtimeDir(QDir(scratchDir).filePath(QStringLiteral("pulse-runtime")))
    , socket(QDir(scratchDir).filePath(QStringLiteral("native")))
    , openToAll(openToAllUsers)
{
    QDir().mkpath(runtimeDir);
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

PrivateSoundServer::~PrivateSoundServer()
{
    end(false);
}

bool PrivateSoundServer::pactl(const QStringList& args) const
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("pactl"), QStringList {QStringLiteral("--server=%1").arg(address())} + args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool PrivateSoundServer::start()
{
    if (isRunning())
        return true;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.remove(QStringLiteral("PULSE_SERVER"));
    server.setProcessEnvironment(env);
    server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.setStandardOutputFile(QDir(scratch).filePath(QStringLiteral("pulse.log")), QIODevice::Append);
    server.start(QStringLiteral("pulseaudio"),
                 {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
                  QStringLiteral("--use-pid-file=no"),
                  QStringLiteral("--load=module-null-sink sink_name=tvnull rate=48000"),
                  QStringLiteral("--load=module-native-protocol-unix socket=%1%2")
                      .arg(socket, openToAll ? QStringLiteral(" auth-anonymous=1") : QString())});
    if (!server.waitForStarted(5000))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        if (pactl({QStringLiteral("info")}))
            return true;
        if (!isRunning())
            return false;
        QThread::msleep(50);
    }
    return false;
}

void PrivateSoundServer::end(bool gracefully)
{
    if (!isRunning())
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

} // namespace TestSupport
