// The loop resampler, offline: the pitch it produces from tone files at the lowest,
// middle and highest rates, seamlessness across many loop points, and its bookkeeping.

#include "platform/sound/LoopResampler.h"
#include "platform/sound/WavReader.h"

#include "PitchMeter.h"
#include "WavFile.h"

#include <QtTest>

#include <cmath>

using Platform::Sound::LoopResampler;
using Platform::Sound::parseWav;
using Platform::Sound::WavData;

namespace {

std::shared_ptr<const WavData> toneData(quint32 rate, int n, int cycles)
{
    auto wav = parseWav(TestSupport::toneWav(rate, n, cycles));
    return wav ? std::make_shared<const WavData>(std::move(*wav)) : nullptr;
}

std::vector<float> render(LoopResampler& r, std::size_t frames, std::size_t chunk = 4800)
{
    std::vector<float> out(frames);
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(chunk, frames - done);
        r.render(out.data() + done, n);
        done += n;
    }
    return out;
}

} // namespace

class LoopResamplerTest : public QObject {
    Q_OBJECT

private slots:
    void pitchIsExact_data()
    {
        QTest::addColumn<quint32>("fileRate");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("cycles");
        QTest::addColumn<double>("outputRate");
        // Short files loop every few milliseconds, long ones like the writer's files.
        QTest::newRow("100 Hz, N=5 (20 Hz), 2 cycles") << 100u << 5 << 2 << 48000.0;
        QTest::newRow("100 Hz, N=5 (20 Hz), 400 cycles") << 100u << 5 << 400 << 48000.0;
        QTest::newRow("31390 Hz, N=10 (3139 Hz), 3 cycles") << 31390u << 10 << 3 << 48000.0;
        QTest::newRow("31390 Hz, N=10 (3139 Hz), 10000 cycles") << 31390u << 10 << 10000 << 48000.0;
        QTest::newRow("31390 Hz at 44.1 kHz") << 31390u << 10 << 7 << 44100.0;
        QTest::newRow("2006000 Hz, N=100 (20060 Hz), 1 cycle") << 2006000u << 100 << 1 << 48000.0;
        QTest::newRow("2006000 Hz, N=100 (20060 Hz), 10000 cycles") << 2006000u << 100 << 10000 << 48000.0;
        QTest::newRow("2006000 Hz at 44.1 kHz") << 2006000u << 100 << 333 << 44100.0;
        QTest::newRow("2140000 Hz, N=100 (21400 Hz), 10000 cycles") << 2140000u << 100 << 10000 << 48000.0;
        // A prime loop length leaves no factor to decimate by: soxr takes the full rate.
        QTest::newRow("2006000 Hz, N=97 (20680.4 Hz), 1 cycle") << 2006000u << 97 << 1 << 48000.0;
        QTest::newRow("2006000 Hz, N=97 (20680.4 Hz), 1 cycle, 44.1 kHz") << 2006000u << 97 << 1 << 44100.0;
    }
    void pitchIsExact()
    {
        QFETCH(quint32, fileRate);
        QFETCH(int, n);
        QFETCH(int, cycles);
        QFETCH(double, outputRate);
        const double tone = double(fileRate) / n;

        auto r = LoopResampler::create(toneData(fileRate, n, cycles), outputRate);
        QVERIFY(r);
        render(*r, std::size_t(outputRate / 2)); // past the resampler's start
        const std::vector<float> out = render(*r, std::size_t(outputRate * 4));
        const auto report = TestSupport::measurePitch(out, outputRate, 1);
        QVERIFY(!report.tones.empty());
        const double error = report.frequency() - tone;
        qInfo("decimated by %u; tone %.4f Hz: measured %.6f Hz, error %.2e Hz, amplitude %.4f, phase deviation %.2e rad, "
              "weakest block %.5f, residual %.4f",
              r->decimation(), tone, report.frequency(), error, report.tones[0].amplitude, report.maxPhaseDeviation,
              report.minBlockAmplitude, report.maxResidual);
        QVERIFY2(std::abs(error) < 0.001, qPrintable(QString::number(error)));
        // Full scale: the 8-bit cycle's fundamental is about 127/128.
        QVERIFY(report.tones[0].amplitude > 0.95 && report.tones[0].amplitude < 1.01);
        // Seamless: every block has the same amplitude and phase, nothing sticks out.
        QVERIFY(report.maxPhaseDeviation < 0.01);
        QVERIFY(report.minBlockAmplitude > 0.99);
        QVERIFY(report.maxResidual < 0.05);
    }

    // A loop that is not a whole number of cycles has a seam; the measurement must see it,
    // or the seamlessness checks above would prove nothing.
    void seamIsVisible()
    {
        QByteArray samples = TestSupport::toneCycle(10).repeated(20);
        samples.chop(5); // the loop jumps by half a cycle
        auto wav = parseWav(TestSupport::wavBytes(31390, samples));
        QVERIFY(wav);
        auto r = LoopResampler::create(std::make_shared<const WavData>(std::move(*wav)), 48000);
        QVERIFY(r);
        render(*r, 24000);
        const auto report = TestSupport::measurePitch(render(*r, 96000), 48000, 1);
        QVERIFY(report.maxPhaseDeviation > 0.3 || report.minBlockAmplitude < 0.9 || report.maxResidual > 0.3);
    }

    // Decimation up front is chosen only where it divides the loop and leaves the
    // intermediate rate above 2.2 times the output rate.
    void decimationFactor()
    {
        struct Case {
            quint32 rate;
            int n, cycles;
            double out;
            unsigned factor;
        };
        const Case cases[] = {
            {2006000, 100, 10000, 48000, 16}, // 1,000,000 frames; 2006000 / 105600 = 18.99
            {2140000, 100, 10000, 48000, 20}, // 2140000 / 105600 = 20.3
            {2006000, 100, 1, 48000, 10},     // 100 frames
            {2006000, 97, 1, 48000, 1},       // prime length
            {31390, 10, 3139, 48000, 1},      // already near the output rate
        };
        for (const Case& c : cases) {
            auto r = LoopResampler::create(toneData(c.rate, c.n, c.cycles), c.out);
            QVERIFY(r);
            QCOMPARE(r->decimation(), c.factor);
        }
    }

    // How the caller slices its requests must not change the sound.
    void chunkingDoesNotMatter()
    {
        auto whole = LoopResampler::create(toneData(2006000, 100, 7), 48000);
        auto sliced = LoopResampler::create(toneData(2006000, 100, 7), 48000);
        QVERIFY(whole && sliced);
        const std::vector<float> a = render(*whole, 20000, 20000);
        std::vector<float> b;
        const std::size_t pieces[] = {1, 7, 333, 4096, 2, 1000};
        for (std::size_t i = 0; b.size() < a.size(); ++i) {
            const std::size_t n = std::min(pieces[i % std::size(pieces)], a.size() - b.size());
            std::vector<float> part(n);
            sliced->render(part.data(), n);
            b.insert(b.end(), part.begin(), part.end());
        }
        QCOMPARE(b.size(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            QVERIFY2(a[i] == b[i], qPrintable(QStringLiteral("sample %1").arg(i)));
    }

    void emptyFileRendersSilence()
    {
        // A 44-byte file: header only.
        const QByteArray file = TestSupport::wavBytes(31390, {});
        QCOMPARE(file.size(), 44);
        auto wav = parseWav(file);
        QVERIFY(wav);
        auto r = LoopResampler::create(std::make_shared<const WavData>(std::move(*wav)), 48000);
        QVERIFY(r);
        std::vector<float> out(4800, 1.0f);
        r->render(out.data(), out.size());
        for (float s : out)
            QCOMPARE(s, 0.0f);
    }

    void lowestRateAndRefusals()
    {
        // 1 Hz is a legal file rate; it resamples (to an inaudible 0.1 Hz) without harm.
        auto slow = LoopResampler::create(toneData(1, 10, 1), 48000);
        QVERIFY(slow);
        std::vector<float> out(48000);
        slow->render(out.data(), out.size());
        for (float s : out)
            QVERIFY(std::isfinite(s) && std::abs(s) <= 1.5f);

        QVERIFY(!LoopResampler::create(nullptr, 48000));
        QVERIFY(!LoopResampler::create(toneData(100, 5, 1), 0));
        QVERIFY(!LoopResampler::create(toneData(100, 5, 1), std::nan("")));
    }
};

QTEST_GUILESS_MAIN(LoopResamplerTest)
#include "test_loop_resampler.moc"
