#pragma once

#include "PrivateSoundServer.h"
#include "PrivateXServer.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

// An X server and a sound server of the test's own, made DISPLAY and PULSE_SERVER for
// everything the test opens or starts from then on, so that it shares nothing of the
// rig's and runs beside the tests that do; or the X server alone, for a test that
// plays on the rig's sound server. The test process draws its own widgets off
// the screen (QT_QPA_PLATFORM=offscreen): Qt read DISPLAY before start() could set it.
// Call start() once the QApplication exists.
class PrivateRig {
public:
    ~PrivateRig()
    {
        windowManager.kill();
        windowManager.waitForFinished(5000);
    }

    bool start(bool withSoundServer = true)
    {
        if (!scratch.isValid() || !display.start())
            return false;
        qputenv("DISPLAY", display.display().toUtf8());
        qunsetenv("QT_QPA_PLATFORM"); // the programs it starts show their windows there
        // Windows appear and hide as on the rig's desktop only under a window manager.
        windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!windowManager.waitForStarted(5000))
            return false;
        if (!withSoundServer)
            return true;
        server = std::make_unique<TestSupport::PrivateSoundServer>(scratch.path());
        qputenv("PULSE_SERVER", server->address().toLocal8Bit());
        return server->start();
    }

private:
    QTemporaryDir scratch {QStringLiteral("/tmp/tvrig-XXXXXX")}; // a short path for the socket
    TestSupport::PrivateXServer display;
    QProcess windowManager;
    std::unique_ptr<TestSupport::PrivateSoundServer> server;
};
