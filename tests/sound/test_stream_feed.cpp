// What a stream is fed, offline: every tone the writer makes stays below full scale at
// its level, alone and beside a second tone, with no DC; the highest tone the settings
// can make keeps its full level at 44.1 kHz; a stream rises from silence and its fade-out
// takes over seamlessly from the frames already given.

#include "platform/sound/LoopResampler.h"
#include "platform/sound/StreamFeed.h"
#include "platform/sound/WavReader.h"

#include "PitchMeter.h"
#include "WavFile.h"

#include <QtTest>

#include <cmath>

using namespace Platform::Sound;

namespace {

std::unique_ptr<StreamFeed> feedFor(quint32 fileRate, int n, double outputRate, float gain)
{
    auto wav = parseWav(TestSupport::toneWav(fileRate, n, std::max<int>(1, int(fileRate / n / 2))));
    if (!wav)
        return nullptr;
    removeLoopDc(*wav);
    auto loop = LoopResampler::create(std::make_shared<const WavData>(std::move(*wav)), outputRate);
    return loop ? std::make_unique<StreamFeed>(std::move(loop), gain, std::size_t(outputRate)) : nullptr;
}

std::vector<float> render(StreamFeed& feed, std::size_t frames)
{
    std::vector<float> out(frames);
    for (std::size_t done = 0; done < frames; done += 1000)
        feed.render(out.data() + done, std::min<std::size_t>(1000, frames - done));
    return out;
}

} // namespace

class StreamFeedTest : public QObject {
    Q_OBJECT

private slots:
    void tonesStayBelowFullScale_data()
    {
        QTest::addColumn<quint32>("fileRate");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("outputRate");
        // Bytes per cycle from the fewest that hold a wave to the most Settings offers; the
        // fewer, the stronger the harmonics that can add up to an overshoot.
        for (double rate : {44100.0, 48000.0}) {
            const QByteArray at = QByteArray::number(rate / 1000) + " kHz";
            QTest::newRow("2040 Hz, 3 a cycle, " + at) << 6120u << 3 << rate;
            QTest::newRow("2040 Hz, 5 a cycle, " + at) << 10200u << 5 << rate;
            QTest::newRow("2040 Hz, 10 a cycle, " + at) << 20400u << 10 << rate;
            QTest::newRow("7000 Hz, 4 a cycle, " + at) << 28000u << 4 << rate;
            QTest::newRow("1569 Hz, 25 a cycle, " + at) << 39225u << 25 << rate;
            QTest::newRow("21365 Hz, 100 a cycle, " + at) << 2136500u << 100 << rate;
        }
    }
    void tonesStayBelowFullScale()
    {
        QFETCH(quint32, fileRate);
        QFETCH(int, n);
        QFETCH(double, outputRate);
        constexpr std::size_t Frames = 48000;
        const double frequency = double(fileRate) / n;

        auto alone = feedFor(fileRate, n, outputRate, OneToneGain);
        auto shared = feedFor(fileRate, n, outputRate, TwoTonesGain);
        auto partner = feedFor(12560u, 10, outputRate, TwoTonesGain);
        QVERIFY(alone && shared && partner);
        const std::vector<float> one = render(*alone, Frames);
        const std::vector<float> a = render(*shared, Frames);
        const std::vector<float> b = render(*partner, Frames);
        double peak = 0, sumPeak = 0, mean = 0;
        for (std::size_t i = 0; i < Frames; ++i) {
            peak = std::max(peak, double(std::abs(one[i])));
            sumPeak = std::max(sumPeak, double(std::abs(a[i] + b[i])));
            mean += one[i];
        }
        mean /= Frames;
        qInfo("%.1f Hz: peak %.4f alone, %.4f with a second tone; DC %.2e", frequency, peak, sumPeak, mean);
        QVERIFY2(peak < 0.99, qPrintable(QString::number(peak)));
        QVERIFY2(sumPeak < 0.99, qPrintable(QString::number(sumPeak)));
        QVERIFY2(std::abs(mean) < 1e-3, qPrintable(QString::number(mean)));

        // The tone itself at its full level: the band kept reaches the highest tone.
        const auto report = TestSupport::measurePitch(std::span(one).subspan(4800), outputRate, 1);
        const double fundamental = 127.0 / 128.0 * OneToneGain; // the file's sine, at the level
        const double lossDb = 20 * std::log10(report.tones.at(0).amplitude / fundamental);
        qInfo("    level %.3f dB against the file's own", lossDb);
        QVERIFY2(std::abs(lossDb) < 0.1, qPrintable(QString::number(lossDb)));
    }

    void fadesAreSmoothAndSeamless()
    {
        auto feed = feedFor(20400u, 10, 48000.0, OneToneGain);
        QVERIFY(feed);
        const std::size_t fade = feed->fadeFrames();
        QCOMPARE(fade, std::size_t(240)); // 5 ms
        const std::vector<float> given = render(*feed, 4800);
        // The start, and the frames after the server ran dry, rise from silence along the
        // ramp, never above it.
        for (std::size_t i = 0; i < fade; ++i)
            QVERIFY2(std::abs(given[i]) <= rampUp(i, fade) * OneToneGain + 1e-6, qPrintable(QString::number(i)));

        // A fade-out from a frame still held: the same samples, falling, then silence up to
        // the end of what was given, so that nothing of it plays afterwards.
        std::int64_t startsAt = 0;
        const std::vector<float> end = feed->fadeOutFrom(3000, startsAt);
        QCOMPARE(startsAt, std::int64_t(3000));
        QCOMPARE(end.size(), std::size_t(4800 - 3000));
        for (std::size_t i = 0; i < end.size(); ++i) {
            const double expected = i < fade ? given[3000 + i] * rampDown(i, fade) : 0.0;
            QVERIFY2(std::abs(end[i] - expected) < 1e-6, qPrintable(QString::number(i)));
        }
        // From the end of what was given: the loop goes on, fading.
        const std::vector<float> late = feed->fadeOutFrom(4800 + 96, startsAt);
        QCOMPARE(startsAt, std::int64_t(4800 + 96));
        QCOMPARE(late.size(), fade);
        QVERIFY(std::abs(late.back()) < 1e-3);
        // Older than what is remembered: it starts at the oldest frame held.
        auto small = std::make_unique<StreamFeed>(
            LoopResampler::create(std::make_shared<const WavData>(*parseWav(TestSupport::toneWav(20400u, 10, 10))), 48000.0),
            OneToneGain, 1000);
        render(*small, 4800);
        small->fadeOutFrom(10, startsAt);
        QCOMPARE(startsAt, std::int64_t(4800 - 1000));
    }

    void loopDcIsTakenOut()
    {
        // The writer's cycles centre on 127, one step below the format's centre.
        auto wav = parseWav(TestSupport::toneWav(20400u, 10, 2));
        QVERIFY(wav);
        double before = 0;
        for (float s : wav->samples)
            before += s;
        removeLoopDc(*wav);
        double after = 0;
        for (float s : wav->samples)
            after += s;
        QVERIFY(std::abs(before / 20) > 0.005);
        QVERIFY(std::abs(after / 20) < 1e-6);
    }
};

QTEST_GUILESS_MAIN(StreamFeedTest)
#include "test_stream_feed.moc"
