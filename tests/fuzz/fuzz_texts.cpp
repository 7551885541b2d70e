// libFuzzer target: the texts the program reads back from the settings store and the
// speed boxes. Whatever they hold, parsing them never fails, and the tone planned from
// them is either refused with a message or consistent.

#include "mainwindow/MainWindowSettings.h"
#include "tone/NumberText.h"
#include "settings/SettingsKeys.h"
#include "tone/DopplerModel.h"
#include "tone/ToneError.h"
#include "tone/WaveWriter.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first half is a stored "Accuracy", the rest a speed box's text.
    const std::size_t half = size / 2;
    const QString accuracy = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(half));
    const QString speed = QString::fromUtf8(reinterpret_cast<const char*>(data + half), static_cast<qsizetype>(size - half));

    const double value = NumberText::leadingValue(speed);
    if (!std::isfinite(value))
        std::abort();
    const double rounded = NumberText::roundHalfEven(value);
    if (std::fabs(rounded - value) > 0.5)
        std::abort();
    // A speed is kept as its leading number in plain digits, which reads back as the
    // same number (to the 15 significant digits it is kept with).
    const QString stored = MainWindowSettings::storedSpeed(speed);
    const double back = NumberText::leadingValue(stored);
    if (stored.contains(QLatin1Char('e')) || std::fabs(back - value) > 1e-14 * std::fabs(value))
        std::abort();
    Settings::unitIsMph(speed);
    Settings::modeIsStationary(speed);
    Settings::showFreqIsOn(speed);
    Doppler::bandFromName(speed);
    Doppler::WaveLength(speed);
    Doppler::DopplerConst(accuracy);

    const double frequency = value * 31.3890218012089;
    try {
        const WaveWriter::TonePlan plan = WaveWriter::planTone(0.5, frequency, accuracy);
        if (plan.sampleRate < 1 || plan.samplesPerCycle < 1 || plan.dataSize % plan.samplesPerCycle != 0
            || plan.dataSize > plan.totalSamples || plan.cycles * plan.samplesPerCycle != plan.dataSize)
            std::abort();
        if (plan.samplesPerCycle <= 4096)
            WaveWriter::cycleBytes(plan.samplesPerCycle);
    } catch (const ToneError& e) {
        if (e.message().isEmpty())
            std::abort();
    }
    return 0;
}
