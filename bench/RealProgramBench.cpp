// The real program on the rig's X server: how long a start takes until its window is
// shown, and what both programs hold in memory (and spend in CPU) while moving mode
// plays. GO is clicked on the skin with xdotool, as a user would.

#include "bench/Benches.h"
#include "bench/Measure.h"
#include "bench/Processes.h"
#include "bench/RealProgram.h"
#include "bench/Tones.h"
#include "bench/WindowWatch.h"

#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>

namespace Bench {

namespace {

constexpr int StartRuns = 10;
constexpr int CloseTimeoutMs = 5000;
constexpr int CpuSeconds = 10;
const QByteArray MainCaption = QByteArrayLiteral("Tinevox");

unsigned long waitForWindow(WindowWatch& watch, RealProgram& program)
{
    const unsigned long window =
        watch.waitForViewable(MainCaption, program.pid(), 10000, [&] { return program.running(); });
    if (!window)
        throw Failure(QStringLiteral("the window of tinevox was not shown within 10 s (%1): %2")
                          .arg(program.running() ? QStringLiteral("still running") : QStringLiteral("it ended"),
                               program.output()));
    return window;
}

void clickSkin(unsigned long window, int x, int y)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"),
                                              QString::number(window), QString::number(x), QString::number(y),
                                              QStringLiteral("click"), QStringLiteral("1")});
    if (!xdotool.waitForFinished(5000) || xdotool.exitCode() != 0)
        throw Failure(QStringLiteral("xdotool could not click the window: %1").arg(xdotool.errorString()));
}

QString mib(long kib)
{
    return QStringLiteral("%1 MiB").arg(static_cast<double>(kib) / 1024.0, 0, 'f', 1);
}

// The rig's sound server stopped with SIGSTOP, as a hung server is: it accepts
// connections and answers nothing. It runs again when this ends.
class HungSoundServer {
public:
    HungSoundServer()
    {
        pid = qEnvironmentVariableIntValue("TINEVOX_BENCH_SERVER_PID");
        if (pid <= 0 || ::kill(pid, SIGSTOP) != 0)
            throw Failure(QStringLiteral("the rig's sound server could not be stopped: run scripts/bench"));
    }
    ~HungSoundServer() { ::kill(pid, SIGCONT); }
    HungSoundServer(const HungSoundServer&) = delete;
    HungSoundServer& operator=(const HungSoundServer&) = delete;

private:
    pid_t pid = 0;
};

Spread startTimes(const AppCopy& app, int& unclosed)
{
    WindowWatch watch;
    std::vector<double> times;
    for (int i = 0; i < StartRuns; ++i) {
        RealProgram program(app);
        QElapsedTimer t;
        t.start();
        program.start();
        const unsigned long window = waitForWindow(watch, program);
        times.push_back(elapsedMs(t));
        if (!program.close(watch, window, CloseTimeoutMs))
            ++unclosed;
    }
    return spreadOf(times);
}

void startToWindow(Table& table, const AppCopy& app, int& unclosed)
{
    const Spread normal = startTimes(app, unclosed);
    table.add(QStringLiteral("start to window shown (real tinevox, fresh settings), median of %1").arg(StartRuns),
              msWithSpread(normal, 0), QStringLiteral("< 500 ms"), normal.median < 500.0);
    Spread hung;
    {
        const HungSoundServer stopped;
        hung = startTimes(app, unclosed);
    }
    table.add(QStringLiteral("start to window shown with the sound server hung (SIGSTOP), median of %1").arg(StartRuns),
              msWithSpread(hung, 0), QStringLiteral("within 300 ms of the start above"),
              hung.median < normal.median + 300.0);
}

void movingMode(Table& table, const AppCopy& app, int& unclosed)
{
    const ToneChoice& tone = LargestTone;
    const QString pitches = describe(planFor(tone)) + QStringLiteral(" + ") + describe(planFor(tone, true));
    const QByteArray settings = QStringLiteral("[Settings]\nBand=Ka\nSpeed=%1\nSpeed2=%2\nMode=Moving\nAccuracy=%3\n")
                                    .arg(tone.speed, tone.secondSpeed, tone.accuracy)
                                    .toUtf8();
    WindowWatch watch;
    RealProgram program(app, settings);
    program.start();
    const unsigned long window = waitForWindow(watch, program);
    QThread::msleep(500); // the window takes clicks once it has settled
    const long shown = residentKiB(program.pid());

    clickSkin(window, 380, 246); // GO
    const qint64 companion = waitForProcess(app.companion(), 5000);
    if (!companion)
        throw Failure(QStringLiteral("GO in moving mode started no companion within 5 s"));
    if (!runEventsUntil([&] {
            return QFile::exists(app.path() + QStringLiteral("/temp.wav"))
                && QFile::exists(app.path() + QStringLiteral("/temp2.wav"));
        }, 5000))
        throw Failure(QStringLiteral("the tone files of moving mode did not appear"));
    QThread::msleep(2000); // past start-up: both streams run

    const long mainKiB = residentKiB(program.pid());
    const long secondKiB = residentKiB(companion);
    table.add(QStringLiteral("resident memory while moving mode plays (%1): tinevox").arg(pitches),
              QStringLiteral("%1 (%2 with the window shown, before GO)").arg(mib(mainKiB), mib(shown)));
    table.add(QStringLiteral("resident memory while moving mode plays: echolet.dll"), mib(secondKiB));

    const double main0 = cpuSecondsOf(program.pid());
    const double second0 = cpuSecondsOf(companion);
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(CpuSeconds);
    const double s = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double mainCpu = (cpuSecondsOf(program.pid()) - main0) / s;
    const double secondCpu = (cpuSecondsOf(companion) - second0) / s;
    const double both = mainCpu + secondCpu;
    table.add(QStringLiteral("CPU of the real programs while moving mode plays (tinevox + echolet.dll, whole "
                             "processes, %1 s)")
                  .arg(CpuSeconds),
              QStringLiteral("%1 % of one core (%2 % + %3 %)")
                  .arg(both * 100, 0, 'f', 2)
                  .arg(mainCpu * 100, 0, 'f', 2)
                  .arg(secondCpu * 100, 0, 'f', 2),
              QStringLiteral("< 2 % of one core"), both < 0.02);

    if (!program.close(watch, window, CloseTimeoutMs))
        ++unclosed;
    if (!runEventsUntil([&] { return processesRunning(app.companion()).empty(); }, CloseTimeoutMs))
        table.note(QStringLiteral("the companion still ran %1 ms after tinevox closed; the bench ended it")
                       .arg(CloseTimeoutMs));
}

} // namespace

void benchRealProgram(Table& table, const QString& builtAppDir)
{
    const AppCopy app(builtAppDir);
    int unclosed = 0;
    startToWindow(table, app, unclosed);
    movingMode(table, app, unclosed);
    if (unclosed)
        table.note(QStringLiteral("%1 start(s) of tinevox did not end within %2 ms of a close request and were ended")
                       .arg(unclosed)
                       .arg(CloseTimeoutMs));
}

} // namespace Bench
