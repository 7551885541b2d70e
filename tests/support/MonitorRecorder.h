#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace TestSupport {

// Records the rig's null sink through its monitor source with parec: mono float32 at
// 48 kHz, 20 ms latency (without it most of the audio is lost when parec stops).
// Uses the sound server of the process environment (PULSE_SERVER).
//
// The latency asked for is also how far ahead a null sink renders while it is recorded:
// it renders that much at a time, as the first sample of it falls due, and the monitor
// hands it on at once. Unrecorded, a null sink renders up to 2 s ahead, and a recording
// started then hears nothing new, neither a new tone nor a stopped one's end, until the
// sink's clock has caught up: so from its first start() on, a recorder keeps the sink
// rendering in small steps, as a sound card plays, until it goes (holdLatency()).
class MonitorRecorder {
public:
    static constexpr int Rate = 48000;

    // monitor: source name; empty means $TINEVOX_TEST_MONITOR, default "tvnull.monitor".
    explicit MonitorRecorder(QString monitor = QString(), int latencyMs = 20);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    static QString defaultMonitor();
    QString monitor() const { return source; }

    // Starts parec (dropping earlier samples); false if it did not start.
    bool start();
    // Keeps the sink rendering in steps of this recorder's latency from now on, on the
    // sound server of the process environment, while this recorder lives, recording or
    // not: a second parec whose samples are thrown away. Started again when the server
    // changed or went. False if parec did not start.
    bool holdLatency();
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

    // When the sink played sample index of the recording, in milliseconds of the steady
    // clock (steadyMs()); empty before parec has delivered anything. The recording keeps
    // the sink's clock, and each piece reaches this process a fraction of a millisecond
    // after its first sample fell due, so every delivery bounds where the recording
    // lies; a late one (this process busy elsewhere) only loosens its bound. Of all
    // deliveries the 10th percentile is taken, which leaves out the rare piece parec
    // hands on in two parts. Holds only where the sink never rewinds (norewinds=1): a
    // rewind shifts the recording against the sink's clock.
    std::optional<double> playedAtMs(std::size_t index) const;
    // How much later than playedAtMs() allows the median delivery arrived: how closely
    // the deliveries agree on where the recording lies.
    double medianDeliveryLagMs() const;
    static double steadyMs();

private:
    void pump(int waitMs);

    QStringList parecArguments() const;

    QString source;
    int latencyMs;
    QProcess process;
    QProcess hold;
    QString heldServer;
    QByteArray pending;
    std::vector<float> recorded;
    // For each delivery: when it arrived less where its first sample lies, in ms.
    std::vector<double> deliveryOffsetsMs;
    double deliveryOffsetAt(double fraction) const;
};

// RMS of samples[from, to) after removing their mean; 0 for an empty range.
double rmsOf(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX);

} // namespace TestSupport
