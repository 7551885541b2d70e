// The companions' life, with a stand-in that never shows a window: a close is followed
// from the event loop rather than waited for, and nothing outlives its owner or is left
// uncollected; an earlier run's hidden companions are ended without holding up the start.

#include "e2e/E2eHelpers.h"
#include "platform/CompanionProcesses.h"
#include "platform/ProgramLauncher.h"

#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>

namespace {

const QString StandIn = QStringLiteral(COMPANION_STAND_IN);

// The one stand-in that runs now; 0 when there is not exactly one.
qint64 onlyStandIn()
{
    const QStringList pids = E2e::run(QStringLiteral("pgrep"), {QStringLiteral("-x"), QStringLiteral("-f"), StandIn})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return pids.size() == 1 ? pids.first().toLongLong() : 0;
}

// Runs, and has not merely ended unreaped.
bool runs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line.at(close + 2) != 'Z' && line.at(close + 2) != 'X';
}

// Ended and collected: not even a zombie is left.
bool collected(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

class TestCompanionProcesses : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        E2e::killAll(StandIn); // only after a failure
        qunsetenv("TINEVOX_STAND_IN_IGNORES_SIGTERM");
    }

    // Without a window to take the close, it is ended by its process once its grace is
    // over; meanwhile the event loop runs on.
    void closedBeforeItHasAWindowStillEnds()
    {
        Platform::CompanionProcesses companions(StandIn);
        QVERIFY(companions.start());
        const qint64 pid = onlyStandIn();
        QVERIFY(pid > 0);

        companions.closeAll(false);
        bool timerRan = false;
        bool stillRan = false;
        QTimer::singleShot(0, [&] {
            timerRan = true;
            stillRan = runs(pid);
        });
        QTRY_VERIFY(timerRan);
        QVERIFY(stillRan);
        QTRY_VERIFY_WITH_TIMEOUT(collected(pid), 15000);
    }

    // Where no X display answers (a Wayland session without XWayland) no window of the
    // companion can take the close: STOP ends it through its process at once, not after
    // the grace a window is given to appear.
    void withoutAnXDisplayItIsClosedAtOnce()
    {
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        const auto restore = qScopeGuard([&] { qputenv("DISPLAY", display); });
        Platform::CompanionProcesses companions(StandIn);
        QVERIFY(companions.start());
        const qint64 pid = onlyStandIn();
        QVERIFY(pid > 0);
        companions.closeAll(true);
        QTRY_VERIFY_WITH_TIMEOUT(collected(pid), 1500);
    }

    // However the program ends, nothing started here plays on after its owner has gone.
    void nothingOutlivesItsOwner_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("closed as the program ends") << 0;
        QTest::newRow("closed without the display") << 1;
        QTest::newRow("gone while it plays") << 2;
    }
    void nothingOutlivesItsOwner()
    {
        QFETCH(int, ending);
        qint64 pid = 0;
        {
            Platform::CompanionProcesses companions(StandIn);
            QVERIFY(companions.start());
            pid = onlyStandIn();
            QVERIFY(pid > 0);
            if (ending == 0)
                companions.closeAllAtProgramEnd(false);
            else if (ending == 1)
                companions.closeAllWithoutDisplay();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!runs(pid), 10000);
    }

    // One that ignores SIGTERM still runs when the start goes on, and is killed after its
    // grace; a companion started by hand is not touched.
    void earlierRunIsEndedWithoutHoldingUpTheStart()
    {
        qputenv("TINEVOX_STAND_IN_IGNORES_SIGTERM", "1");
        qint64 hidden = 0;
        qint64 byHand = 0;
        QVERIFY(Platform::startProgram(StandIn, Platform::ShowState::Hidden, &hidden));
        QVERIFY(Platform::startProgram(StandIn, Platform::ShowState::Normal, &byHand));
        QTRY_COMPARE(E2e::processesRunning(StandIn), 2); // both have become the stand-in

        Platform::CompanionProcesses companions(StandIn);
        companions.endEarlierRun();
        QVERIFY(runs(hidden));
        QTRY_VERIFY_WITH_TIMEOUT(!runs(hidden), 10000);
        QVERIFY(runs(byHand));
        ::kill(static_cast<pid_t>(byHand), SIGKILL);
    }
};

QTEST_GUILESS_MAIN(TestCompanionProcesses)
#include "test_companion_processes.moc"
