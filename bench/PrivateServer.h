#pragma once

#include "bench/Measure.h"
#include "PrivateSoundServer.h"

#include <QTemporaryDir>

namespace Bench {

// A private sound server of one figure's own, in a scratch folder, that this process's
// players and the programs it starts reach while it lives; the rig's server after.
class PrivateServer {
public:
    explicit PrivateServer(TestSupport::PrivateSoundServer::Kind kind = TestSupport::PrivateSoundServer::Kind::PulseAudio)
        : rigServer(qgetenv("PULSE_SERVER"))
    {
        if (!scratch.isValid())
            throw Failure(QStringLiteral("no scratch folder for the private sound server"));
        server = std::make_unique<TestSupport::PrivateSoundServer>(scratch.path(), kind);
        qputenv("PULSE_SERVER", server->address().toLocal8Bit());
        if (!server->start())
            throw Failure(QStringLiteral("the private sound server did not start"));
    }
    ~PrivateServer()
    {
        server.reset();
        qputenv("PULSE_SERVER", rigServer);
    }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    TestSupport::PrivateSoundServer& operator*() { return *server; }
    TestSupport::PrivateSoundServer* operator->() { return server.get(); }
    QString filePath(const QString& name) const { return scratch.filePath(name); }

private:
    const QByteArray rigServer;
    QTemporaryDir scratch;
    std::unique_ptr<TestSupport::PrivateSoundServer> server;
};

} // namespace Bench
