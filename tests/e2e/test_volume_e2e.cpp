// The sink volume on the rig's sound server: what pactl shows is what we read, and
// what we write is what pactl then shows.

#include "common/TestEnvironment.h"
#include "e2e/E2eHelpers.h"
#include "platform/SinkVolume.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// The default sink's channel volumes as raw server values, through pactl.
QList<quint32> sinkVolumes()
{
    const QString out = E2e::run(QStringLiteral("pactl"), {QStringLiteral("get-sink-volume"), QStringLiteral("@DEFAULT_SINK@")});
    QList<quint32> values;
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
    auto it = channel.globalMatch(out.section(QLatin1Char('\n'), 0, 0));
    while (it.hasNext())
        values << it.next().captured(1).toUInt();
    return values;
}

void setSinkVolumes(quint32 left, quint32 right)
{
    E2e::run(QStringLiteral("pactl"), {QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"),
                                       QString::number(left), QString::number(right)});
}

} // namespace

class TestVolume : public QObject {
    Q_OBJECT
    QList<quint32> before;

private slots:
    void initTestCase()
    {
        before = sinkVolumes();
        QCOMPARE(before.size(), 2);
    }
    void cleanupTestCase() { setSinkVolumes(before[0], before[1]); }

    void mapping()
    {
        QCOMPARE(Platform::SinkVolume::toServerVolume(0), 0u);
        QCOMPARE(Platform::SinkVolume::toServerVolume(65535), 65536u); // normal volume
        QCOMPARE(Platform::SinkVolume::fromServerVolume(65536), 65535);
        QCOMPARE(Platform::SinkVolume::fromServerVolume(100000), 65535); // louder than normal
        for (quint32 v : {0u, 1u, 5u, 15u, 16u, 100u, 5000u, 32767u, 65534u, 65535u})
            QCOMPARE(Platform::SinkVolume::fromServerVolume(Platform::SinkVolume::toServerVolume(static_cast<quint16>(v))), v);
    }

    void readsBothChannels()
    {
        setSinkVolumes(0, 65536);
        Platform::SinkVolume volume;
        QCOMPARE(volume.get(), 0xFFFF0000u);
        setSinkVolumes(65536, 1000);
        QCOMPARE(volume.get() & 0xFFFF, 65535u);
        QCOMPARE(volume.get() >> 16, static_cast<quint32>(Platform::SinkVolume::fromServerVolume(1000)));
    }

    void writesBothChannels()
    {
        Platform::SinkVolume volume;
        for (quint32 v : {100u, 5u, 0u, 65535u}) {
            volume.set(v | v << 16);
            volume.flush();
            const quint32 server = Platform::SinkVolume::toServerVolume(static_cast<quint16>(v));
            QCOMPARE(sinkVolumes(), (QList<quint32> {server, server}));
        }
        // A burst of changes, as a dragged slider makes: the last one stands.
        for (quint32 v = 1000; v <= 30000; v += 1000)
            volume.set(v | v << 16);
        volume.flush();
        const quint32 last = Platform::SinkVolume::toServerVolume(30000);
        QCOMPARE(sinkVolumes(), (QList<quint32> {last, last}));
    }

    void readingWritesNothing()
    {
        setSinkVolumes(20000, 40000);
        {
            Platform::SinkVolume volume;
            volume.get();
        }
        QCOMPARE(sinkVolumes(), (QList<quint32> {20000, 40000}));
    }

    void withoutAServerItIsHarmless()
    {
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/tinevox/native");
        {
            Platform::SinkVolume volume;
            QElapsedTimer t;
            t.start();
            QCOMPARE(volume.get(), 0u);
            volume.set(0x12341234);
            volume.flush();
            QVERIFY2(t.elapsed() < 3000, "no server must not hang the caller");
        }
        qputenv("PULSE_SERVER", server);
    }
};

QTEST_GUILESS_MAIN(TestVolume)
#include "test_volume_e2e.moc"
