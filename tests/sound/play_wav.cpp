// play_wav <file> [seconds]: loops the file through LoopedSound in a process of its own,
// until stdin closes or the seconds have passed, then reports on stderr the CPU time per
// second of playing, of the sound thread alone and of the whole process (which includes
// this program's own polling), and exits normally, which shows that exit while playing
// is clean.

#include "platform/LoopedSound.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + 1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// Time the sound thread has run, in seconds, from the scheduler's nanosecond count.
double soundThreadSeconds()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "tinevox-sound")
            continue;
        QFile sched(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (sched.open(QIODevice::ReadOnly))
            return sched.readAll().split(' ').value(0).toDouble() * 1e-9;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <file.wav> [seconds]\n", argv[0]);
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : -1;
    Platform::LoopedSound sound;
    sound.play(QString::fromLocal8Bit(argv[1]));

    const auto start = std::chrono::steady_clock::now();
    // Measured from the first request for audio, so connecting is not counted.
    double cpuAtStream = -1;
    double threadAtStream = 0;
    auto streamStart = start;
    for (;;) {
        if (cpuAtStream < 0 && sound.isStreaming()) {
            cpuAtStream = cpuSeconds();
            threadAtStream = soundThreadSeconds();
            streamStart = std::chrono::steady_clock::now();
            std::fprintf(stdout, "streaming\n");
            std::fflush(stdout);
        }
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds >= 0 && elapsed >= seconds)
            break;
        pollfd in {STDIN_FILENO, POLLIN, 0};
        if (seconds < 0 && poll(&in, 1, 100) > 0) {
            char c;
            if (read(STDIN_FILENO, &c, 1) <= 0)
                break;
        } else if (seconds >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (cpuAtStream >= 0) {
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - streamStart).count();
        const double cpu = cpuSeconds() - cpuAtStream;
        const double thread = soundThreadSeconds() - threadAtStream;
        std::fprintf(stderr, "played %.2f s; sound thread %.4f s cpu = %.3f %% of one core; whole process %.3f %%\n",
                     wall, thread, 100.0 * thread / wall, 100.0 * cpu / wall);
    } else {
        std::fprintf(stderr, "never streamed\n");
    }
    return 0;
}
