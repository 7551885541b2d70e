// The tone writer: every byte of a tone file, its sizes, and what it refuses.

#include "common/RecordedProgress.h"
#include "common/TestEnvironment.h"
#include "platform/ReplacingFile.h"
#include "tone/ToneError.h"
#include "tone/WaveWriter.h"

#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

quint32 u32(const QByteArray& file, int offset)
{
    return qFromLittleEndian<quint32>(file.constData() + offset);
}

quint16 u16(const QByteArray& file, int offset)
{
    return qFromLittleEndian<quint16>(file.constData() + offset);
}

// The tone file of a frequency at 10 bytes a cycle, the setting's default.
WaveWriter::TonePlan planAtTen(double frequency)
{
    return WaveWriter::planTone(0.5, frequency, QStringLiteral("10"));
}

} // namespace

class TestWaveWriter : public QObject {
    Q_OBJECT

    QString path;
    std::unique_ptr<TestEnvironment::AppDir> dir;

private slots:
    void init()
    {
        dir = std::make_unique<TestEnvironment::AppDir>(false);
        path = dir->file(QStringLiteral("temp.wav"));
    }

    void oneCycle()
    {
        QCOMPARE(WaveWriter::cycleBytes(10), bytes({202, 248, 248, 202, 127, 53, 6, 6, 52, 127}));
        QCOMPARE(WaveWriter::cycleBytes(5), bytes({248, 202, 53, 6, 127}));
        // The last sample lies at 360 degrees; with pi as 3.14 that is just below 127.
        const QByteArray hundred = WaveWriter::cycleBytes(100);
        QCOMPARE(hundred.size(), 100);
        QCOMPARE(static_cast<unsigned char>(hundred.back()), 127);
        for (char b : hundred)
            QVERIFY(static_cast<unsigned char>(b) <= 254);
    }

    void thousandHertzFileByteForByte()
    {
        WaveWriter::writeToneFile(planAtTen(1000), path);
        const QByteArray file = TestEnvironment::readAll(path);
        QCOMPARE(file.size(), 5044);
        QCOMPARE(file.left(4), QByteArray("RIFF"));
        QCOMPARE(u32(file, 4), 5000u + 36u);
        QCOMPARE(file.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(u32(file, 16), 16u);
        QCOMPARE(u16(file, 20), 1);
        QCOMPARE(u16(file, 22), 1);
        QCOMPARE(u32(file, 24), 10000u);
        QCOMPARE(u32(file, 28), 10000u);
        QCOMPARE(u16(file, 32), 1);
        QCOMPARE(u16(file, 34), 8);
        QCOMPARE(file.mid(36, 4), QByteArray("data"));
        QCOMPARE(u32(file, 40), 5000u);
        const QByteArray cycle = WaveWriter::cycleBytes(10);
        for (int c = 0; c < 500; ++c)
            QCOMPARE(file.mid(44 + c * 10, 10), cycle);
    }

    void workedSizes_data()
    {
        QTest::addColumn<double>("frequency");
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("perCycle");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("data");
        QTest::addColumn<int>("cycles");
        QTest::newRow("1000 Hz, 10") << 1000.0 << "10" << 10000 << 10 << 5000 << 5000 << 500;
        QTest::newRow("3139 Hz, 10") << 3139.0 << "10" << 31390 << 10 << 15695 << 15690 << 1569;
        QTest::newRow("3139 Hz, 25") << 3139.0 << "25" << 78475 << 25 << 39237 << 39225 << 1569;
        QTest::newRow("3139 Hz, 100") << 3139.0 << "100" << 313900 << 100 << 156950 << 156900 << 1569;
        QTest::newRow("20060 Hz, 100") << 20060.0 << "100" << 2006000 << 100 << 1003000 << 1003000 << 10030;
        QTest::newRow("unrounded 3138.902") << 3138.902 << "10" << 31390 << 10 << 15695 << 15690 << 1569;
        QTest::newRow("2.5 Hz is 2 Hz") << 2.5 << "10" << 20 << 10 << 10 << 10 << 1;
        QTest::newRow("accuracy with text") << 1000.0 << "25 bytes" << 25000 << 25 << 12500 << 12500 << 500;
    }
    void workedSizes()
    {
        QFETCH(double, frequency);
        QFETCH(QString, accuracy);
        QFETCH(int, rate);
        QFETCH(int, perCycle);
        QFETCH(int, total);
        QFETCH(int, data);
        QFETCH(int, cycles);
        const WaveWriter::TonePlan plan = WaveWriter::planTone(0.5, frequency, accuracy);
        QCOMPARE(plan.sampleRate, rate);
        QCOMPARE(plan.samplesPerCycle, perCycle);
        QCOMPARE(plan.totalSamples, total);
        QCOMPARE(plan.dataSize, data);
        QCOMPARE(plan.cycles, cycles);

        RecordedProgress progress;
        WaveWriter::writeToneFile(plan, path, &progress);
        const QByteArray file = TestEnvironment::readAll(path);
        QCOMPARE(file.size(), 44 + data);
        QCOMPARE(u32(file, 24), static_cast<quint32>(rate));
        // Every cycle the same bytes, across all the blocks they are written in.
        QVERIFY(file.mid(44) == WaveWriter::cycleBytes(perCycle).repeated(cycles));
        // One progress step per cycle, every one shown, ending at the whole file.
        QCOMPARE(progress.steps.size(), std::size_t(cycles));
        QVERIFY(std::is_sorted(progress.steps.begin(), progress.steps.end()));
        QVERIFY(std::adjacent_find(progress.steps.begin(), progress.steps.end()) == progress.steps.end());
        QCOMPARE(progress.steps.front(), 1.0 / cycles);
        QCOMPARE(progress.steps.back(), 1.0);
        QCOMPARE(progress.finishedFiles, 1);
    }

    void oneHertzGivesAnEmptyFile()
    {
        // The last: a cycle of 100 million bytes, of which none is written or made.
        for (const QString& accuracy : {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("25"),
                                        QStringLiteral("50"), QStringLiteral("100"), QStringLiteral("100000000")}) {
            RecordedProgress progress;
            WaveWriter::writeToneFile(WaveWriter::planTone(0.5, 1.2, accuracy), path, &progress);
            const QByteArray file = TestEnvironment::readAll(path);
            QCOMPARE(file.size(), 44);
            QCOMPARE(u32(file, 4), 36u);
            QCOMPARE(u32(file, 40), 0u);
            QVERIFY(progress.steps.empty()); // the dialog is never shown
            QCOMPARE(progress.asked, 0);
            QCOMPARE(progress.finishedFiles, 1);
        }
    }

    void toneThatCannotBeMadeWritesNothing_data()
    {
        QTest::addColumn<double>("frequency");
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<int>("kind");
        const int noFrequency = static_cast<int>(ToneError::Kind::NoFrequency);
        const int badAccuracy = static_cast<int>(ToneError::Kind::BadAccuracy);
        QTest::newRow("0 Hz") << 0.0 << "10" << noFrequency;
        QTest::newRow("rounds to 0 Hz") << 0.5 << "10" << noFrequency;
        QTest::newRow("negative") << -31.4 << "10" << noFrequency;
        QTest::newRow("not a number") << qQNaN() << "10" << noFrequency;
        QTest::newRow("accuracy 0") << 1000.0 << "0" << badAccuracy;
        QTest::newRow("accuracy empty") << 1000.0 << "" << badAccuracy;
        QTest::newRow("accuracy letters") << 1000.0 << "ten" << badAccuracy;
        QTest::newRow("accuracy negative") << 1000.0 << "-10" << badAccuracy;
        QTest::newRow("accuracy below one sample") << 1000.0 << "0.0001" << badAccuracy;
        QTest::newRow("rate beyond 32 bits") << 20060.0 << "999999" << badAccuracy;
        QTest::newRow("rate beyond the player") << 20060.0 << "5000" << badAccuracy;
        QTest::newRow("accuracy with a fraction") << 1000.0 << "10.5" << badAccuracy;
        QTest::newRow("accuracy 1: no wave") << 1000.0 << "1" << badAccuracy;
        QTest::newRow("accuracy 2: no wave") << 1000.0 << "2" << badAccuracy;
        QTest::newRow("frequency beyond the player") << 30.0e6 << "10" << static_cast<int>(ToneError::Kind::TooHigh);
    }
    void toneThatCannotBeMadeWritesNothing()
    {
        QFETCH(double, frequency);
        QFETCH(QString, accuracy);
        QFETCH(int, kind);
        try {
            WaveWriter::writeToneFile(WaveWriter::planTone(0.5, frequency, accuracy), path);
            QFAIL("a tone that cannot be made was written");
        } catch (const ToneError& e) {
            QCOMPARE(static_cast<int>(e.kind()), kind);
            QVERIFY(!e.message().isEmpty());
        }
        QVERIFY(!QFile::exists(path));
    }

    // Names planted in a folder others can write: neither the file a link points at nor
    // one sharing a hard link with the tone file is ever written through.
    void plantedNamesAreReplacedNotWrittenThrough_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::newRow("link to a file") << "symlink";
        QTest::newRow("link to a missing file") << "dangling";
        QTest::newRow("hard link") << "hardlink";
    }
    void plantedNamesAreReplacedNotWrittenThrough()
    {
        QFETCH(QString, plant);
        const QString victim = dir->file(QStringLiteral("victim"));
        const QByteArray kept("the victim's own bytes");
        if (plant != QLatin1String("dangling")) {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(kept);
        }
        if (plant == QLatin1String("hardlink"))
            QCOMPARE(::link(QFile::encodeName(victim).constData(), QFile::encodeName(path).constData()), 0);
        else
            QVERIFY(QFile::link(victim, path));

        WaveWriter::writeToneFile(planAtTen(1000), path);
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(TestEnvironment::readAll(path).size(), 5044);
        if (plant == QLatin1String("dangling"))
            QVERIFY(!QFile::exists(victim));
        else
            QCOMPARE(TestEnvironment::readAll(victim), kept);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 plant == QLatin1String("dangling") ? 1 : 2);
    }

    void fileLargerThanThePlayerTakesIsRefused()
    {
        // 80 MHz is still played, but two seconds of it would not be.
        QCOMPARE(WaveWriter::planTone(0.5, 20060, QStringLiteral("4000")).sampleRate, 80240000);
        QVERIFY_THROWS_EXCEPTION(ToneError, WaveWriter::planTone(2.0, 20060, QStringLiteral("4000")));
    }

    void unwritablePlaceIsReportedForTheUser()
    {
        const QString missing = dir->file(QStringLiteral("no such folder/temp.wav"));
        try {
            WaveWriter::writeToneFile(planAtTen(1000), missing);
            QFAIL("no error for a file that cannot be written");
        } catch (const ToneError& e) {
            QCOMPARE(e.kind(), ToneError::Kind::FileNotWritten);
            QVERIFY2(e.message().contains(QStringLiteral("no such folder")), qPrintable(e.message()));
        }
    }

    // A write the system refuses part-way (here: beyond this process's file size limit)
    // is reported in the system's words, and nothing of it is left in the folder.
    void refusedWriteIsToldInWordsAndLeavesNothing()
    {
        rlimit before {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
        const auto restore = qScopeGuard([&] {
            ::setrlimit(RLIMIT_FSIZE, &before);
            ::signal(SIGXFSZ, SIG_DFL);
        });
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = 100000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        try {
            WaveWriter::writeToneFile(WaveWriter::planTone(0.5, 20060, QStringLiteral("100")), path);
            QFAIL("a write beyond the limit was not reported");
        } catch (const ToneError& e) {
            QCOMPARE(e.kind(), ToneError::Kind::FileNotWritten);
            QVERIFY2(e.message().contains(Platform::fileErrorInWords(EFBIG)), qPrintable(e.message()));
            // and the folder the tone files go into
            QVERIFY2(e.message().contains(QStringLiteral("into the folder \"%1\"").arg(dir->path())), qPrintable(e.message()));
        }
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    }

    // The causes a user can act on, in words; a full disk exactly so.
    void systemErrorsInWords()
    {
        QCOMPARE(Platform::fileErrorInWords(ENOSPC), QStringLiteral("the disk is full"));
        QStringList seen;
        for (int error : {ENOSPC, EDQUOT, EACCES, EROFS, EIO, EFBIG, ENOENT, 12345}) {
            const QString words = Platform::fileErrorInWords(error);
            QVERIFY2(!words.isEmpty() && !words.endsWith(QLatin1Char('.')), qPrintable(words));
            QVERIFY2(!seen.contains(words), qPrintable(words));
            seen << words;
        }
    }

    // Asked at once whether to go on, a cancel leaves no file, finished or partial.
    void abandonedWriteLeavesNoFile()
    {
        RecordedProgress progress;
        progress.cancel = true;
        const WaveWriter::TonePlan largest = WaveWriter::planTone(0.5, 20060, QStringLiteral("100"));
        QVERIFY(!WaveWriter::writeToneFile(largest, path, &progress));
        QCOMPARE(progress.asked, 1);
        QCOMPARE(progress.steps.size(), std::size_t(1));
        QCOMPARE(progress.finishedFiles, 1);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    }

    void overwritesAnOldFileFromItsStart()
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
        old.close();
        WaveWriter::writeToneFile(planAtTen(1000), path);
        QCOMPARE(QFileInfo(path).size(), 5044);
    }
};

QTEST_GUILESS_MAIN(TestWaveWriter)
#include "test_wavewriter.moc"
