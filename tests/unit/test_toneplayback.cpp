// Tone playback without a sound server: which files a playback of a request writes and
// removes, how it fails, and how a write is stopped and abandoned.

#include "common/PlayToneAndWait.h"
#include "common/TestEnvironment.h"
#include "platform/LoopedSound.h"
#include "tone/PlaybackPlan.h"
#include "tone/ToneError.h"
#include "tone/TonePlayback.h"
#include "tone/ToneRequest.h"

#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

#include <unistd.h>

namespace {

quint32 sampleRateOf(const QString& path)
{
    const QByteArray file = TestEnvironment::readAll(path);
    return file.size() >= 44 ? qFromLittleEndian<quint32>(file.constData() + 24) : 0;
}

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old");
}

// X band at its usual carrier: 100 mph is 3139 Hz, 50 mph 1569 Hz.
ToneRequest xBandRequest()
{
    ToneRequest request;
    request.band = Doppler::Band::X;
    request.carrier = QStringLiteral("10.525");
    request.milesPerHour = true;
    request.firstSpeed = QStringLiteral("100");
    request.secondSpeed = QStringLiteral("50");
    request.bytesPerCycle = QStringLiteral("10");
    return request;
}

// The largest file the settings allow, 20060 Hz at 100 bytes a cycle: long enough to be
// stopped while it is written.
ToneRequest largestRequest()
{
    ToneRequest request = xBandRequest();
    request.band = Doppler::Band::Ka;
    request.carrier = QStringLiteral("33.8");
    request.firstSpeed = QStringLiteral("199");
    request.bytesPerCycle = QStringLiteral("100");
    return request;
}

} // namespace

class TestTonePlayback : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment::AppDir> dir;
    Platform::LoopedSound sound;

    QString temp() const { return dir->file(QStringLiteral("temp.wav")); }
    QString temp2() const { return dir->file(QStringLiteral("temp2.wav")); }

private slots:
    void init() { dir = std::make_unique<TestEnvironment::AppDir>(false); }

    void paths()
    {
        TonePlayback playback(sound, dir->path());
        QCOMPARE(playback.firstTonePath(), dir->path() + QStringLiteral("/temp.wav"));
        QCOMPARE(playback.secondTonePath(), dir->path() + QStringLiteral("/temp2.wav"));
        QCOMPARE(playback.companionPath(), dir->path() + QStringLiteral("/echolet.dll"));
    }

    void stationaryWritesTheFirstToneOnly()
    {
        touch(temp2()); // left from an earlier moving playback
        TonePlayback playback(sound, dir->path());
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(playToneAndWait(playback, xBandRequest()));
        QCOMPARE(sampleRateOf(temp()), 31390u);
        QVERIFY(!QFile::exists(temp2()));

        // A second play request changes nothing.
        const QDateTime written = QFileInfo(temp()).lastModified();
        playback.playTone(largestRequest());
        QVERIFY(!playback.isWriting());
        QCOMPARE(QFileInfo(temp()).lastModified(), written);
        QCOMPARE(sampleRateOf(temp()), 31390u);

        playback.stop(false);
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(!QFile::exists(temp()));
    }

    // Unit and bytes per cycle come with the request, nowhere else.
    void toneIsMadeOfTheRequest()
    {
        ToneRequest request = xBandRequest();
        request.milesPerHour = false;
        request.bytesPerCycle = QStringLiteral("100");
        TonePlayback playback(sound, dir->path());
        QVERIFY(playToneAndWait(playback, request));
        QCOMPARE(sampleRateOf(temp()), 195100u); // 1951 Hz at 100 bytes per cycle
        playback.stop(false);
    }

    void stopWithoutPlaybackRemovesLeftovers()
    {
        touch(temp());
        touch(temp2());
        TonePlayback playback(sound, dir->path());
        playback.stop(true);
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(temp2()));
        QVERIFY(!playback.isTonePlaying());
        playback.unload(true);
    }

    void toneThatCannotBeMadeReturnsToIdle_data()
    {
        QTest::addColumn<bool>("moving");
        QTest::addColumn<QString>("speed1");
        QTest::addColumn<QString>("speed2");
        QTest::addColumn<bool>("noBand");
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<QString>("kaCarrier"); // empty: the X band at its usual carrier
        QTest::newRow("empty first speed") << false << "" << "10" << false << "10" << "first speed box is empty" << "";
        QTest::newRow("zero first speed") << false << "0" << "10" << false << "10" << "\"0\"" << "";
        QTest::newRow("empty second speed") << true << "100" << "" << false << "10" << "second speed box is empty" << "";
        QTest::newRow("negative second speed") << true << "100" << "-1" << false << "10" << "\"-1\"" << "";
        QTest::newRow("no band") << false << "100" << "10" << true << "10" << "No radar band" << "";
        QTest::newRow("accuracy 0") << false << "100" << "10" << false << "0" << "Bytes per Cycle" << "";
        QTest::newRow("accuracy missing number") << true << "100" << "10" << false << "x" << "Bytes per Cycle" << "";
        // Two bytes a cycle are all the centre value: a file of silence.
        QTest::newRow("accuracy holds no wave") << false << "100" << "10" << false << "2" << "hold no wave" << "";
        // A fraction would give another pitch than the readout names.
        QTest::newRow("fractional accuracy") << false << "100" << "10" << false << "10.5" << "Bytes per Cycle" << "";
        QTest::newRow("Ka carrier gives no tone") << false << "100" << "10" << false << "10"
                                                  << "Ka band, \"none\" GHz, gives no Doppler tone" << "none";
        // Too fast for the player: the setting out of its range is named.
        QTest::newRow("Ka carrier too high") << false << "100" << "10" << false << "10"
                                             << "carrier frequency of the Ka band, \"100000\" GHz" << "100000";
        QTest::newRow("second speed too high") << true << "100" << "9999999" << false << "10"
                                               << "second speed, \"9999999\"" << "";
        // Written and played, these would be tones above what any sound server reproduces:
        // 297,935 Hz and 31,358 Hz.
        QTest::newRow("Ka carrier beyond hearing") << false << "100" << "10" << false << "10"
                                                   << "carrier frequency of the Ka band, \"999\" GHz" << "999";
        QTest::newRow("first speed beyond hearing") << false << "999" << "10" << false << "10"
                                                    << "first speed, \"999\"" << "";
    }
    void toneThatCannotBeMadeReturnsToIdle()
    {
        QFETCH(bool, moving);
        QFETCH(QString, speed1);
        QFETCH(QString, speed2);
        QFETCH(bool, noBand);
        QFETCH(QString, accuracy);
        QFETCH(QString, mentions);
        QFETCH(QString, kaCarrier);
        ToneRequest request = xBandRequest();
        if (!kaCarrier.isEmpty()) {
            request.band = Doppler::Band::Ka;
            request.carrier = kaCarrier;
        }
        if (noBand) {
            request.band.reset();
            request.carrier.clear();
        }
        request.moving = moving;
        request.firstSpeed = speed1;
        request.secondSpeed = speed2;
        request.bytesPerCycle = accuracy;
        touch(temp());

        TonePlayback playback(sound, dir->path());
        try {
            playToneAndWait(playback, request);
            QFAIL("a tone that cannot be made was played");
        } catch (const ToneError& e) {
            QVERIFY2(e.message().contains(mentions), qPrintable(e.message()));
        }
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(!playback.isWriting());
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(temp2()));
        // And the next request, once corrected, plays.
        QVERIFY(playToneAndWait(playback, xBandRequest()));
        playback.stop(false);
    }

    // The messages in full, with the limits they name: the speed boxes', the highest
    // carrier of the band's list (by value: "9.9" is below "10.525") and the entries of
    // "Bytes per Cycle". Rows at 5000 Hz stand for a sound server at a low rate.
    void refusalMessagesInFull_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("carrier");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<double>("highestReproducible");
        QTest::addColumn<QString>("message");
        const QString retype = QStringLiteral("Enter a speed from 1 to 199, then press GO again.");
        const QString otherCarrier = QStringLiteral("makes the tone too high to play. Choose another carrier frequency in Settings.");
        const QString serverRate = QStringLiteral("The tone of 6246 Hz is higher than the sound server can play at its sample rate "
                                                  "(up to 5000 Hz). Choose a lower speed or another band, or set the sound server to "
                                                  "44100 Hz or more.");
        QTest::newRow("empty speed") << "X" << "10.525" << "" << "10" << 48000.0 << "The first speed box is empty. " + retype;
        QTest::newRow("zero speed") << "X" << "10.525" << "0" << "10" << 48000.0 << "The first speed, \"0\", gives no tone to play. " + retype;
        QTest::newRow("over the boxes' bound") << "X" << "10.525" << "200" << "10" << 5000.0
                                               << "The first speed, \"200\", makes the tone too high to play. " + retype;
        QTest::newRow("at the bound, the server's rate") << "X" << "10.525" << "199" << "10" << 5000.0 << serverRate;
        QTest::newRow("above the X list") << "X" << "10.53" << "199" << "10" << 5000.0
                                          << "The carrier frequency of the X band, \"10.53\" GHz, " + otherCarrier;
        QTest::newRow("above the K list") << "K" << "24.16" << "199" << "10" << 5000.0
                                          << "The carrier frequency of the K band, \"24.16\" GHz, " + otherCarrier;
        QTest::newRow("above the Ka box's bound") << "Ka" << "36.01" << "199" << "10" << 5000.0
                                                  << "The carrier frequency of the Ka band, \"36.01\" GHz, " + otherCarrier;
        QTest::newRow("no sample rate") << "X" << "10.525" << "100" << "abc" << 48000.0
                                        << "The setting \"Bytes per Cycle\" holds \"abc\", which gives no usable sample rate. "
                                           "Choose 5, 10, 25, 50 or 100 in Settings.";
        // Beyond the player's fastest rate (1,255,561 Hz): with an entry offered, the speed
        // is the cause; above the largest entry, the setting is.
        QTest::newRow("too fast at the largest entry") << "X" << "10.525" << "40000" << "100" << 1e9
                                                       << "The first speed, \"40000\", makes the tone too high to play. " + retype;
        QTest::newRow("too fast above the largest entry") << "X" << "10.525" << "40000" << "101" << 1e9
                                                          << "The setting \"Bytes per Cycle\" holds \"101\", which gives no usable "
                                                             "sample rate. Choose 5, 10, 25, 50 or 100 in Settings.";
        QTest::newRow("no wave") << "X" << "10.525" << "100" << "2" << 48000.0
                                 << "The setting \"Bytes per Cycle\" holds \"2\": fewer than 3 bytes per cycle hold no wave, so "
                                    "nothing would be heard. Choose 5, 10, 25, 50 or 100 in Settings.";
    }
    void refusalMessagesInFull()
    {
        QFETCH(QString, band);
        QFETCH(QString, carrier);
        QFETCH(QString, speed);
        QFETCH(QString, accuracy);
        QFETCH(double, highestReproducible);
        QFETCH(QString, message);
        ToneRequest request = xBandRequest();
        request.band = Doppler::bandFromName(band);
        request.carrier = carrier;
        request.firstSpeed = speed;
        request.bytesPerCycle = accuracy;
        try {
            PlaybackPlan::of(request, highestReproducible);
            QFAIL("the tone was planned");
        } catch (const ToneError& e) {
            QCOMPARE(e.message(), message);
        }
    }

    void companionThatCannotStartIsReported()
    {
        ToneRequest request = xBandRequest();
        request.moving = true; // no echolet.dll in this folder
        TonePlayback playback(sound, dir->path());
        try {
            playToneAndWait(playback, request);
            QFAIL("moving mode played without its companion");
        } catch (const ToneError& e) {
            QCOMPARE(e.kind(), ToneError::Kind::PlayerNotStarted);
            QVERIFY(e.message().contains(QStringLiteral("echolet.dll")));
        }
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(temp2()));

        // A folder named like the companion passes the start-up check but cannot run.
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("echolet.dll")));
        QVERIFY_THROWS_EXCEPTION(ToneError, playToneAndWait(playback, request));
        QVERIFY(!playback.isTonePlaying());
    }

    // Neither the application directory nor the user's own folders can take the tone
    // files (here a file stands where each folder would be): the message names them all.
    void unwritableFolderIsReported()
    {
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir->file(QStringLiteral("cache"))));
        qputenv("TMPDIR", QFile::encodeName(dir->path()));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("cache")));
        const QStringList blockers {dir->file(QStringLiteral("tinevox")), dir->file(QStringLiteral("cache/tinevox")),
                                    dir->file(QStringLiteral("tinevox-%1").arg(::getuid()))};
        for (const QString& name : blockers) {
            QFile blocker(name);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        TonePlayback playback(sound, dir->file(QStringLiteral("missing")));
        try {
            playToneAndWait(playback, xBandRequest());
            QFAIL("played without a tone file");
        } catch (const ToneError& e) {
            QCOMPARE(e.kind(), ToneError::Kind::FileNotWritten);
            QVERIFY2(e.message().contains(dir->file(QStringLiteral("missing"))) && e.message().contains(blockers[0])
                         && e.message().contains(blockers[1]) && e.message().contains(blockers[2]),
                     qPrintable(e.message()));
        }
        QVERIFY(!playback.isTonePlaying());
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qunsetenv("XDG_CACHE_HOME");
        qunsetenv("TMPDIR");
    }

    // A stop or a close while the files are written, at the writer's first step or as
    // soon as GO returns: the write is abandoned and reports nothing, nothing plays and
    // no file is left. A play request during the write starts no second one; one after
    // the stop waits for the abandoned write to unwind and plays its own tone alone.
    void stopOrCloseWhileWritingAbandons_data()
    {
        QTest::addColumn<bool>("close");
        QTest::addColumn<bool>("atFirstStep");
        QTest::newRow("stop at once") << false << false;
        QTest::newRow("stop at the first step") << false << true;
        QTest::newRow("close at once") << true << false;
        QTest::newRow("close at the first step") << true << true;
    }
    void stopOrCloseWhileWritingAbandons()
    {
        QFETCH(bool, close);
        QFETCH(bool, atFirstStep);
        const auto filesLeft = [this] { return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System); };
        ToneRequest request = largestRequest();
        request.moving = true;
        {
            TonePlayback playback(sound, dir->path());
            QSignalSpy failures(&playback, &TonePlayback::failed);
            QSignalSpy written(&playback.writer(), &ToneFileWriter::written);
            const auto abandon = [&] { close ? playback.unload(true) : playback.stop(true); };
            QMetaObject::Connection atStep;
            if (atFirstStep) {
                atStep = connect(&playback.writer(), &ToneFileWriter::progressed, this, [&] {
                    disconnect(atStep);
                    abandon();
                });
            }
            playback.playTone(request);
            QVERIFY(playback.isWriting() && playback.isTonePlaying());
            playback.playTone(xBandRequest());
            if (!atFirstStep)
                abandon();
            QTRY_VERIFY(!playback.isTonePlaying());
            if (!close) {
                QVERIFY(playToneAndWait(playback, xBandRequest()));
                QCOMPARE(sampleRateOf(temp()), 31390u);
                QCOMPARE(filesLeft(), QStringList {QStringLiteral("temp.wav")});
                QCOMPARE(written.size(), 1);
                playback.stop(false);
            }
            QCOMPARE(failures.size(), 0);
        }
        // Its writer has unwound with it.
        QCOMPARE(filesLeft(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestTonePlayback)
#include "test_toneplayback.moc"
