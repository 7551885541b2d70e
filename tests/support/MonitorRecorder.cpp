#include "MonitorRecorder.h"

#include <QElapsedTimer>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace TestSupport {

MonitorRecorder::MonitorRecorder(QString monitor, int latencyMs)
    : source(monitor.isEmpty() ? defaultMonitor() : std::move(monitor)), latencyMs(latencyMs)
{
}

MonitorRecorder::~MonitorRecorder()
{
    stop();
    if (hold.state() != QProcess::NotRunning) {
        hold.kill();
        hold.waitForFinished(2000);
    }
}

QString MonitorRecorder::defaultMonitor()
{
    const QString env = qEnvironmentVariable("TINEVOX_TEST_MONITOR");
    return env.isEmpty() ? QStringLiteral("tvnull.monitor") : env;
}

QStringList MonitorRecorder::parecArguments() const
{
    return {QStringLiteral("-d"), source, QStringLiteral("--latency-msec=%1").arg(latencyMs),
            QStringLiteral("--format=float32le"), QStringLiteral("--rate=%1").arg(Rate),
            QStringLiteral("--channels=1"), QStringLiteral("--raw")};
}

bool MonitorRecorder::start()
{
    stop();
    holdLatency();
    pending.clear();
    recorded.clear();
    deliveryOffsetsMs.clear();
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("parec"), parecArguments());
    return process.waitForStarted(5000);
}

bool MonitorRecorder::holdLatency()
{
    const QString server = qEnvironmentVariable("PULSE_SERVER");
    if (hold.state() != QProcess::NotRunning) {
        if (server == heldServer)
            return true;
        hold.kill();
        hold.waitForFinished(2000);
    }
    heldServer = server;
    hold.setStandardOutputFile(QProcess::nullDevice());
    hold.setStandardErrorFile(QProcess::nullDevice());
    hold.start(QStringLiteral("parec"), parecArguments());
    return hold.waitForStarted(5000);
}

void MonitorRecorder::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    pump(0);
    process.terminate();
    if (!process.waitForFinished(2000)) {
        process.kill();
        process.waitForFinished(2000);
    }
    pump(0);
}

bool MonitorRecorder::isRecording() const
{
    return process.state() == QProcess::Running;
}

void MonitorRecorder::pump(int waitMs)
{
    if (waitMs > 0 && process.state() == QProcess::Running && process.bytesAvailable() == 0)
        process.waitForReadyRead(waitMs);
    const QByteArray delivered = process.readAllStandardOutput();
    const double arrivedMs = steadyMs();
    if (!delivered.isEmpty())
        deliveryOffsetsMs.push_back(arrivedMs - static_cast<double>(recorded.size()) * 1000.0 / Rate);
    pending += delivered;
    const qsizetype whole = pending.size() / qsizetype(sizeof(float));
    if (whole == 0)
        return;
    const std::size_t old = recorded.size();
    recorded.resize(old + static_cast<std::size_t>(whole));
    std::memcpy(recorded.data() + old, pending.constData(), static_cast<std::size_t>(whole) * sizeof(float));
    pending.remove(0, whole * qsizetype(sizeof(float)));
}

const std::vector<float>& MonitorRecorder::samples()
{
    pump(0);
    return recorded;
}

std::vector<float> MonitorRecorder::record(int ms)
{
    pump(0);
    const std::size_t from = recorded.size();
    const std::size_t wanted = from + static_cast<std::size_t>(ms) * Rate / 1000;
    QElapsedTimer timer;
    timer.start();
    // Wall-time bound: twice the window plus a second, in case parec stalls.
    while (recorded.size() < wanted && timer.elapsed() < 2 * ms + 1000 && isRecording())
        pump(50);
    const std::size_t to = std::min(recorded.size(), wanted);
    return std::vector<float>(recorded.begin() + static_cast<std::ptrdiff_t>(from),
                              recorded.begin() + static_cast<std::ptrdiff_t>(to));
}

std::vector<float> MonitorRecorder::recordTone(int windowMs, int timeoutMs, double minRms)
{
    if (!isRecording() && !start())
        return {};
    pump(0);
    constexpr std::size_t Probe = Rate / 20;
    std::size_t checked = recorded.size();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && isRecording()) {
        pump(50);
        while (checked + Probe <= recorded.size()) {
            if (rmsOf(recorded, checked, checked + Probe) > minRms) {
                record(100);
                return record(windowMs);
            }
            checked += Probe;
        }
    }
    return {};
}

int MonitorRecorder::waitForSilence(int windowMs, int timeoutMs, double maxLevel)
{
    if (!isRecording() && !start())
        return -1;
    pump(0);
    const std::size_t origin = recorded.size();
    const std::size_t window = static_cast<std::size_t>(windowMs) * Rate / 1000;
    // Index of the first sample after which everything so far is quiet.
    std::size_t quietFrom = origin;
    QElapsedTimer timer;
    timer.start();
    constexpr std::size_t Step = Rate / 100;
    std::size_t checked = origin;
    while (timer.elapsed() < timeoutMs + windowMs && isRecording()) {
        pump(50);
        while (checked + Step <= recorded.size()) {
            for (std::size_t i = checked; i < checked + Step; ++i)
                if (std::abs(recorded[i]) > maxLevel)
                    quietFrom = checked + Step;
            checked += Step;
        }
        if (checked >= quietFrom + window)
            return static_cast<int>((quietFrom - origin) * 1000 / Rate);
    }
    return -1;
}

double MonitorRecorder::deliveryOffsetAt(double fraction) const
{
    std::vector<double> offsets = deliveryOffsetsMs;
    const auto at = offsets.begin() + static_cast<std::ptrdiff_t>(static_cast<double>(offsets.size() - 1) * fraction);
    std::nth_element(offsets.begin(), at, offsets.end());
    return *at;
}

std::optional<double> MonitorRecorder::playedAtMs(std::size_t index) const
{
    if (deliveryOffsetsMs.empty())
        return std::nullopt;
    return deliveryOffsetAt(0.1) + static_cast<double>(index) * 1000.0 / Rate;
}

double MonitorRecorder::medianDeliveryLagMs() const
{
    return deliveryOffsetsMs.empty() ? 0.0 : deliveryOffsetAt(0.5) - deliveryOffsetAt(0.1);
}

double MonitorRecorder::steadyMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double rmsOf(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    to = std::min(to, samples.size());
    if (from >= to)
        return 0;
    double mean = 0;
    for (std::size_t i = from; i < to; ++i)
        mean += samples[i];
    mean /= static_cast<double>(to - from);
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += (samples[i] - mean) * (samples[i] - mean);
    return std::sqrt(sum / static_cast<double>(to - from));
}

} // namespace TestSupport
