// The performance figures of Tinevox: one table, every figure measured on this run.
// Run through scripts/bench, which provides the private X server and sound server.

#include "bench/Benches.h"
#include "bench/Measure.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cstdio>

namespace {

QString firstLine(const QString& path, const QString& prefix = {})
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix.toUtf8()))
            return QString::fromUtf8(line).section(QLatin1Char(':'), prefix.isEmpty() ? 0 : 1).trimmed();
    }
    return {};
}

QString loadAverage()
{
    return firstLine(QStringLiteral("/proc/loadavg")).section(QLatin1Char(' '), 0, 2);
}

// Never against the user's own settings, display or speakers.
void requireRig()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || config.startsWith(QDir::homePath() + QStringLiteral("/.config")))
        throw Bench::Failure(QStringLiteral("XDG_CONFIG_HOME must point at the bench's own folder: run scripts/bench"));
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        throw Bench::Failure(QStringLiteral("the rig's X server and sound server are needed: run scripts/bench"));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString builtAppDir = QStringLiteral(TINEVOX_BUILT_APP_DIR);
    Bench::Table table;
    const QString loadBefore = loadAverage();
    try {
        requireRig();
        Bench::benchWriter(table);
        Bench::benchSoundCpu(table, builtAppDir);
        Bench::benchServerCpu(table);
        Bench::benchFirstBuffer(table, builtAppDir);
        Bench::benchMovingMix(table, builtAppDir);
        Bench::benchGoAndStop(table, builtAppDir);
        Bench::benchServerReturn(table);
        Bench::benchRealProgram(table, builtAppDir);
    } catch (const Bench::Failure& failure) {
        std::fprintf(stderr, "bench: a figure could not be measured: %s\n", failure.what());
        return 1;
    }
    std::printf("Tinevox figures, %s, on %d cores (%s); load average %s before, %s after\n\n",
                qPrintable(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                QThread::idealThreadCount(), qPrintable(firstLine(QStringLiteral("/proc/cpuinfo"), QStringLiteral("model name"))),
                qPrintable(loadBefore), qPrintable(loadAverage()));
    table.print(stdout);
    std::printf("\n%d goal(s) missed\n", table.goalsMissed());
    return 0;
}
