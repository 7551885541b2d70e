// The looped-sound service against a PulseAudio server of the test's own, heard through
// its null sink's monitor: pitch, seams, stop, replacement, bad files, several players at
// once. Its own server lets it run beside the tests that share the rig's.

#include "platform/LoopedSound.h"

#include "PrivateSoundServer.h"
#include "SoundE2e.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Platform::LoopedSound;
using SoundE2e::waitForPitch;
using SoundE2e::waitUntil;
using TestSupport::MonitorRecorder;
using TestSupport::PitchReport;

class PlaybackE2eTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir {QStringLiteral("/tmp/tvplayback-XXXXXX")}; // a short path for the server's socket
    std::unique_ptr<TestSupport::PrivateSoundServer> server;
    std::unique_ptr<MonitorRecorder> recorder;
    QString tone3139; // 31390 Hz, N = 10
    QString tone1569; // 31390 Hz, N = 20: 1569.5 Hz

    void expectSingleTone(const PitchReport& report, double frequency, double tolerance)
    {
        QVERIFY2(!report.tones.empty(), "no tone heard");
        QVERIFY2(report.tones.size() == 1, qPrintable(QStringLiteral("a second tone at %1 Hz").arg(report.frequency(1))));
        const double error = report.frequency() - frequency;
        qInfo("heard %.5f Hz for %.4f Hz (error %+.2e Hz), amplitude %.3f, phase deviation %.4f rad, "
              "weakest block %.4f",
              report.frequency(), frequency, error, report.tones[0].amplitude, report.maxPhaseDeviation,
              report.minBlockAmplitude);
        QVERIFY2(std::abs(error) < tolerance, qPrintable(QString::number(error, 'g', 6)));
        // Seamless and without underruns across the whole window.
        QVERIFY2(report.maxPhaseDeviation < 0.05, qPrintable(QString::number(report.maxPhaseDeviation)));
        QVERIFY2(report.minBlockAmplitude > 0.95, qPrintable(QString::number(report.minBlockAmplitude)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        server = std::make_unique<TestSupport::PrivateSoundServer>(dir.path());
        // Before any player or recorder exists: libpulse reads it for every new context,
        // and the second player's process inherits it.
        qputenv("PULSE_SERVER", server->address().toLocal8Bit());
        QVERIFY2(server->start(), "the private sound server did not start");
        recorder = std::make_unique<MonitorRecorder>(QStringLiteral("tvnull.monitor"));
        tone3139 = SoundE2e::writeTone(dir.path(), 31390, 10, 3139);
        tone1569 = SoundE2e::writeTone(dir.path(), 31390, 20, 1000);
        QVERIFY(!tone3139.isEmpty() && !tone1569.isEmpty());
        QVERIFY2(recorder->start(), "parec did not start");
    }

    void cleanupTestCase() { recorder.reset(); }

    void pitchAtEveryRate_data()
    {
        QTest::addColumn<quint32>("rate");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("cycles");
        QTest::newRow("100 Hz file, 20 Hz tone") << 100u << 5 << 200;
        QTest::newRow("31390 Hz file, 3139 Hz tone") << 31390u << 10 << 31390;
        QTest::newRow("2006000 Hz file, 20060 Hz tone") << 2006000u << 100 << 10000;
    }
    void pitchAtEveryRate()
    {
        QFETCH(quint32, rate);
        QFETCH(int, n);
        QFETCH(int, cycles);
        const QString path = SoundE2e::writeTone(dir.path(), rate, n, cycles);
        QVERIFY(!path.isEmpty());

        LoopedSound sound;
        sound.play(path);
        QVERIFY2(waitUntil([&] { return sound.isStreaming(); }, 5000), "the server never asked for audio");
        const std::vector<float> window = recorder->recordTone(2000, 5000);
        QVERIFY2(!window.empty(), "no tone reached the monitor");
        expectSingleTone(TestSupport::measurePitch(window, MonitorRecorder::Rate), double(rate) / n, 0.01);
        sound.stop();
        QVERIFY(recorder->waitForSilence() >= 0);
    }

    void stopSilencesAtOnce()
    {
        LoopedSound sound;
        sound.play(tone3139);
        QVERIFY(!waitForPitch(*recorder, 3139.0, 500).tones.empty());
        QVERIFY(sound.isStreaming());
        sound.stop();
        QVERIFY(!sound.isStreaming());
        const int ms = recorder->waitForSilence(300, 3000);
        qInfo("silent %d ms after stop() (the monitor itself lags by about 20 ms)", ms);
        QVERIFY2(ms >= 0 && ms < 500, qPrintable(QString::number(ms)));
        // And it stays silent.
        QVERIFY(SoundE2e::silent(recorder->record(1000)));
        QVERIFY(!sound.isStreaming());
    }

    void playReplacesTheSound()
    {
        LoopedSound sound;
        sound.play(tone3139);
        QVERIFY(!waitForPitch(*recorder, 3139.0, 300).tones.empty());
        sound.play(tone1569);
        const PitchReport report = waitForPitch(*recorder, 1569.5);
        expectSingleTone(report, 1569.5, 0.01);
        sound.stop();
        QVERIFY(recorder->waitForSilence() >= 0);
    }

    void unplayableFilesGiveSilence_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("garbage") << QByteArray(5000, '\x5A');
        QTest::newRow("truncated header") << TestSupport::toneWav(31390, 10, 100).left(30);
        QTest::newRow("24-bit file") << TestSupport::wavBytes(48000, QByteArray(3000, '\x40')).replace(34, 1, "\x18");
    }
    void unplayableFilesGiveSilence()
    {
        QFETCH(QByteArray, bytes);
        const QString path = dir.filePath(QStringLiteral("bad.wav"));
        QFile::remove(path);
        if (!bytes.isEmpty())
            QVERIFY(TestSupport::writeFile(path, bytes));

        LoopedSound sound;
        // First a tone, so that silence proves the bad file replaced it.
        sound.play(tone3139);
        QVERIFY(!waitForPitch(*recorder, 3139.0, 300).tones.empty());
        sound.play(path);
        QVERIFY(!sound.isStreaming());
        QVERIFY(recorder->waitForSilence(300, 3000) >= 0);
        QVERIFY(SoundE2e::silent(recorder->record(1500)));
        QVERIFY(!sound.isStreaming());
    }

    void headerOnlyFileIsSilentStream()
    {
        const QString path = dir.filePath(QStringLiteral("empty.wav"));
        QVERIFY(TestSupport::writeFile(path, TestSupport::wavBytes(31390, {})));
        LoopedSound sound;
        sound.play(path);
        QVERIFY(waitUntil([&] { return sound.isStreaming(); }, 5000));
        QVERIFY(SoundE2e::silent(recorder->record(1500)));
    }

    void twoPlayersInOneProcess()
    {
        LoopedSound first;
        LoopedSound second;
        first.play(tone3139);
        second.play(tone1569);
        QVERIFY(waitUntil([&] { return first.isStreaming() && second.isStreaming(); }, 5000));
        QVERIFY(!waitForPitch(*recorder, 3139.0, 300).tones.empty());
        const PitchReport report = TestSupport::measurePitch(recorder->record(1000), MonitorRecorder::Rate);
        QCOMPARE(report.tones.size(), std::size_t(2));
        const double high = std::max(report.frequency(0), report.frequency(1));
        const double low = std::min(report.frequency(0), report.frequency(1));
        qInfo("two players: %.5f Hz and %.5f Hz", high, low);
        QVERIFY(std::abs(high - 3139.0) < 0.01);
        QVERIFY(std::abs(low - 1569.5) < 0.01);

        // Stopping one leaves the other.
        second.stop();
        expectSingleTone(waitForPitch(*recorder, 3139.0), 3139.0, 0.01);
    }

    void twoPlayersInTwoProcesses()
    {
        QProcess other;
        other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        other.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tinevox_play_wav"), {tone1569});
        QVERIFY(other.waitForStarted(5000));
        const auto reap = qScopeGuard([&] {
            if (other.state() != QProcess::NotRunning) {
                other.kill();
                other.waitForFinished(5000);
            }
        });
        LoopedSound mine;
        mine.play(tone3139);
        QVERIFY(other.waitForReadyRead(5000)); // "streaming"
        QVERIFY(waitUntil([&] { return mine.isStreaming(); }, 5000));
        QVERIFY(!waitForPitch(*recorder, 3139.0, 300).tones.empty());
        const PitchReport report = TestSupport::measurePitch(recorder->record(1000), MonitorRecorder::Rate);
        QCOMPARE(report.tones.size(), std::size_t(2));
        const double high = std::max(report.frequency(0), report.frequency(1));
        const double low = std::min(report.frequency(0), report.frequency(1));
        QVERIFY(std::abs(high - 3139.0) < 0.01);
        QVERIFY(std::abs(low - 1569.5) < 0.01);

        // The other process exits normally while playing, and its tone goes with it.
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(5000));
        QCOMPARE(other.exitStatus(), QProcess::NormalExit);
        QCOMPARE(other.exitCode(), 0);
        expectSingleTone(waitForPitch(*recorder, 3139.0), 3139.0, 0.01);
    }

    void destroyedWhilePlaying()
    {
        {
            LoopedSound sound;
            sound.play(tone3139);
            QVERIFY(!waitForPitch(*recorder, 3139.0, 300).tones.empty());
        }
        QVERIFY(recorder->waitForSilence() >= 0);
        // Destroyed at once after play(), and never used. The server may already have
        // begun the tone: then it fades, but nothing outlives the player.
        {
            LoopedSound sound;
            sound.play(tone3139);
        }
        { LoopedSound unused; }
        const int ms = recorder->waitForSilence(500, 2000);
        QVERIFY2(ms >= 0 && ms < 100, qPrintable(QString::number(ms)));
        QVERIFY(SoundE2e::silent(recorder->record(500)));
    }
};

QTEST_GUILESS_MAIN(PlaybackE2eTest)
#include "test_playback_e2e.moc"
