// Tone playback through the rig's real sound server: the pitch recorded from the null
// sink's monitor is the tone's frequency, both tones of moving mode sound at once from
// two processes, and stop means silence with nothing left behind.

#include "MonitorRecorder.h"
#include "PitchMeter.h"
#include "TonesHeard.h"
#include "common/FixedInputs.h"
#include "common/TestEnvironment.h"
#include "e2e/E2eHelpers.h"
#include "e2e/PrivateRig.h"
#include "platform/CompanionNames.h"
#include "platform/ProgramLauncher.h"
#include "platform/WindowCaption.h"
#include "settings/SettingsKeys.h"
#include "tone/ToneError.h"
#include "tone/TonePlayback.h"
#include "tone/WaveWriter.h"

#include <QApplication>
#include <QtEndian>
#include <QtTest>

using TestSupport::measurePitch;
using TestSupport::MonitorRecorder;

namespace {

const QString& Caption = Platform::CompanionNames::Caption;

} // namespace

class TestPlaybackE2e : public QObject {
    Q_OBJECT

    PrivateRig desktop;
    std::unique_ptr<TestEnvironment::AppDir> dir;
    FixedInputs inputs;
    MonitorRecorder recorder;

    QString temp() const { return dir->file(QStringLiteral("temp.wav")); }
    QString temp2() const { return dir->file(QStringLiteral("temp2.wav")); }

    void expectSilenceAndNothingLeft()
    {
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "the tone went on after stop");
        recorder.stop();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 5000);
        QCOMPARE(E2e::windowsNamed(Caption, false), 0);
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(temp2()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "the rig's sound server is needed");
        QVERIFY2(desktop.start(false), "the private X server did not start");
    }

    void init()
    {
        TestEnvironment::clearSettings();
        dir = std::make_unique<TestEnvironment::AppDir>(true);
        inputs = FixedInputs();
    }

    void cleanup()
    {
        for (int i = 0; i < 5 && Platform::postCloseByCaption(Caption); ++i)
            QTest::qWait(200);
        E2e::killAll(dir->companion()); // only after a failure: the next case starts clean
    }

    // The lowest, a middle and the top sample rate the writer makes.
    void pitchIsTheTonesFrequency_data()
    {
        QTest::addColumn<Doppler::Band>("band");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<double>("tone");
        QTest::addColumn<int>("rate");
        QTest::newRow("20 Hz at 100 samples/s") << Doppler::Band::X << "KPH" << "1" << "5" << 20.0 << 100;
        QTest::newRow("3139 Hz at 31390 samples/s") << Doppler::Band::X << "MPH" << "100" << "10" << 3139.0 << 31390;
        QTest::newRow("20060 Hz at 2006000 samples/s") << Doppler::Band::Ka << "MPH" << "199" << "100" << 20060.0 << 2006000;
    }
    void pitchIsTheTonesFrequency()
    {
        QFETCH(Doppler::Band, band);
        QFETCH(QString, unit);
        QFETCH(QString, speed);
        QFETCH(QString, accuracy);
        QFETCH(double, tone);
        QFETCH(int, rate);
        Settings::write(Settings::Unit, unit);
        Settings::write(Settings::Accuracy, accuracy);
        inputs.band = band;
        inputs.speed1 = speed;

        FixedInputsPlayback playback(inputs, dir->path());
        QVERIFY(playback.playTone());
        QCOMPARE(qFromLittleEndian<quint32>(TestEnvironment::readAll(temp()).constData() + 24), static_cast<quint32>(rate));

        QVERIFY(recorder.start());
        // A 20 Hz tone needs a longer window to be measured to a hundredth of a hertz.
        const std::vector<float> window = recorder.recordTone(tone < 100 ? 4000 : 2000, 6000);
        recorder.stop();
        QVERIFY2(!window.empty(), "no tone was heard");
        const TestSupport::PitchReport report = measurePitch(window, MonitorRecorder::Rate, 1);
        QVERIFY2(qAbs(report.frequency() - tone) < 0.01,
                 qPrintable(QStringLiteral("heard %1 Hz").arg(report.frequency(), 0, 'f', 4)));
        // Seamless: no click, gap or phase jump anywhere in the window, loop points included.
        QVERIFY2(report.minBlockAmplitude > 0.9, qPrintable(QString::number(report.minBlockAmplitude)));
        QVERIFY2(report.maxPhaseDeviation < 0.1, qPrintable(QString::number(report.maxPhaseDeviation)));

        playback.stop();
        expectSilenceAndNothingLeft();
    }

    // GO takes the default sink's rate as it is then: a 12 kHz tone, too high for 22,050 Hz, plays
    // at 48,000 Hz once the default went from a 22,050 Hz sink to the rig's, and is refused once back.
    void goTakesTheRateOfTheDefaultSinkNow()
    {
        const auto pactl = [](const QStringList& args) { return E2e::run(QStringLiteral("pactl"), args); };
        const QString rig = pactl({QStringLiteral("get-default-sink")}), low = QStringLiteral("tinevox_22050");
        const QString module = pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                      QStringLiteral("sink_name=") + low, QStringLiteral("rate=22050")});
        const auto restore = qScopeGuard([&] { pactl({QStringLiteral("unload-module"), module}); }); // the rig's is default again
        const auto streamAt = [&](const char* rate) {
            return pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")}).contains(QLatin1String(rate));
        };
        pactl({QStringLiteral("set-default-sink"), low});
        FixedInputsPlayback playback(inputs, dir->path());
        QVERIFY(playback.playTone());
        QTRY_VERIFY(streamAt("22050Hz")); // the player knows the rate its stream runs at
        playback.stop();
        inputs.band = Doppler::Band::Ka;
        inputs.speed1 = QStringLiteral("120"); // 12096 Hz
        // Tried until GO does what the new sink allows: the player hears of it soon after.
        const auto goAsAllowed = [&](bool allowed) {
            try {
                if (playback.playTone() && allowed)
                    return true;
                playback.stop();
                return false;
            } catch (const ToneError& e) {
                return !allowed && e.kind() == ToneError::Kind::TooHigh;
            }
        };
        pactl({QStringLiteral("set-default-sink"), rig});
        QTRY_VERIFY(goAsAllowed(true));
        QTRY_VERIFY(streamAt("48000Hz"));
        playback.stop();
        pactl({QStringLiteral("set-default-sink"), low});
        QTRY_VERIFY(goAsAllowed(false));
    }

    void movingModePlaysBothTonesFromTwoProcesses()
    {
        inputs.moving = true; // X band: 100 mph is 3139 Hz, 50 mph is 1569 Hz
        FixedInputsPlayback playback(inputs, dir->path());
        QVERIFY(playback.playTone());
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(Caption, false), 1, 5000);
        QCOMPARE(E2e::windowsNamed(Caption, true), 0); // the companion's window is never seen

        QVERIFY(recorder.start());
        const TestSupport::PitchReport report = TestSupport::waitForTones(recorder, {1569, 3139});
        recorder.stop();
        QCOMPARE(report.tones.size(), std::size_t(2));
        std::vector<double> heard {report.frequency(0), report.frequency(1)};
        std::sort(heard.begin(), heard.end());
        QVERIFY2(qAbs(heard[0] - 1569) < 0.01 && qAbs(heard[1] - 3139) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));

        playback.stop();
        expectSilenceAndNothingLeft();
    }

    void closingTheMainWindowEndsBothTones()
    {
        inputs.moving = true;
        FixedInputsPlayback playback(inputs, dir->path());
        QVERIFY(playback.playTone());
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(Caption, false), 1, 5000);
        QVERIFY(recorder.start());
        QVERIFY(!recorder.recordTone(500, 6000).empty());
        recorder.stop();
        playback.unload();
        QVERIFY(playback.isTonePlaying()); // the unload leaves the flag alone
        expectSilenceAndNothingLeft();
    }

    void aPlaybackThatGoesWhilePlayingLeavesNothing()
    {
        inputs.moving = true;
        {
            FixedInputsPlayback playback(inputs, dir->path());
            QVERIFY(playback.playTone());
            QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(Caption, false), 1, 5000);
        }
        expectSilenceAndNothingLeft();
    }

    void oneCloseRequestLeavesTheOtherPlayerPlaying()
    {
        WaveWriter::writeToneFile(WaveWriter::planTone(0.5, 1569, QStringLiteral("10")), temp2());
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Hidden));
        QVERIFY(Platform::startProgram(dir->companion(), Platform::ShowState::Hidden));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(Caption, false), 2, 5000);
        QVERIFY(recorder.start());
        QVERIFY(!recorder.recordTone(500, 6000).empty());

        QVERIFY(Platform::postCloseByCaption(Caption));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 1, 5000);
        // The first player deleted the file as it closed; the other plays on from memory,
        // the one stream left on the server.
        QVERIFY(!QFile::exists(temp2()));
        QTRY_COMPARE_WITH_TIMEOUT(E2e::streamsPlaying(), 1, 5000);
        recorder.record(100);
        const std::vector<float> window = recorder.record(1000);
        recorder.stop();
        QVERIFY(qAbs(measurePitch(window, MonitorRecorder::Rate, 1).frequency() - 1569) < 0.01);

        QVERIFY(Platform::postCloseByCaption(Caption));
        expectSilenceAndNothingLeft();
    }
};

QTEST_MAIN(TestPlaybackE2e)
#include "test_playback_e2e.moc"
