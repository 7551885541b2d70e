// The pitch meter that every sound test relies on: known synthetic signals in, known
// frequencies, amplitudes and faults out.

#include "PitchMeter.h"

#include <QtTest>

#include <cmath>
#include <numbers>
#include <random>

using TestSupport::measurePitch;

namespace {

constexpr double Rate = 48000;

struct Part {
    double frequency;
    double amplitude;
    double phase = 0.3;
};

std::vector<float> synth(std::initializer_list<Part> parts, double seconds, double dc = 0, double noise = 0)
{
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0, noise > 0 ? noise : 1);
    std::vector<float> out(std::size_t(seconds * Rate));
    for (std::size_t i = 0; i < out.size(); ++i) {
        double v = dc;
        for (const Part& p : parts)
            v += p.amplitude * std::sin(2 * std::numbers::pi * p.frequency * double(i) / Rate + p.phase);
        if (noise > 0)
            v += gauss(random);
        out[i] = float(v);
    }
    return out;
}

} // namespace

class PitchMeterTest : public QObject {
    Q_OBJECT

private slots:
    void singleTone_data()
    {
        QTest::addColumn<double>("frequency");
        QTest::newRow("20 Hz") << 20.0;
        QTest::newRow("440.0371 Hz") << 440.0371;
        QTest::newRow("3139 Hz") << 3139.0;
        QTest::newRow("20060 Hz") << 20060.0;
        QTest::newRow("21000.5 Hz") << 21000.5;
    }
    void singleTone()
    {
        QFETCH(double, frequency);
        // DC offset like the 8-bit files' centre, and noise like 8-bit quantisation.
        const auto report = measurePitch(synth({{frequency, 0.5}}, 2.0, -1.0 / 128, 0.002), Rate);
        QCOMPARE(report.tones.size(), std::size_t(1));
        QVERIFY2(std::abs(report.frequency() - frequency) < 0.001, qPrintable(QString::number(report.frequency(), 'f', 6)));
        QVERIFY(std::abs(report.tones[0].amplitude - 0.5) < 0.005);
        QVERIFY(std::abs(report.dc + 1.0 / 128) < 1e-3);
        QVERIFY(std::abs(report.rms - std::sqrt(0.125 + 0.002 * 0.002)) < 0.002);
        QVERIFY(report.maxPhaseDeviation < 0.05);
        QVERIFY(report.minBlockAmplitude > 0.95);
    }

    void twoTones()
    {
        const auto report = measurePitch(synth({{1569.5, 0.3}, {3139.0, 0.45}}, 2.0), Rate);
        QCOMPARE(report.tones.size(), std::size_t(2));
        // Strongest first.
        QVERIFY(std::abs(report.tones[0].frequency - 3139.0) < 0.001);
        QVERIFY(std::abs(report.tones[1].frequency - 1569.5) < 0.001);
        QVERIFY(std::abs(report.tones[0].amplitude - 0.45) < 0.005);
        QVERIFY(std::abs(report.tones[1].amplitude - 0.3) < 0.005);
        QVERIFY(report.maxPhaseDeviation < 0.01);
    }

    void weakSecondToneIgnored()
    {
        const auto report = measurePitch(synth({{1000, 0.5}, {2000, 0.005}}, 1.0), Rate);
        QCOMPARE(report.tones.size(), std::size_t(1));
        QVERIFY(std::abs(report.frequency() - 1000) < 0.001);
    }

    void faultsShow()
    {
        const std::vector<float> clean = synth({{1000, 0.5}}, 2.0);
        const auto good = measurePitch(clean, Rate);
        QVERIFY(good.maxPhaseDeviation < 0.001);
        QVERIFY(good.minBlockAmplitude > 0.999);
        QVERIFY(good.maxResidual < 0.001);

        // A 20 ms gap, as an underrun would leave.
        std::vector<float> gap = clean;
        std::fill(gap.begin() + 48000, gap.begin() + 48960, 0.0f);
        QVERIFY(measurePitch(gap, Rate).minBlockAmplitude < 0.5);

        // A phase jump of a quarter cycle half way, as a bad loop point would leave.
        std::vector<float> jump = clean;
        for (std::size_t i = 48000; i < jump.size(); ++i)
            jump[i] = float(0.5 * std::sin(2 * std::numbers::pi * 1000 * double(i) / Rate + 0.3 + std::numbers::pi / 2));
        QVERIFY(measurePitch(jump, Rate).maxPhaseDeviation > 0.5);

        // One stray sample.
        std::vector<float> click = clean;
        click[30000] += 0.3f;
        QVERIFY(measurePitch(click, Rate).maxResidual > 0.5);
    }

    void silenceHasNoTone()
    {
        const auto report = measurePitch(std::vector<float>(96000, 0.0f), Rate);
        QVERIFY(report.tones.empty());
        QCOMPARE(report.rms, 0.0);
        QVERIFY(measurePitch(std::vector<float>(), Rate).tones.empty());
    }
};

QTEST_GUILESS_MAIN(PitchMeterTest)
#include "test_pitch_meter.moc"
