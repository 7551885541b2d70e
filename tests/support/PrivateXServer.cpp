#include "PrivateXServer.h"

#include <QFile>

#include <csignal>
#include <sys/prctl.h>

namespace TestSupport {

PrivateXServer::~PrivateXServer()
{
    kill();
}

bool PrivateXServer::start()
{
    server = std::make_unique<QProcess>();
    server->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    server->setStandardErrorFile(QProcess::nullDevice());
    // With -displayfd it takes the first free display and writes its number once it
    // takes clients.
    server->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
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
    server->kill();
    server->waitForFinished(5000);
    server.reset();
    if (number >= 0) {
        QFile::remove(QStringLiteral("/tmp/.X11-unix/X%1").arg(number));
        QFile::remove(QStringLiteral("/tmp/.X%1-lock").arg(number));
    }
}

} // namespace TestSupport
