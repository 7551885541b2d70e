#include "tone/WaveWriter.h"

#include "platform/LoopedSound.h"
#include "platform/ReplacingFile.h"
#include "tone/NumberText.h"
#include "tone/ToneError.h"
#include "tone/ToneProgress.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>

namespace WaveWriter {

namespace {

constexpr std::int64_t BlockBytes = 64 * 1024;

// "5, 10, 25, 50 or 100"
QString offeredChoices()
{
    return QCoreApplication::translate("WaveWriter", "%1 or %2")
        .arg(OfferedBytesPerCycle.first(OfferedBytesPerCycle.size() - 1).join(QStringLiteral(", ")),
             OfferedBytesPerCycle.last());
}

QString accuracyMessage(const QString& accuracy)
{
    return QCoreApplication::translate("WaveWriter",
               "The setting \"Bytes per Cycle\" holds \"%1\", which gives no usable sample "
               "rate. Choose %2 in Settings.")
        .arg(accuracy, offeredChoices());
}

QString noWaveMessage(const QString& accuracy)
{
    return QCoreApplication::translate("WaveWriter",
               "The setting \"Bytes per Cycle\" holds \"%1\": fewer than %2 bytes per cycle hold no "
               "wave, so nothing would be heard. Choose %3 in Settings.")
        .arg(accuracy, NumberText::plainDecimal(MinBytesPerCycle), offeredChoices());
}

[[noreturn]] void tooHigh(const TonePlan& plan, const QString& accuracy)
{
    // With any entry of "Bytes per Cycle" that Settings offers, a tone too fast to play
    // comes from its frequency, which the caller can name the cause of.
    if (plan.bytesPerCycle > NumberText::largestLeadingValue(OfferedBytesPerCycle))
        throw ToneError(ToneError::Kind::BadAccuracy, accuracyMessage(accuracy));
    throw ToneError(ToneError::Kind::TooHigh,
        QCoreApplication::translate("WaveWriter", "A tone of %1 Hz is too high to play.")
            .arg(NumberText::wholeNumber(plan.frequency)));
}

[[noreturn]] void fileError(const QString& path, int errorNumber)
{
    throw ToneError(ToneError::Kind::FileNotWritten,
        QCoreApplication::translate("WaveWriter",
            "The tone file \"%1\" cannot be written: %2.\n\nTinevox writes its tone files into "
            "the folder \"%3\".")
            .arg(QDir::toNativeSeparators(path), Platform::fileErrorInWords(errorNumber),
                 QDir::toNativeSeparators(QFileInfo(path).path())));
}

} // namespace

QByteArray TonePlan::headerBytes() const
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    const auto data = static_cast<quint32>(dataSize);
    const auto rate = static_cast<quint32>(sampleRate);
    stream.writeRawData("RIFF", 4);
    stream << quint32(data + 36);
    stream.writeRawData("WAVEfmt ", 8);
    // format size, PCM, one channel, sample and byte rate, one byte a block, 8 bits
    stream << quint32(16) << quint16(1) << quint16(1) << rate << rate << quint16(1) << quint16(8);
    stream.writeRawData("data", 4);
    stream << data;
    return out;
}

TonePlan planTone(double duration, double frequency, const QString& accuracy)
{
    TonePlan plan;
    plan.frequency = NumberText::roundHalfEven(frequency);
    if (!(plan.frequency >= 1.0)) {
        throw ToneError(ToneError::Kind::NoFrequency,
            QCoreApplication::translate("WaveWriter", "A tone of %1 Hz cannot be played.")
                .arg(NumberText::wholeNumber(std::isfinite(plan.frequency) ? plan.frequency : 0.0)));
    }

    plan.bytesPerCycle = NumberText::leadingValue(accuracy);
    // A fraction would give cycles of another length than the one the pitch is worked
    // out from: the tone would not be the frequency the readout names.
    if (!(plan.bytesPerCycle >= 1.0) || plan.bytesPerCycle != std::floor(plan.bytesPerCycle))
        throw ToneError(ToneError::Kind::BadAccuracy, accuracyMessage(accuracy));
    // One or two samples a cycle all come out at the centre value: a file of silence.
    if (plan.bytesPerCycle < MinBytesPerCycle)
        throw ToneError(ToneError::Kind::BadAccuracy, noWaveMessage(accuracy));
    const double rate = NumberText::roundHalfEven(plan.bytesPerCycle * plan.frequency);
    // Beyond the player's fastest rate the file would be written and then not heard.
    if (rate > Platform::LoopedSound::MaxSampleRate)
        tooHigh(plan, accuracy);
    plan.sampleRate = static_cast<std::int32_t>(rate);

    plan.samplesPerCycle = static_cast<std::int64_t>(NumberText::roundHalfEven(rate / plan.frequency));
    if (plan.samplesPerCycle < 1)
        throw ToneError(ToneError::Kind::BadAccuracy, accuracyMessage(accuracy));

    plan.totalSamples = static_cast<std::int64_t>(std::floor(rate * duration));
    if (plan.totalSamples < 0)
        plan.totalSamples = 0;
    plan.dataSize = plan.totalSamples / plan.samplesPerCycle * plan.samplesPerCycle;
    plan.cycles = plan.dataSize / plan.samplesPerCycle;
    if (plan.dataSize + 44 > Platform::LoopedSound::MaxFileBytes)
        tooHigh(plan, accuracy);
    return plan;
}

QByteArray cycleBytes(std::int64_t samplesPerCycle)
{
    QByteArray cycle;
    cycle.reserve(static_cast<qsizetype>(samplesPerCycle));
    const double n = static_cast<double>(samplesPerCycle);
    for (std::int64_t i = 1; i <= samplesPerCycle; ++i) {
        const double degrees = NumberText::roundHalfEven(static_cast<double>(i) * 360.0 / n);
        const double x = (3.14 / 180.0) * degrees;
        const double sample = NumberText::roundHalfEven((std::sin(x) + 1.0) * 127.0);
        cycle.append(static_cast<char>(static_cast<unsigned char>(sample)));
    }
    return cycle;
}

bool writeToneFile(const TonePlan& plan, const QString& path, ToneProgress* progress)
{
    const auto finished = qScopeGuard([progress] {
        if (progress)
            progress->finished();
    });
    // A tone shorter than one cycle has no data at all, however long a cycle would be.
    const QByteArray cycle = plan.cycles > 0 ? cycleBytes(plan.samplesPerCycle) : QByteArray();

    // Written under a temporary name beside it and renamed over it once complete; what
    // is not finished is deleted again.
    Platform::ReplacingFile file(path);
    if (!file.open())
        fileError(path, file.error());
    const QByteArray header = plan.headerBytes();
    if (!file.write(header.constData(), header.size()))
        fileError(path, file.error());

    // Whole cycles go to the file in blocks; one write per cycle would cost more than
    // the synthesis itself.
    const std::int64_t blockCycles =
        std::clamp<std::int64_t>(BlockBytes / plan.samplesPerCycle, 1, std::max<std::int64_t>(plan.cycles, 1));
    const QByteArray block = cycle.repeated(static_cast<qsizetype>(blockCycles));
    std::int64_t pendingCycles = 0;
    for (std::int64_t t = 1; t <= plan.cycles; ++t) {
        if (progress)
            progress->progress(static_cast<double>(t) / static_cast<double>(plan.cycles));
        // The first cycle goes out alone, so that the progress is asked about at once.
        ++pendingCycles;
        const bool blockDue = t == 1 || pendingCycles == blockCycles || t == plan.cycles;
        if (!blockDue)
            continue;
        const qint64 size = pendingCycles * plan.samplesPerCycle;
        if (!file.write(block.constData(), size))
            fileError(path, file.error());
        pendingCycles = 0;
        if (progress && progress->cancelRequested())
            return false;
    }
    if (!file.commit())
        fileError(path, file.error());
    return true;
}

} // namespace WaveWriter
