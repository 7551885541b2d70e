// The sound-quality meter that the sound-quality tests and the bench rely on: synthetic
// signals of known level in, readings in dBFS out, with tones, harmonics and DC left
// out and nothing else.

#include "SoundQualityMeter.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

using TestSupport::ToneSet;
using Signal = std::vector<float>;

Q_DECLARE_METATYPE(Signal)
Q_DECLARE_METATYPE(ToneSet)

namespace {

constexpr double Rate = 48000;

double fromDb(double db)
{
    return std::pow(10.0, db / 20.0);
}

// A frequency of 0 is DC.
struct Part {
    double frequency;
    double amplitude;
};

Signal synth(std::initializer_list<Part> parts, double seconds)
{
    Signal out(static_cast<std::size_t>(seconds * Rate));
    for (std::size_t i = 0; i < out.size(); ++i) {
        double v = 0;
        for (const Part& p : parts)
            v += p.frequency == 0 ? p.amplitude
                                  : p.amplitude * std::sin(2 * std::numbers::pi * p.frequency * double(i) / Rate + 0.3);
        out[i] = float(v);
    }
    return out;
}

// What the sink makes of a mix: signed 16 bit, clamped.
Signal mixedIntoSixteenBit(Signal s)
{
    for (float& v : s)
        v = float(std::clamp(std::round(double(v) * 32768.0), -32768.0, 32767.0) / 32768.0);
    return s;
}

// The signal sounds from 100 ms to 250 ms only, switched hard or with raised-cosine
// fades of fadeMs at both ends.
Signal gated(Signal s, double fadeMs)
{
    const auto on = std::size_t(0.100 * Rate), off = std::size_t(0.250 * Rate);
    const auto fade = std::size_t(fadeMs / 1000 * Rate);
    for (std::size_t i = 0; i < s.size(); ++i) {
        double gain = i >= on && i < off ? 1.0 : 0.0;
        if (gain > 0 && fade > 0) {
            const double edge = double(std::min(i - on, off - 1 - i)) / double(fade);
            if (edge < 1)
                gain = 0.5 - 0.5 * std::cos(std::numbers::pi * edge);
        }
        s[i] = float(s[i] * gain);
    }
    return s;
}

} // namespace

class SoundQualityMeterTest : public QObject {
    Q_OBJECT

    enum Reading { Clipped, Spur, Click };

private slots:
    void readingsAreCalibrated_data()
    {
        QTest::addColumn<Signal>("signal");
        QTest::addColumn<ToneSet>("tones");
        QTest::addColumn<int>("reading");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");

        const ToneSet movingTones {{2040, 1256}, 0};
        const Signal fullLevelPair = mixedIntoSixteenBit(synth({{2040, 1.0}, {1256, 1.0}}, 1.0));
        const Signal halfLevelPair = mixedIntoSixteenBit(synth({{2040, 0.45}, {1256, 0.45}}, 1.0));
        QTest::newRow("two full-level tones clip in the mix")
            << fullLevelPair << movingTones << int(Clipped) << 0.05 << 1.0;
        QTest::newRow("their clipping is a loud spurious component")
            << fullLevelPair << movingTones << int(Spur) << -40.0 << 0.0;
        QTest::newRow("two tones at less than half level do not clip")
            << halfLevelPair << movingTones << int(Clipped) << 0.0 << 0.0;
        QTest::newRow("nor add a component") << halfLevelPair << movingTones << int(Spur) << -200.0 << -90.0;
        // Between bins, beside DC (-42 dBFS) and harmonics at -50 dBFS, which must not count.
        QTest::newRow("a -70 dBFS spur beside a tone, its harmonics and DC")
            << synth({{1000, 0.5}, {2000, fromDb(-50)}, {3000, fromDb(-50)}, {0, -1.0 / 128}, {3456.7, fromDb(-70)}}, 2.0)
            << ToneSet {{1000}, 0} << int(Spur) << -71.0 << -69.0;

        // A tone file's harmonics stop at half its rate: 15 kHz lies beyond them.
        const ToneSet everyday {{2040}, 10200};
        QTest::newRow("a steady -20 dBFS sine beyond the tone's harmonics")
            << synth({{2040, 0.5}, {15000, fromDb(-20)}}, 0.3) << everyday << int(Click) << -20.3 << -19.7;
        const Signal everydayTone = synth({{2040, 0.5}}, 0.35);
        QTest::newRow("an everyday tone switched hard") << gated(everydayTone, 0) << everyday << int(Click) << -40.0 << 0.0;
        QTest::newRow("the everyday tone with 5 ms fades") << gated(everydayTone, 5) << everyday << int(Click) << -200.0 << -70.0;
        const ToneSet low {{31}, 155};
        const Signal lowTone = synth({{31, 0.5}}, 0.35);
        QTest::newRow("a 31 Hz tone switched hard") << gated(lowTone, 0) << low << int(Click) << -40.0 << 0.0;
        QTest::newRow("the 31 Hz tone with 5 ms fades") << gated(lowTone, 5) << low << int(Click) << -200.0 << -70.0;
    }
    void readingsAreCalibrated()
    {
        QFETCH(Signal, signal);
        QFETCH(ToneSet, tones);
        QFETCH(int, reading);
        QFETCH(double, low);
        QFETCH(double, high);
        double value = 0;
        switch (Reading(reading)) {
        case Clipped: value = TestSupport::clippedFraction(signal); break;
        case Spur: value = TestSupport::strongestSpurDbfs(signal, Rate, tones); break;
        case Click: value = TestSupport::loudestClickDbfs(signal, Rate, tones); break;
        }
        QVERIFY2(value >= low && value <= high,
                 qPrintable(QStringLiteral("read %1, expected %2 to %3").arg(value).arg(low).arg(high)));
    }
};

QTEST_GUILESS_MAIN(SoundQualityMeterTest)
#include "test_sound_quality_meter.moc"
