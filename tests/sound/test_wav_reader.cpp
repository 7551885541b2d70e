// The WAV reader: the files our writer makes, with the chunks other writers add, and
// every other file, which must be refused without reading outside the bytes.

#include "platform/sound/WavReader.h"

#include "WavFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <random>

using Platform::Sound::parseWav;
using Platform::Sound::readWavFile;
using Platform::Sound::WavData;

namespace {

void putU16(QByteArray& b, int offset, quint32 v)
{
    b[offset] = char(v & 0xFF);
    b[offset + 1] = char((v >> 8) & 0xFF);
}

void putU32(QByteArray& b, int offset, quint32 v)
{
    putU16(b, offset, v & 0xFFFF);
    putU16(b, offset + 2, v >> 16);
}

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray c(id, 4);
    c.append(QByteArray(4, '\0'));
    putU32(c, 4, quint32(body.size()));
    c.append(body);
    if (body.size() % 2)
        c.append('\0');
    return c;
}

QByteArray fmtBody(quint32 tag, quint32 channels, quint32 rate, quint32 blockAlign, quint32 bits)
{
    QByteArray f(16, '\0');
    putU16(f, 0, tag);
    putU16(f, 2, channels);
    putU32(f, 4, rate);
    putU32(f, 8, rate * blockAlign);
    putU16(f, 12, blockAlign);
    putU16(f, 14, bits);
    return f;
}

QByteArray riff(const QByteArray& chunks)
{
    QByteArray r("RIFF");
    r.append(QByteArray(4, '\0'));
    putU32(r, 4, quint32(4 + chunks.size()));
    r.append("WAVE");
    r.append(chunks);
    return r;
}

const QByteArray TenByteCycle = QByteArray::fromRawData("\xCA\xF8\xF8\xCA\x7F\x35\x06\x06\x34\x7F", 10);

} // namespace

class WavReaderTest : public QObject {
    Q_OBJECT

private slots:
    void ownToneFile()
    {
        // 202, 248, 248, 202, 127, 53, 6, 6, 52, 127: one cycle of N = 10 at 31390 Hz.
        const QByteArray file = TestSupport::wavBytes(31390, TenByteCycle.repeated(3));
        QCOMPARE(file.size(), 44 + 30);
        const auto wav = parseWav(file);
        QVERIFY(wav);
        QCOMPARE(wav->sampleRate, 31390u);
        QCOMPARE(wav->samples.size(), std::size_t(30));
        // Unsigned 8-bit: 128 is zero, so the file's centre 127 sits just below it.
        QCOMPARE(wav->samples[0], (202.0f - 128.0f) / 128.0f);
        QCOMPARE(wav->samples[4], -1.0f / 128.0f);
        QCOMPARE(wav->samples[6], (6.0f - 128.0f) / 128.0f);
        QCOMPARE(wav->samples[29], wav->samples[9]);
    }

    void chunksWalkedAndPadded()
    {
        // An odd-sized unknown chunk (with its pad byte) before fmt, another between fmt
        // and data, and one after data.
        const QByteArray file = riff(chunk("LIST", "odd") + chunk("fmt ", fmtBody(1, 1, 8000, 1, 8))
                                     + chunk("fact", QByteArray(5, 'x')) + chunk("data", QByteArray("\x80\xFF\x00", 3))
                                     + chunk("junk", "zz"));
        const auto wav = parseWav(file);
        QVERIFY(wav);
        QCOMPARE(wav->sampleRate, 8000u);
        QCOMPARE(wav->samples.size(), std::size_t(3));
        QCOMPARE(wav->samples[0], 0.0f);
        QCOMPARE(wav->samples[1], 127.0f / 128.0f);
        QCOMPARE(wav->samples[2], -1.0f);
    }

    void oversizedDataClamped()
    {
        QByteArray file = TestSupport::wavBytes(100, TenByteCycle);
        putU32(file, 40, 1000000); // claims far more than the 10 bytes present
        auto wav = parseWav(file);
        QVERIFY(wav);
        QCOMPARE(wav->samples.size(), std::size_t(10));

        putU32(file, 40, 0xFFFFFFFF);
        wav = parseWav(file);
        QVERIFY(wav);
        QCOMPARE(wav->samples.size(), std::size_t(10));
    }

    void wrongRiffSizeIgnored()
    {
        QByteArray file = TestSupport::wavBytes(100, TenByteCycle);
        putU32(file, 4, 0);
        QVERIFY(parseWav(file));
        putU32(file, 4, 0xFFFFFFFF);
        QVERIFY(parseWav(file));
    }

    void emptyDataIsValid()
    {
        const auto wav = parseWav(TestSupport::wavBytes(31390, {}));
        QVERIFY(wav);
        QCOMPARE(wav->samples.size(), std::size_t(0));
        QCOMPARE(wav->sampleRate, 31390u);
    }

    void sampleRates_data()
    {
        QTest::addColumn<quint32>("rate");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1 Hz") << 1u << true;
        QTest::newRow("100 Hz") << 100u << true;
        QTest::newRow("2006000 Hz") << 2006000u << true;
        QTest::newRow("2140000 Hz") << 2140000u << true;
        QTest::newRow("highest accepted") << Platform::LoopedSound::MaxSampleRate << true;
        QTest::newRow("above highest") << Platform::LoopedSound::MaxSampleRate + 1 << false;
        QTest::newRow("4 GHz") << 0xFFFFFFFFu << false;
        QTest::newRow("zero") << 0u << false;
    }
    void sampleRates()
    {
        QFETCH(quint32, rate);
        QFETCH(bool, accepted);
        const auto wav = parseWav(TestSupport::wavBytes(rate, TenByteCycle));
        QCOMPARE(bool(wav), accepted);
        if (wav)
            QCOMPARE(wav->sampleRate, rate);
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = TestSupport::wavBytes(8000, TenByteCycle);
        auto patched16 = [&](int offset, quint32 v) {
            QByteArray b = good;
            putU16(b, offset, v);
            return b;
        };
        auto patched32 = [&](int offset, quint32 v) {
            QByteArray b = good;
            putU32(b, offset, v);
            return b;
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("RIFF only") << QByteArray("RIFF");
        QTest::newRow("header cut before fmt") << good.left(12);
        QTest::newRow("header cut inside fmt") << good.left(30);
        QTest::newRow("header cut before data") << good.left(36);
        QTest::newRow("not RIFF") << QByteArray("RIFX").append(good.mid(4));
        QTest::newRow("not WAVE") << QByteArray(good).replace(8, 4, "AVI ");
        QTest::newRow("float format") << patched16(20, 3);
        QTest::newRow("zero channels") << patched16(22, 0);
        QTest::newRow("two channels") << riff(chunk("fmt ", fmtBody(1, 2, 8000, 2, 8)) + chunk("data", "ab"));
        QTest::newRow("16 bits") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 2, 16)) + chunk("data", "ab"));
        QTest::newRow("extensible") << riff(chunk("fmt ", fmtBody(0xFFFE, 1, 8000, 1, 8) + QByteArray(24, '\0')) + chunk("data", "ab"));
        QTest::newRow("zero rate") << patched32(24, 0);
        QTest::newRow("block align 2 for 8-bit mono") << patched16(32, 2);
        QTest::newRow("block align 0") << patched16(32, 0);
        QTest::newRow("24 bits") << patched16(34, 24);
        QTest::newRow("0 bits") << patched16(34, 0);
        QTest::newRow("4 bits") << patched16(34, 4);
        QTest::newRow("fmt size below 16") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 1, 8).left(14)) + chunk("data", "ab"));
        QTest::newRow("fmt size beyond file") << patched32(16, 1000);
        QTest::newRow("fmt size overflowing") << patched32(16, 0xFFFFFFFF);
        QTest::newRow("no data chunk") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 1, 8)) + chunk("LIST", "abcd"));
        QTest::newRow("data before fmt") << riff(chunk("data", "ab") + chunk("fmt ", fmtBody(1, 1, 8000, 1, 8)));
        QTest::newRow("two fmt chunks") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 1, 8)) + chunk("fmt ", fmtBody(1, 2, 8000, 4, 16))
                                                + chunk("data", "ab"));
        QByteArray huge = riff(chunk("fmt ", fmtBody(1, 1, 8000, 1, 8)) + chunk("LIST", "ab") + chunk("data", "ab"));
        putU32(huge, 40, 0xFFFFFFFF); // the LIST chunk claims 4 GB, hiding the data chunk
        QTest::newRow("unknown chunk size overflowing") << huge;
    }
    void malformed()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!parseWav(bytes));
    }

    // Every prefix and many random corruptions of a valid file: each is refused or gives
    // no more samples than the bytes hold. Run under AddressSanitizer, this also shows that
    // nothing is read outside the bytes.
    void truncationsAndCorruptionsAreSafe()
    {
        const QByteArray good = riff(chunk("LIST", "odd") + chunk("fmt ", fmtBody(1, 1, 44100, 1, 8))
                                     + chunk("data", QByteArray(64, '\x55')));
        for (qsizetype n = 0; n <= good.size(); ++n) {
            // A heap copy of exactly n bytes, so that reading past it is caught.
            const QByteArray prefix(good.constData(), n);
            const auto wav = parseWav(prefix);
            if (wav)
                QVERIFY(wav->samples.size() <= std::size_t(n));
        }
        std::mt19937 random(12345);
        for (int round = 0; round < 20000; ++round) {
            QByteArray b(good.constData(), good.size());
            const int flips = 1 + int(random() % 4);
            for (int i = 0; i < flips; ++i)
                b[int(random() % quint32(b.size()))] = char(random() & 0xFF);
            const QByteArray cut(b.constData(), qsizetype(random() % quint32(b.size() + 1)));
            const auto wav = parseWav(cut);
            if (wav)
                QVERIFY(wav->samples.size() <= std::size_t(cut.size()));
        }
    }

    void readsFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("tone.wav"));
        QVERIFY(TestSupport::writeFile(path, TestSupport::toneWav(2006000, 100, 50)));
        const auto wav = readWavFile(path);
        QVERIFY(wav);
        QCOMPARE(wav->sampleRate, 2006000u);
        QCOMPARE(wav->samples.size(), std::size_t(5000));

        QVERIFY(!readWavFile(dir.filePath(QStringLiteral("missing.wav"))));
        QVERIFY(!readWavFile(dir.path()));
        QVERIFY(!readWavFile(QString()));
        const QString garbage = dir.filePath(QStringLiteral("garbage.wav"));
        QVERIFY(TestSupport::writeFile(garbage, QByteArray(1000, 'g')));
        QVERIFY(!readWavFile(garbage));
    }
};

QTEST_GUILESS_MAIN(WavReaderTest)
#include "test_wav_reader.moc"
