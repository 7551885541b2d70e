#include "PrivateXServer.h"

#include <QFile>

#include <csignal>
#include <utility>
#include <sys/prctl.h>

namespace TestSupport {

PrivateXServer::~PrivateXServer()
{
    kill();
}

bool PrivateXServer::start()
{
    // A server that reported its display but does not answer there is started afresh;
    // each such case is logged, with what a client saw.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!launch())
            return false;
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), display()});
        if (probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return true;
        qWarning("Xvfb reported %s, where a client found no server: %s", qPrintable(display()),
                 probe.readAll().left(300).constData());
        kill();
    }
    return false;
}

bool PrivateXServer::launch()
{
    server = std::make_unique<QProcess>();
    server->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    server->setStandardErrorFile(QProcess::nullDevice());
    // With -displayfd it takes the first free display and writes its number once it
    // takes clients. Without -noreset it resets whenever its last client leaves (the
    // probe below, each program of a test), and a client connecting during a reset is
    // refused: "could not connect to display".
    server->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                                           QStringLiteral("-screen"),
                                           QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp")});
    if (!server->waitForStarted(5000))
        return false;
    while (!server->canReadLine() && server->waitForReadyRead(10000)) {
    }
    bool numeric = false;
    const int found = server->readLine().trimmed().toInt(&numeric);
    if (!numeric)
        return false;
    number = found;
    return true;
}

void PrivateXServer::kill()
{
    if (!server)
        return;
    const qint64 pid = server->processId();
    server->kill();
    server->waitForFinished(5000);
    server.reset();
    const int killed = std::exchange(number, -1);
    if (killed < 0)
        return;
    // Once it is gone another test's server may take the same display number at once:
    // its files are left alone. The lock file holds the owner's process id.
    const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(killed);
    QFile lockFile(lock);
    if (!lockFile.open(QIODevice::ReadOnly) || lockFile.readAll().trimmed().toLongLong() != pid)
        return;
    lockFile.close();
    QFile::remove(QStringLiteral("/tmp/.X11-unix/X%1").arg(killed));
    QFile::remove(lock);
}

} // namespace TestSupport
