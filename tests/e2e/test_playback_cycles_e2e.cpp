// Many GO/STOP cycles of a playback in moving mode leave no process, file, descriptor or
// window behind, and memory stays flat. On an X server and a sound server of the test's
// own: the hundreds of companions it starts and closes by their caption disturb no
// other test, so it runs beside them, at a low priority, as they mostly wait in real
// time and this one only needs the CPU.

#include "common/FixedInputs.h"
#include "common/TestEnvironment.h"
#include "e2e/E2eHelpers.h"
#include "e2e/PrivateRig.h"
#include "platform/CompanionNames.h"
#include "tone/TonePlayback.h"

#include <QApplication>
#include <QDir>
#include <QtTest>

#include <sys/resource.h>

namespace {

int openDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// Children of this process that have ended and whose end it has not taken up yet: until
// it has, each still holds a descriptor here.
int uncollectedChildren()
{
    int count = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        count += fields.size() > 1 && fields[0] == "Z" && fields[1].toLongLong() == QCoreApplication::applicationPid();
    }
    return count;
}

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLong() * 4;
}

} // namespace

class TestPlaybackCyclesE2e : public QObject {
    Q_OBJECT

    PrivateRig servers;
    std::unique_ptr<TestEnvironment::AppDir> dir;

private slots:
    void initTestCase()
    {
        // Its servers and companions too.
        QCOMPARE(::setpriority(PRIO_PROCESS, 0, 10), 0);
        // This process draws its own widgets off the screen; the companions it starts,
        // and the search for them by caption, use the servers of its own.
        QVERIFY2(servers.start(), "the private X server or sound server did not start");
        TestEnvironment::clearSettings();
        dir = std::make_unique<TestEnvironment::AppDir>(true);
    }

    void cleanupTestCase()
    {
        if (dir)
            E2e::killAll(dir->companion()); // only after a failure
    }

    void manyCyclesLeaveNothingBehind()
    {
        FixedInputs inputs;
        inputs.moving = true;
        FixedInputsPlayback playback(inputs, dir->path());
        auto cycle = [&] {
            QVERIFY(playback.playTone());
            QTest::qWait(10);
            playback.stop();
        };
        for (int i = 0; i < 50; ++i)
            cycle();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(uncollectedChildren(), 0, 5000);
        const int descriptors = openDescriptors();
        const long resident = residentKiB();
        for (int i = 0; i < 250; ++i) {
            cycle();
            // Each companion ends soon after its STOP; how soon depends on the machine (a
            // loaded single core starts and ends them slowly), so give them time.
            QTRY_VERIFY2_WITH_TIMEOUT(E2e::processesRunning(dir->companion()) <= 3, "companions pile up", 10000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(E2e::processesRunning(dir->companion()), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(uncollectedChildren(), 0, 5000);
        QCOMPARE(E2e::windowsNamed(Platform::CompanionNames::Caption, false), 0);
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp2.wav"))));
        QCOMPARE(openDescriptors(), descriptors);
        QVERIFY2(residentKiB() - resident < 4096, qPrintable(QStringLiteral("grew by %1 KiB").arg(residentKiB() - resident)));
    }
};

QTEST_MAIN(TestPlaybackCyclesE2e)
#include "test_playback_cycles_e2e.moc"
