#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <vector>

namespace TestSupport {

// Records the rig's null sink through its monitor source with parec: mono float32 at
// 48 kHz, 20 ms latency (without it most of the audio is lost when parec stops).
// Uses the sound server of the process environment (PULSE_SERVER).
class MonitorRecorder {
public:
    static constexpr int Rate = 48000;

    // monitor: source name; empty means $TINEVOX_TEST_MONITOR, default "tvnull.monitor".
    explicit MonitorRecorder(QString monitor = QString());
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    static QString defaultMonitor();
    QString monitor() const { return source; }

    // Starts parec (dropping earlier samples); false if it did not start.
    bool start();
    // Stops parec, keeping what it recorded.
    void stop();
    bool isRecording() const;

    // Collects what parec has delivered so far and returns all samples since start().
    const std::vector<float>& samples();
    // Keeps recording for ms milliseconds (bounded by wall time) and returns the samples
    // recorded in that time.
    std::vector<float> record(int ms);

    // Waits up to timeoutMs for a tone (RMS of 50 ms above minRms), lets it settle for
    // 100 ms, then records windowMs and returns that window; empty if no tone came.
    // The null sink can take up to 2 s before a new stream is heard.
    std::vector<float> recordTone(int windowMs = 2000, int timeoutMs = 5000, double minRms = 0.01);

    // Records until windowMs of silence (no sample above maxLevel) or up to timeoutMs;
    // returns how many milliseconds of recording came before the silent window, or -1 if
    // it never fell silent.
    int waitForSilence(int windowMs = 200, int timeoutMs = 3000, double maxLevel = 1e-3);

private:
    void pump(int waitMs);

    QString source;
    QProcess process;
    QByteArray pending;
    std::vector<float> recorded;
};

// RMS of samples[from, to) after removing their mean; 0 for an empty range.
double rmsOf(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX);

} // namespace TestSupport
