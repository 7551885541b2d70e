// The sink volume on the rig's sound server, as a desktop mixer shares it: what pactl
// sets anywhere is what we show, on whichever sink is the default; what we write is what
// pactl then shows; and the window's slider follows all of it.

#include "PrivateSoundServer.h"
#include "common/TestEnvironment.h"
#include "common/WindowControls.h"
#include "e2e/E2eHelpers.h"
#include "mainwindow/ForkWindow.h"
#include "widgets/Fonts.h"
#include "platform/SinkVolume.h"
#include "platform/sound/SoundServerConnection.h"

#include <QApplication>
#include <QRegularExpression>
#include <QSlider>
#include <QtTest>

using Platform::SinkVolume;

namespace {

// A sink's channel volumes as raw server values, through pactl.
QList<quint32> sinkVolumes(const QString& sink = QStringLiteral("@DEFAULT_SINK@"))
{
    const QString out = E2e::run(QStringLiteral("pactl"), {QStringLiteral("get-sink-volume"), sink});
    QList<quint32> values;
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
    auto it = channel.globalMatch(out.section(QLatin1Char('\n'), 0, 0));
    while (it.hasNext())
        values << it.next().captured(1).toUInt();
    return values;
}

void setSinkVolumes(quint32 left, quint32 right, const QString& sink = QStringLiteral("@DEFAULT_SINK@"))
{
    E2e::run(QStringLiteral("pactl"), {QStringLiteral("set-sink-volume"), sink, QString::number(left), QString::number(right)});
}

// What a SinkVolume reported last, received on the test's thread as the window receives it.
struct Reports : QObject {
    explicit Reports(SinkVolume& volume)
    {
        connect(&volume, &SinkVolume::changed, this, [this](int v) { last = v; });
        connect(&volume, &SinkVolume::unavailable, this, [this] { last.reset(); });
    }
    std::optional<int> last;
};

// A second null sink that a test makes the default, as plugged-in headphones would be.
class SecondSink {
public:
    SecondSink()
    {
        previous = E2e::run(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")}).trimmed();
        module = E2e::run(QStringLiteral("pactl"), {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                                    QStringLiteral("sink_name=") + Name})
                     .trimmed();
    }
    ~SecondSink()
    {
        E2e::run(QStringLiteral("pactl"), {QStringLiteral("set-default-sink"), previous});
        E2e::run(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module});
    }
    void makeDefault() { E2e::run(QStringLiteral("pactl"), {QStringLiteral("set-default-sink"), Name}); }
    QString previous;
    QString module;
    inline static const QString Name = QStringLiteral("tinevox_headphones");
};

} // namespace

class TestVolume : public QObject {
    Q_OBJECT
    QList<quint32> before;

private slots:
    void initTestCase()
    {
        Fonts::installSubstitutes();
        before = sinkVolumes();
        QCOMPARE(before.size(), 2);
    }
    void cleanup() { setSinkVolumes(before[0], before[1]); }

    void mapping()
    {
        QCOMPARE(SinkVolume::toServerVolume(0), 0u);
        QCOMPARE(SinkVolume::toServerVolume(65535), 65536u); // normal volume
        QCOMPARE(SinkVolume::fromServerVolume(65536), 65535);
        QCOMPARE(SinkVolume::fromServerVolume(100000), 65535); // louder than normal
        for (quint32 v : {0u, 1u, 5u, 15u, 16u, 100u, 5000u, 32767u, 65534u, 65535u})
            QCOMPARE(SinkVolume::fromServerVolume(SinkVolume::toServerVolume(static_cast<quint16>(v))), v);
    }

    // The left channel (the right one does not count), changed elsewhere, and a new default
    // sink: each is reported.
    void followsTheDefaultSink()
    {
        setSinkVolumes(0, 65536);
        Platform::SoundServerConnection connection;
        SinkVolume volume(connection);
        Reports reports(volume);
        volume.start();
        QTRY_COMPARE(reports.last, std::optional<int>(0));
        setSinkVolumes(65536, 1000);
        QTRY_COMPARE(reports.last, std::optional<int>(SinkVolume::fromServerVolume(65536)));

        SecondSink headphones;
        setSinkVolumes(26214, 26214, SecondSink::Name);
        headphones.makeDefault();
        QTRY_COMPARE(reports.last, std::optional<int>(SinkVolume::fromServerVolume(26214)));
        setSinkVolumes(20000, 20000, SecondSink::Name);
        QTRY_COMPARE(reports.last, std::optional<int>(SinkVolume::fromServerVolume(20000)));
    }

    void writesBothChannels()
    {
        Platform::SoundServerConnection connection;
        SinkVolume volume(connection);
        Reports reports(volume);
        volume.start();
        QTRY_VERIFY(reports.last.has_value()); // the server has answered
        for (quint32 v : {100u, 5u, 0u, 65535u}) {
            volume.set(int(v));
            QTRY_VERIFY(!volume.isWriting());
            const quint32 server = SinkVolume::toServerVolume(static_cast<quint16>(v));
            QCOMPARE(sinkVolumes(), (QList<quint32> {server, server}));
        }
        // A burst of changes, as a dragged slider makes: the last one stands.
        for (quint32 v = 1000; v <= 30000; v += 1000)
            volume.set(int(v));
        QTRY_VERIFY(!volume.isWriting());
        const quint32 last = SinkVolume::toServerVolume(30000);
        QCOMPARE(sinkVolumes(), (QList<quint32> {last, last}));
    }

    void readingWritesNothing()
    {
        setSinkVolumes(20000, 40000);
        {
            Platform::SoundServerConnection connection;
            SinkVolume volume(connection);
            Reports reports(volume);
            volume.start();
            QTRY_VERIFY(reports.last.has_value());
        }
        QCOMPARE(sinkVolumes(), (QList<quint32> {20000, 40000}));
    }

    // No server at first, then one that appears, then goes: unknown, known, unknown.
    void followsAServerThatComesAndGoes()
    {
        QTemporaryDir scratch(TestEnvironment::scratchRoot() + QStringLiteral("/server-XXXXXX"));
        TestSupport::PrivateSoundServer server(scratch.path());
        const QByteArray rigServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.address().toUtf8());
        auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", rigServer); });
        Platform::SoundServerConnection connection;
        SinkVolume volume(connection);
        Reports reports(volume);
        volume.start();
        volume.set(5); // no server: nothing to do, and no hang
        QVERIFY(server.start());
        QVERIFY(server.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("tvnull"), QStringLiteral("30000"),
                              QStringLiteral("30000")}));
        QTRY_COMPARE_WITH_TIMEOUT(reports.last, std::optional<int>(SinkVolume::fromServerVolume(30000)), 10000);
        server.end(false);
        QTRY_VERIFY_WITH_TIMEOUT(!reports.last.has_value(), 10000);
    }

    // The window's slider on the rig: disabled until the server answers, then showing and
    // following the default sink, or the sink a mixer moved the tone to, and a wheel notch
    // down always lowers the sink it shows.
    void sliderFollowsTheDesktop()
    {
        TestEnvironment::AppDir dir(true);
        setSinkVolumes(65536, 65536);
        ForkWindow window(dir.path());
        QVERIFY(window.load());
        QSlider* slider = forkControls(window).volumeSlider;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(slider->isEnabled());
        QTRY_COMPARE(slider->value(), 65535);
        // The tone and the slider share the process's one connection.
        const QString clients = E2e::run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("clients")});
        QCOMPARE(clients.count(QStringLiteral("application.process.id = \"%1\"").arg(QCoreApplication::applicationPid())), 1);

        const auto notchDown = [&] {
            const QPoint middle = slider->geometry().center();
            E2e::run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"),
                                                 QString::number(window.winId()), QString::number(middle.x()),
                                                 QString::number(middle.y()), QStringLiteral("click"), QStringLiteral("5")});
        };
        struct Case {
            const char* what;
            quint32 serverVolume;
            bool switchSink;
            bool moveTone;
        };
        SecondSink headphones;
        for (const Case& c : {Case {"lowered elsewhere to 30 %", 19661, false, false},
                              Case {"headphones at 40 % become the default", 26214, true, false},
                              Case {"the tone moved to the other sink, at 50 %", 32768, false, true}}) {
            const QString sink = c.moveTone ? headphones.previous : c.switchSink ? SecondSink::Name : QStringLiteral("@DEFAULT_SINK@");
            setSinkVolumes(c.serverVolume, c.serverVolume, sink);
            if (c.switchSink)
                headphones.makeDefault();
            if (c.moveTone) {
                forkControls(window).goButton->click();
                QTRY_COMPARE(E2e::streamsPlaying(), 1);
                const QString streams = E2e::run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
                E2e::run(QStringLiteral("pactl"), {QStringLiteral("move-sink-input"), streams.section(QLatin1Char('\t'), 0, 0), sink});
            }
            const int shown = SinkVolume::fromServerVolume(c.serverVolume);
            QTRY_COMPARE(slider->value(), shown);
            notchDown();
            QTRY_VERIFY2(sinkVolumes(sink).value(0) < c.serverVolume, c.what);
            const QList<quint32> after = sinkVolumes(sink);
            QVERIFY2(after.value(0) + 10 > c.serverVolume && after.value(0) == after.value(1), c.what);
            QCOMPARE(slider->value(), static_cast<int>(SinkVolume::fromServerVolume(after.value(0))));
        }
        window.unload();
    }
};

QTEST_MAIN(TestVolume)
#include "test_volume_e2e.moc"
