#include "PrivateSoundServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace TestSupport {

namespace {

constexpr int StartTimeoutMs = 10000;

QString runtimeFolder(const QString& scratchDir)
{
    return QDir(scratchDir).filePath(QStringLiteral("pulse-runtime"));
}

} // namespace

PrivateSoundServer::PrivateSoundServer(const QString& scratchDir, Kind kind)
    : kind(kind)
    , scratch(scratchDir)
    , runtimeDir(runtimeFolder(scratchDir))
    // pipewire-pulse listens where a desktop's clients look: pulse/native in the runtime folder.
    , socket(kind == Kind::PipeWire ? runtimeFolder(scratchDir) + QStringLiteral("/pulse/native")
                                    : QDir(scratchDir).filePath(QStringLiteral("native")))
{
    QDir().mkpath(runtimeDir);
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

PrivateSoundServer::~PrivateSoundServer()
{
    end(false);
    if (sessionBus) {
        sessionBus->kill();
        sessionBus->waitForFinished(5000);
    }
}

namespace {

// pactl in the user's language translates its reports; the tests read them in English.
void untranslated(QProcess& p)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
}

} // namespace

QString PrivateSoundServer::pactlOutput(const QStringList& args) const
{
    QProcess p;
    untranslated(p);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("pactl"), QStringList {QStringLiteral("--server=%1").arg(address())} + args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool PrivateSoundServer::pactl(const QStringList& args) const
{
    QProcess p;
    untranslated(p);
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

bool PrivateSoundServer::isRunning() const
{
    for (const auto& p : processes)
        if (p->state() != QProcess::NotRunning)
            return true;
    return false;
}

QProcessEnvironment PrivateSoundServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.remove(QStringLiteral("PULSE_SERVER"));
    if (kind == Kind::PipeWire) {
        // Configuration and remembered state stay in the scratch folder too.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(scratch).filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), QDir(scratch).filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + QDir(scratch).filePath(QStringLiteral("bus")));
        env.remove(QStringLiteral("DISPLAY")); // no bus may be autolaunched on the rig's X server
    }
    return env;
}

bool PrivateSoundServer::launch(const QString& program, const QStringList& args, const QString& log)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(QDir(scratch).filePath(log), QIODevice::Append);
    process->start(program, args);
    const bool started = process->waitForStarted(5000);
    processes.push_back(std::move(process));
    return started;
}

bool PrivateSoundServer::waitUntil(const std::function<bool()>& ready)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < StartTimeoutMs) {
        if (ready())
            return true;
        if (!isRunning())
            return false;
        QThread::msleep(50);
    }
    return false;
}

bool PrivateSoundServer::start()
{
    if (isRunning())
        return true;
    processes.clear();
    if (kind == Kind::PipeWire)
        return startPipeWire();
    if (!launch(QStringLiteral("pulseaudio"),
                {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
                 QStringLiteral("--use-pid-file=no"),
                 QStringLiteral("--load=module-null-sink sink_name=tvnull rate=48000"),
                 QStringLiteral("--load=module-native-protocol-unix socket=%1%2")
                     .arg(socket, everyUser ? QStringLiteral(" auth-anonymous=1") : QString())},
                QStringLiteral("pulse.log")))
        return false;
    return waitUntil([&] { return pactl({QStringLiteral("info")}); });
}

bool PrivateSoundServer::startSessionBus()
{
    if (sessionBus && sessionBus->state() == QProcess::Running)
        return true;
    const QString path = QDir(scratch).filePath(QStringLiteral("bus"));
    QFile::remove(path);
    sessionBus = std::make_unique<QProcess>();
    sessionBus->setProcessEnvironment(environment()); // what it may start lives in the scratch folder too
    sessionBus->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    sessionBus->setProcessChannelMode(QProcess::MergedChannels);
    sessionBus->setStandardOutputFile(QDir(scratch).filePath(QStringLiteral("bus.log")), QIODevice::Append);
    sessionBus->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--nopidfile"), QStringLiteral("--address=unix:path=") + path});
    if (!sessionBus->waitForStarted(5000))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(path) && sessionBus->state() == QProcess::Running && timer.elapsed() < StartTimeoutMs)
        QThread::msleep(20);
    return QFile::exists(path);
}

// The private session manager leaves the machine's devices alone: the real sound cards,
// Bluetooth and cameras belong to the user's own session, if there is one.
bool PrivateSoundServer::writeSessionManagerConfig() const
{
    const QDir config(QDir(scratch).filePath(QStringLiteral("config/wireplumber")));
    const struct {
        const char* folder;
        const char* text;
    } files[] {
        {"main.lua.d", "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n"},
        {"bluetooth.lua.d", "bluez_monitor.enabled = false\n"},
    };
    for (const auto& f : files) {
        QFile file(config.filePath(QLatin1String(f.folder) + QStringLiteral("/80-no-devices.lua")));
        if (!config.mkpath(QLatin1String(f.folder)) || !file.open(QIODevice::WriteOnly)
            || file.write(f.text) != qint64(qstrlen(f.text)))
            return false;
    }
    return true;
}

bool PrivateSoundServer::startPipeWire()
{
    if (!writeSessionManagerConfig() || !startSessionBus())
        return false;
    const QString graph = QDir(runtimeDir).filePath(QStringLiteral("pipewire-0"));
    // A killed server leaves its socket behind: the session manager must not find that
    // one and give up before the new server listens.
    QFile::remove(graph);
    if (!launch(QStringLiteral("pipewire"), {}, QStringLiteral("pipewire.log"))
        || !waitUntil([&] { return QFile::exists(graph); })
        || !launch(QStringLiteral("wireplumber"), {}, QStringLiteral("wireplumber.log"))
        || !launch(QStringLiteral("pipewire-pulse"), {}, QStringLiteral("pipewire-pulse.log"))
        || !waitUntil([&] { return pactl({QStringLiteral("info")}); }))
        return false;
    // The null sink is made anew at each start, as a desktop's configured sink comes back.
    if (!pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=tvnull"),
                QStringLiteral("rate=48000")}))
        return false;
    return waitUntil([&] {
        pactl({QStringLiteral("set-default-sink"), QStringLiteral("tvnull")});
        return pactlOutput({QStringLiteral("get-default-sink")}) == QLatin1String("tvnull");
    });
}

void PrivateSoundServer::end(bool gracefully)
{
    // The server the clients talk to first, the graph last.
    for (auto it = processes.rbegin(); it != processes.rend(); ++it) {
        QProcess& p = **it;
        if (p.state() == QProcess::NotRunning)
            continue;
        if (gracefully && kind == Kind::PulseAudio)
            pactl({QStringLiteral("exit")});
        else if (gracefully)
            p.terminate();
        else
            p.kill();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
    }
}

} // namespace TestSupport
