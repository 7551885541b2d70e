#include "tone/WaveWriter.h"

#include "platform/FileSystem.h"
#include "settings/SettingsKeys.h"
#include "settings/NumberText.h"
#include "tone/ToneError.h"
#include "tone/frmProgress.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cmath>
#include <limits>

namespace Module1 {

namespace {

// The window stays responsive without a yield per byte: one every few milliseconds
// keeps it painting, and the writer's own speed keeps the wait short.
constexpr qint64 YieldEveryMs = 8;

void putLittleEndian(QByteArray& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

QString accuracyMessage(const QString& accuracy)
{
    return QCoreApplication::translate("WriteWave",
               "The setting \"Bytes per Cycle\" holds \"%1\", which gives no usable sample "
               "rate. Choose 5, 10, 25, 50 or 100 in Settings.")
        .arg(accuracy);
}

[[noreturn]] void fileError(const QString& path, const QString& reason)
{
    throw ToneError(ToneError::Kind::FileNotWritten,
        QCoreApplication::translate("WriteWave",
            "The tone file \"%1\" cannot be written: %2.\n\nTinevox writes its tone files into "
            "its own folder; make sure that folder is writable and the disk is not full.")
            .arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

QByteArray WaveHeader::bytes() const
{
    QByteArray out;
    out.reserve(44);
    out.append(riff, 4);
    putLittleEndian(out, riffSize, 4);
    out.append(wave, 4);
    out.append(fmt, 4);
    putLittleEndian(out, fmtSize, 4);
    putLittleEndian(out, formatTag, 2);
    putLittleEndian(out, channels, 2);
    putLittleEndian(out, sampleRate, 4);
    putLittleEndian(out, byteRate, 4);
    putLittleEndian(out, blockAlign, 2);
    putLittleEndian(out, bitsPerSample, 2);
    out.append(data, 4);
    putLittleEndian(out, dataSize, 4);
    return out;
}

WaveHeader TonePlan::header() const
{
    WaveHeader h;
    h.riffSize = static_cast<std::uint32_t>(dataSize + 36);
    h.sampleRate = static_cast<std::uint32_t>(sampleRate);
    h.byteRate = static_cast<std::uint32_t>(sampleRate);
    h.dataSize = static_cast<std::uint32_t>(dataSize);
    return h;
}

TonePlan planTone(double duration, double frequency, const QString& accuracy)
{
    TonePlan plan;
    plan.frequency = NumberText::roundHalfEven(frequency);
    if (!(plan.frequency >= 1.0)) {
        throw ToneError(ToneError::Kind::NoFrequency,
            QCoreApplication::translate("WriteWave", "A tone of %1 Hz cannot be played.")
                .arg(NumberText::wholeNumber(std::isfinite(plan.frequency) ? plan.frequency : 0.0)));
    }

    plan.bytesPerCycle = NumberText::leadingValue(accuracy);
    const double rate = NumberText::roundHalfEven(plan.bytesPerCycle * plan.frequency);
    if (!(rate >= 1.0) || rate > std::numeric_limits<std::int32_t>::max())
        throw ToneError(ToneError::Kind::BadAccuracy, accuracyMessage(accuracy));
    plan.sampleRate = static_cast<std::int32_t>(rate);

    plan.samplesPerCycle = static_cast<std::int64_t>(NumberText::roundHalfEven(rate / plan.frequency));
    if (plan.samplesPerCycle < 1)
        throw ToneError(ToneError::Kind::BadAccuracy, accuracyMessage(accuracy));

    plan.totalSamples = static_cast<std::int64_t>(std::floor(rate * duration));
    if (plan.totalSamples < 0)
        plan.totalSamples = 0;
    plan.dataSize = plan.totalSamples / plan.samplesPerCycle * plan.samplesPerCycle;
    plan.cycles = plan.dataSize / plan.samplesPerCycle;
    if (plan.dataSize + 36 > std::numeric_limits<std::uint32_t>::max())
        throw ToneError(ToneError::Kind::BadAccuracy, accuracyMessage(accuracy));
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

void WriteWave(double duration, double frequency, const QString& path, const WriteContext& context)
{
    const TonePlan plan = planTone(duration, frequency, Settings::read(Settings::Accuracy));
    const QByteArray cycle = cycleBytes(plan.samplesPerCycle);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fileError(path, file.errorString());

    // Anything but a finished file is deleted again.
    bool finished = false;
    struct PartialFileGuard {
        QFile& file;
        const bool& finished;
        ~PartialFileGuard()
        {
            if (finished)
                return;
            file.close();
            Platform::deleteFileIgnoringErrors(file.fileName());
        }
    } guard {file, finished};

    if (file.write(plan.header().bytes()) != 44)
        fileError(path, file.errorString());

    frmProgress progress;
    QElapsedTimer sinceYield;
    sinceYield.start();
    for (std::int64_t t = 1; t <= plan.cycles; ++t) {
        const float step = static_cast<float>(100.0 * static_cast<double>(t) / static_cast<double>(plan.cycles));
        progress.setProgressValue(step);
        if (context.onProgress)
            context.onProgress(step);
        if (t == 1) {
            progress.show();
            progress.placeNear(context.mainWindow);
        }
        if (file.write(cycle) != cycle.size())
            fileError(path, file.errorString());

        if (t == 1 || sinceYield.elapsed() >= YieldEveryMs || t == plan.cycles) {
            progress.placeNear(context.mainWindow);
            progress.showProgress();
            QCoreApplication::processEvents();
            sinceYield.restart();
            if (progress.cancelRequested() || (context.abandoned && context.abandoned()))
                throw WriteAbandoned();
        }
    }
    if (!file.flush())
        fileError(path, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        fileError(path, file.errorString());
    finished = true;
}

} // namespace Module1
