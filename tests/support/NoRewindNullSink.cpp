#include "NoRewindNullSink.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace TestSupport {

namespace {

// pactl's output, untranslated; empty when it failed.
QString pactl(const QStringList& args, bool* ok = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("pactl"), args);
    const bool finished = p.waitForFinished(5000);
    if (!finished) {
        p.kill();
        p.waitForFinished(1000);
    }
    const bool succeeded = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = succeeded;
    return succeeded ? QString::fromUtf8(p.readAllStandardOutput()).trimmed() : QString();
}

} // namespace

NoRewindNullSink::NoRewindNullSink(QString name) : name(std::move(name)) {}

NoRewindNullSink::~NoRewindNullSink()
{
    if (!previousDefault.isEmpty())
        pactl({QStringLiteral("set-default-sink"), previousDefault});
    for (auto m = rewindingModules.rbegin(); m != rewindingModules.rend(); ++m)
        pactl({QStringLiteral("unload-module"), *m});
    if (!module.isEmpty())
        pactl({QStringLiteral("unload-module"), module});
}

bool NoRewindNullSink::load()
{
    if (!module.isEmpty())
        return true;
    previousDefault = pactl({QStringLiteral("get-default-sink")});
    module = pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + name,
                    QStringLiteral("rate=48000"), QStringLiteral("norewinds=1")});
    bool ok = !module.isEmpty();
    if (ok)
        pactl({QStringLiteral("set-sink-volume"), name, QStringLiteral("100%")}, &ok);
    if (ok)
        pactl({QStringLiteral("set-default-sink"), name}, &ok);
    return ok && pactl({QStringLiteral("get-default-sink")}) == name;
}

bool NoRewindNullSink::hearRewindingSink(const QString& rewinding)
{
    for (const QStringList& args :
         {QStringList {QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + rewinding, QStringLiteral("rate=48000")},
          QStringList {QStringLiteral("module-loopback"), QStringLiteral("source=") + rewinding + QStringLiteral(".monitor"),
                       QStringLiteral("sink=") + name, QStringLiteral("latency_msec=600"), QStringLiteral("adjust_time=0")}}) {
        const QString loaded = pactl(QStringList {QStringLiteral("load-module")} + args);
        if (loaded.isEmpty())
            return false;
        rewindingModules.append(loaded);
    }
    bool ok = false;
    pactl({QStringLiteral("set-sink-volume"), rewinding, QStringLiteral("100%")}, &ok);
    if (ok)
        pactl({QStringLiteral("set-default-sink"), rewinding}, &ok);
    return ok;
}

} // namespace TestSupport
