// Tone playback without a sound server: which files a playback writes and removes,
// how it fails, and how it is absorbed, stopped and abandoned.

#include "common/FixedInputs.h"
#include "common/ProgressControls.h"
#include "common/TestEnvironment.h"
#include "settings/SettingsKeys.h"
#include "tone/ToneError.h"
#include "tone/TonePlayback.h"
#include "tone/ToneProgressDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

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

} // namespace

class TestTonePlayback : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment::AppDir> dir;
    FixedInputs inputs;

    QString temp() const { return dir->file(QStringLiteral("temp.wav")); }
    QString temp2() const { return dir->file(QStringLiteral("temp2.wav")); }

private slots:
    void init()
    {
        TestEnvironment::clearSettings();
        dir = std::make_unique<TestEnvironment::AppDir>(false);
        inputs = FixedInputs();
    }

    void paths()
    {
        TonePlayback playback(inputs, dir->path());
        QCOMPARE(playback.firstTonePath(), dir->path() + QStringLiteral("/temp.wav"));
        QCOMPARE(playback.secondTonePath(), dir->path() + QStringLiteral("/temp2.wav"));
        QCOMPARE(playback.companionPath(), dir->path() + QStringLiteral("/echolet.dll"));
    }

    void stationaryWritesTheFirstToneOnly()
    {
        touch(temp2()); // left from an earlier moving playback
        TonePlayback playback(inputs, dir->path());
        QVERIFY(!playback.isTonePlaying());
        QCOMPARE(playback.playTone(), TonePlayback::Outcome::Playing);
        QVERIFY(playback.isTonePlaying());
        QCOMPARE(sampleRateOf(temp()), 31390u);
        QVERIFY(!QFile::exists(temp2()));

        // A second play request changes nothing.
        const QDateTime written = QFileInfo(temp()).lastModified();
        QCOMPARE(playback.playTone(), TonePlayback::Outcome::Absorbed);
        QCOMPARE(QFileInfo(temp()).lastModified(), written);

        playback.stop();
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(!QFile::exists(temp()));
    }

    void toneUsesTheSettingsReadNow()
    {
        Settings::write(Settings::Unit, QStringLiteral("KPH"));
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        TonePlayback playback(inputs, dir->path());
        playback.playTone();
        QCOMPARE(sampleRateOf(temp()), 195100u); // 1951 Hz at 100 bytes per cycle
        playback.stop();
    }

    void stopWithoutPlaybackRemovesLeftovers()
    {
        touch(temp());
        touch(temp2());
        TonePlayback playback(inputs, dir->path());
        playback.stop();
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(temp2()));
        QVERIFY(!playback.isTonePlaying());
        playback.unload();
    }

    void toneThatCannotBeMadeReturnsToIdle_data()
    {
        QTest::addColumn<bool>("moving");
        QTest::addColumn<QString>("speed1");
        QTest::addColumn<QString>("speed2");
        QTest::addColumn<bool>("noBand");
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<QString>("carrier");
        QTest::newRow("empty first speed") << false << "" << "10" << false << "10" << "first speed box is empty" << "10.525";
        QTest::newRow("zero first speed") << false << "0" << "10" << false << "10" << "\"0\"" << "10.525";
        QTest::newRow("empty second speed") << true << "100" << "" << false << "10" << "second speed box is empty" << "10.525";
        QTest::newRow("negative second speed") << true << "100" << "-1" << false << "10" << "\"-1\"" << "10.525";
        QTest::newRow("no band") << false << "100" << "10" << true << "10" << "No radar band" << "10.525";
        QTest::newRow("accuracy 0") << false << "100" << "10" << false << "0" << "Bytes per Cycle" << "10.525";
        QTest::newRow("accuracy missing number") << true << "100" << "10" << false << "x" << "Bytes per Cycle" << "10.525";
        // Two bytes a cycle are all the centre value: a file of silence.
        QTest::newRow("accuracy holds no wave") << false << "100" << "10" << false << "2" << "hold no wave" << "10.525";
        // A fraction would give another pitch than the readout names.
        QTest::newRow("fractional accuracy") << false << "100" << "10" << false << "10.5" << "Bytes per Cycle" << "10.525";
        // Too fast for the player: the setting out of its range is named. (The X carrier
        // "100000" is not one of its list's entries, so the default would play.)
        QTest::newRow("Ka carrier too high") << false << "100" << "10" << false << "10"
                                             << "carrier frequency of the Ka band, \"100000\" GHz" << "100000";
        QTest::newRow("second speed too high") << true << "100" << "9999999" << false << "10"
                                               << "second speed, \"9999999\"" << "10.525";
        // Written and played, these would be tones above what any sound server reproduces:
        // 297,935 Hz and 31,358 Hz.
        QTest::newRow("Ka carrier beyond hearing") << false << "100" << "10" << false << "10"
                                                   << "carrier frequency of the Ka band, \"999\" GHz" << "999";
        QTest::newRow("first speed beyond hearing") << false << "999" << "10" << false << "10"
                                                    << "first speed, \"999\"" << "10.525";
    }
    void toneThatCannotBeMadeReturnsToIdle()
    {
        QFETCH(bool, moving);
        QFETCH(QString, speed1);
        QFETCH(QString, speed2);
        QFETCH(bool, noBand);
        QFETCH(QString, accuracy);
        QFETCH(QString, mentions);
        QFETCH(QString, carrier);
        Settings::write(Settings::XFreq, carrier);
        if (carrier != QLatin1String("10.525")) { // the Ka band's own carrier
            inputs.band = Doppler::Band::Ka;
            Settings::write(Settings::KaFreq, carrier);
        }
        inputs.moving = moving;
        inputs.speed1 = speed1;
        inputs.speed2 = speed2;
        if (noBand)
            inputs.band.reset();
        Settings::write(Settings::Accuracy, accuracy);
        touch(temp());

        TonePlayback playback(inputs, dir->path());
        try {
            playback.playTone();
            QFAIL("a tone that cannot be made was played");
        } catch (const ToneError& e) {
            QVERIFY2(e.message().contains(mentions), qPrintable(e.message()));
        }
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(!playback.isWriting());
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(temp2()));
        // And the next request, once corrected, plays.
        inputs.speed1 = inputs.speed2 = QStringLiteral("10");
        inputs.band = Doppler::Band::X;
        Settings::write(Settings::Accuracy, QStringLiteral("10"));
        Settings::write(Settings::XFreq, QStringLiteral("10.525"));
        inputs.moving = false;
        QCOMPARE(playback.playTone(), TonePlayback::Outcome::Playing);
        playback.stop();
    }

    void companionThatCannotStartIsReported()
    {
        inputs.moving = true; // no echolet.dll in this folder
        TonePlayback playback(inputs, dir->path());
        try {
            playback.playTone();
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
        QVERIFY_THROWS_EXCEPTION(ToneError, playback.playTone());
        QVERIFY(!playback.isTonePlaying());
    }

    // Neither the application directory nor the user's own folders can take the tone
    // files (here a file stands where each folder would be): the message names them all.
    void unwritableFolderIsReported()
    {
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir->file(QStringLiteral("cache"))));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("cache")));
        const QStringList blockers {dir->file(QStringLiteral("tinevox")), dir->file(QStringLiteral("cache/tinevox"))};
        for (const QString& name : blockers) {
            QFile blocker(name);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        TonePlayback playback(inputs, dir->file(QStringLiteral("missing")));
        try {
            playback.playTone();
            QFAIL("played without a tone file");
        } catch (const ToneError& e) {
            QCOMPARE(e.kind(), ToneError::Kind::FileNotWritten);
            QVERIFY2(e.message().contains(dir->file(QStringLiteral("missing"))) && e.message().contains(blockers[0])
                         && e.message().contains(blockers[1]),
                     qPrintable(e.message()));
        }
        QVERIFY(!playback.isTonePlaying());
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qunsetenv("XDG_CACHE_HOME");
    }

    // A stop while the file is written: the write is abandoned, nothing plays, no file
    // is left, and a play request in between is absorbed rather than starting a second
    // write.
    void stopWhileWritingAbandons()
    {
        inputs.moving = true;
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        inputs.band = Doppler::Band::Ka;
        inputs.speed1 = QStringLiteral("199");
        TonePlayback playback(inputs, dir->path());
        TonePlayback::Outcome nested = TonePlayback::Outcome::Playing;
        bool sawWriting = false;
        QTimer::singleShot(0, [&] {
            sawWriting = playback.isWriting() && playback.isTonePlaying();
            playback.stop();
            nested = playback.playTone();
        });
        QCOMPARE(playback.playTone(), TonePlayback::Outcome::Abandoned);
        QVERIFY(sawWriting);
        QCOMPARE(nested, TonePlayback::Outcome::Absorbed);
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(!playback.isWriting());
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(temp2()));
        // Idle again: the next request plays.
        inputs.moving = false;
        QCOMPARE(playback.playTone(), TonePlayback::Outcome::Playing);
        playback.stop();
    }

    void closeWhileWritingAbandons()
    {
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        inputs.band = Doppler::Band::Ka;
        inputs.speed1 = QStringLiteral("199");
        TonePlayback playback(inputs, dir->path());
        QTimer::singleShot(0, [&] { playback.unload(); });
        QCOMPARE(playback.playTone(), TonePlayback::Outcome::Abandoned);
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!playback.isTonePlaying());
    }

    void cancelWhileWritingAbandons()
    {
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        inputs.band = Doppler::Band::Ka;
        inputs.speed1 = QStringLiteral("199");
        TonePlayback playback(inputs, dir->path());
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* progress = qobject_cast<ToneProgressDialog*>(w))
                    progressControls(progress).cancelButton->click();
            }
        });
        QCOMPARE(playback.playTone(), TonePlayback::Outcome::Abandoned);
        QVERIFY(!playback.isTonePlaying());
        QVERIFY(!QFile::exists(temp()));
    }
};

QTEST_MAIN(TestTonePlayback)
#include "test_toneplayback.moc"
