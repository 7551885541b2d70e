// Figures for the tone writer and the sound service.
//
//   writer: the largest tone file (Ka band, 199 mph, 100 bytes per cycle: 20060 Hz at
//           2,006,000 samples per second, 1,003,044 bytes), WriteWave beside a plain
//           write of the same bytes, median of repeated runs;
//   sound:  CPU time of this process per second of audio while it loops that file
//           through the sound server, minus the idle process's own CPU.

#include "platform/LoopedSound.h"
#include "settings/SettingsKeys.h"
#include "tone/DopplerModel.h"
#include "tone/WaveWriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// CPU seconds used per wall second while fn's effect lasts for the given time.
double cpuPerSecond(double seconds)
{
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(static_cast<unsigned long>(seconds * 1000));
    return (cpuSeconds() - cpu0) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("temp.wav"));
    const QString plainPath = dir.filePath(QStringLiteral("plain.wav"));

    Settings::write(Settings::Accuracy, QStringLiteral("100"));
    const double frequency =
        Doppler::toneFrequency(Doppler::dopplerConstantFor(Doppler::Band::Ka), QStringLiteral("199"));

    const int runs = 30;
    std::vector<double> writer;
    std::vector<double> plain;
    QByteArray bytes;
    for (int i = 0; i < runs; ++i) {
        QFile::remove(path);
        QElapsedTimer t;
        t.start();
        Module1::WriteWave(0.5, frequency, path);
        writer.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);

        if (bytes.isEmpty()) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return 1;
            bytes = f.readAll();
        }
        QFile::remove(plainPath);
        t.restart();
        QFile out(plainPath);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return 1;
        out.close();
        plain.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::printf("%-52s %12s\n", "measure", "value");
    std::printf("%-52s %12lld\n", "largest tone file, bytes", static_cast<long long>(bytes.size()));
    std::printf("%-52s %9.2f ms\n", "WriteWave, median of 30", median(writer));
    std::printf("%-52s %9.2f ms\n", "plain write of the same bytes, median of 30", median(plain));
    std::printf("%-52s %10.1f x\n", "WriteWave / plain write", median(writer) / median(plain));

    if (qEnvironmentVariableIsEmpty("PULSE_SERVER") && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        std::printf("no sound server: sound figures skipped\n");
        return 0;
    }
    const double seconds = 10.0;
    const double idle = cpuPerSecond(2.0);
    Platform::LoopedSound sound;
    sound.play(path);
    QElapsedTimer wait;
    wait.start();
    while (!sound.isStreaming() && wait.elapsed() < 5000)
        QThread::msleep(10);
    if (!sound.isStreaming()) {
        std::printf("the sound server did not take the stream: sound figures skipped\n");
        return 1;
    }
    QThread::msleep(500); // past the start-up buffering
    const double playing = cpuPerSecond(seconds);
    sound.stop();
    const double perSecond = std::max(0.0, playing - idle);
    std::printf("%-52s %9.2f ms\n", "sound service CPU per second of audio (2,006,000 Hz)", perSecond * 1000);
    std::printf("%-52s %10.2f %%\n", "  that is, of one core", perSecond * 100);
    return 0;
}
