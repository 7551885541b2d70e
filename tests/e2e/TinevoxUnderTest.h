#pragma once

// The real tinevox as a user meets it: started from its own application directory on
// the rig's X server and sound server, clicked and typed at with xdotool at the places
// of the controls on the skin, and heard through the null sink's monitor. Every step
// waits for what it can see happen (a window mapped and focused, a tone heard), never
// for a fixed time.

#include "MonitorRecorder.h"
#include "PitchMeter.h"
#include "TonesHeard.h"
#include "common/ForkWindowPlaces.h"
#include "common/TestEnvironment.h"
#include "e2e/E2eHelpers.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

inline QString xdotool(const QStringList& args)
{
    return E2e::run(QStringLiteral("xdotool"), args);
}

class TinevoxUnderTest {
protected:
    std::unique_ptr<TestEnvironment::AppDir> dir;
    std::unique_ptr<QProcess> program;
    QString window;
    TestSupport::MonitorRecorder recorder;
    QHash<QString, QString> extraEnvironment; // for the next start
    std::unique_ptr<QTemporaryDir> waylandRuntime;
    std::unique_ptr<QProcess> compositor;

    QString tinevox() const { return dir->file(QStringLiteral("tinevox")); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (auto it = extraEnvironment.cbegin(); it != extraEnvironment.cend(); ++it)
            env.insert(it.key(), it.value());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir->path()); // a runtime folder of its own
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }

    // Waits up to 20 s for the main window to be shown and, where a window manager hands
    // out the focus, to have it (typing goes there); true when it was.
    bool waitForWindow()
    {
        window.clear(); // an earlier start's window may be gone
        const bool shown = QTest::qWaitFor([this] {
            window = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                              QStringLiteral("^Tinevox$")}).section(QLatin1Char('\n'), 0, 0);
            return !window.isEmpty();
        }, 20000);
        if (!shown || !E2e::windowManagerRuns())
            return shown;
        return QTest::qWaitFor([this] { return xdotool({QStringLiteral("getactivewindow")}) == window; }, 5000);
    }

    // Starts the program and waits for its window; fails the test when none appears.
    void startProgram()
    {
        program = std::make_unique<QProcess>();
        program->setProcessEnvironment(environment());
        program->start(tinevox(), {});
        QVERIFY(program->waitForStarted());
        if (!waitForWindow()) {
            const bool running = program->state() == QProcess::Running;
            const QString why = running ? QStringLiteral("still running")
                                        : QStringLiteral("ended with %1%2").arg(program->exitCode()).arg(
                                              program->exitStatus() == QProcess::CrashExit ? QStringLiteral(", crashed") : QString());
            const QString output = QString::fromLocal8Bit(program->readAllStandardError() + program->readAllStandardOutput());
            program->kill();
            program->waitForFinished(2000);
            QFAIL(qPrintable(QStringLiteral("the main window did not appear or get the focus (%1): %2").arg(why, output)));
        }
    }

    Geometry geometry() const
    {
        const QString out = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        Geometry g;
        for (const QString& line : out.split(QLatin1Char('\n'))) {
            const QString value = line.section(QLatin1Char('='), 1);
            if (line.startsWith(QLatin1String("X=")))
                g.x = value.toInt();
            else if (line.startsWith(QLatin1String("Y=")))
                g.y = value.toInt();
            else if (line.startsWith(QLatin1String("WIDTH=")))
                g.width = value.toInt();
            else if (line.startsWith(QLatin1String("HEIGHT=")))
                g.height = value.toInt();
        }
        return g;
    }

    // Clicks at a pixel of the skin. The program sees the click before any later input of
    // the test, which the X server delivers in order.
    void clickAt(int x, int y)
    {
        const Geometry g = geometry();
        xdotool({QStringLiteral("mousemove"), QString::number(g.x + x), QString::number(g.y + y),
                 QStringLiteral("click"), QStringLiteral("1")});
    }

    // The centre of a control of the main window on the screen, by its designed place, at
    // the scale the window is drawn at.
    QPoint centreOf(const ForkWindowPlaces::Place& place) const
    {
        const Geometry g = geometry();
        const QPointF at = ForkWindowPlaces::centre(place) * (double(g.width) / ForkWindowPlaces::WindowWidth);
        return QPoint(g.x + qRound(at.x()), g.y + qRound(at.y()));
    }

    // Clicks a button of the mouse (the wheel's are 4 and 5) on a control, at its centre.
    void clickControl(const ForkWindowPlaces::Place& place, const QString& button = QStringLiteral("1"))
    {
        const QPoint at = centreOf(place);
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"), button});
    }

    // The window under the pointer at a pixel of the skin, once the pointer is there.
    QString windowUnder(int x, int y)
    {
        const Geometry g = geometry();
        const QString out = xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(g.x + x),
                                     QString::number(g.y + y), QStringLiteral("getmouselocation"), QStringLiteral("--shell")});
        static const QRegularExpression line(QStringLiteral("WINDOW=(\\d+)"));
        return line.match(out).captured(1);
    }

    // Presses a button on the skin at from, moves the pointer by `by` in steps as a hand
    // drags, and releases it. The program hands the drag to the window manager once it
    // has seen the press: the first step is repeated until the window follows it.
    void dragSkin(const QString& button, QPoint from, QPoint by, int steps = 10)
    {
        const Geometry start = geometry();
        const QPoint origin(start.x + from.x(), start.y + from.y());
        const auto moveTo = [](QPoint p) {
            xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
        };
        moveTo(origin);
        xdotool({QStringLiteral("mousedown"), button});
        // The move starts where the pointer is when the window manager takes it, which on
        // a busy machine may be after a first step: the pointer only wavers by a pixel
        // until the window follows, so the drag is by its whole distance, give or take it.
        bool nudge = true;
        const bool followed = QTest::qWaitFor([&] {
            moveTo(origin + QPoint(nudge ? 1 : 0, 0)); // a pointer that does not move sends nothing
            nudge = !nudge;
            const Geometry now = geometry();
            return now.x != start.x || now.y != start.y;
        }, 5000);
        if (!followed)
            qWarning("the window did not follow the start of the drag");
        for (int step = 1; step <= steps; ++step)
            moveTo(origin + QPoint(by.x() * step / steps, by.y() * step / steps));
        // Released once the window has followed the last step: on a busy machine the
        // release may otherwise overtake the last motion.
        if (!QTest::qWaitFor([&] { return draggedBy(start, by); }, 3000))
            qWarning("the window did not follow the whole drag");
        xdotool({QStringLiteral("mouseup"), button});
    }

    // Whether the window lies the drag distance from where it was, to the pixel by which
    // the pointer wavered at the start of the drag.
    bool draggedBy(const Geometry& before, QPoint by) const
    {
        const QPoint moved = movedFrom(before);
        return qAbs(moved.x() - by.x()) <= 1 && moved.y() == by.y();
    }

    // How far the window lies from where it was.
    QPoint movedFrom(const Geometry& before) const
    {
        const Geometry now = geometry();
        return QPoint(now.x - before.x, now.y - before.y);
    }

    // The program's windows mapped on the X server: the main window and any popup.
    QStringList mappedWindows() const
    {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                        QString::number(program->processId())}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    void typeSpeed(const QString& speed)
    {
        clickControl(ForkWindowPlaces::FirstSpeedBox);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), speed});
    }

    // The pitches heard together once all the expected ones are heard, lowest first; 0
    // for each one not heard.
    std::vector<double> hearTones(const std::vector<double>& expected)
    {
        const TestSupport::PitchReport report = TestSupport::waitForTones(recorder, expected);
        recorder.stop();
        std::vector<double> heard;
        for (std::size_t i = 0; i < expected.size(); ++i)
            heard.push_back(report.frequency(i));
        std::sort(heard.begin(), heard.end());
        return heard;
    }

    // A Wayland session as most Debian desktops run one, for the next start: a headless
    // compositor, and the session's variables that make Qt pick its Wayland plugin.
    void enterWaylandSession()
    {
        waylandRuntime = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/tvwayland-XXXXXX")); // short socket path
        QVERIFY(waylandRuntime->isValid());
        QFile::setPermissions(waylandRuntime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), waylandRuntime->path());
        compositor = std::make_unique<QProcess>();
        compositor->setProcessEnvironment(env);
        compositor->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        compositor->setProcessChannelMode(QProcess::MergedChannels);
        compositor->setStandardOutputFile(waylandRuntime->filePath(QStringLiteral("weston.log")));
        compositor->start(QStringLiteral("weston"), {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--no-config"),
                                                     QStringLiteral("--idle-time=0"), QStringLiteral("--socket=wayland-tv")});
        QVERIFY(compositor->waitForStarted());
        const QString socket = waylandRuntime->filePath(QStringLiteral("wayland-tv"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket) || compositor->state() != QProcess::Running, 10000);
        QVERIFY2(QFile::exists(socket), "the Wayland compositor did not start");
        extraEnvironment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
        extraEnvironment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    }

    static void requireRig()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY") && qEnvironmentVariableIsSet("PULSE_SERVER"),
                 "the rig's X server and sound server are needed");
    }

    // Prepares a fresh application directory with copies of both programs.
    void prepare()
    {
        TestEnvironment::clearSettings();
        dir = std::make_unique<TestEnvironment::AppDir>(true);
        QVERIFY(QFile::copy(TestEnvironment::builtAppDir() + QStringLiteral("/tinevox"), tinevox()));
        window.clear();
        extraEnvironment.clear();
        recorder.holdLatency(); // before anything plays
    }

    // Ends the program as a logout does (the same shut-down as its close button, which a
    // window wider than the screen may not show), and anything it left.
    void finish()
    {
        if (program && program->state() == QProcess::Running) {
            program->terminate();
            if (!program->waitForFinished(5000))
                program->kill();
        }
        program.reset();
        if (dir)
            E2e::killAll(dir->companion());
        if (compositor) {
            compositor->kill();
            compositor->waitForFinished(5000);
            compositor.reset();
        }
        waylandRuntime.reset();
    }

    // Both tones of moving mode, heard on the monitor at their exact pitches.
    void expectBothTones(double low, double high)
    {
        const std::vector<double> heard = hearTones({low, high});
        QVERIFY2(qAbs(heard[0] - low) < 0.01 && qAbs(heard[1] - high) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));
        qInfo("heard %.4f and %.4f Hz", heard[0], heard[1]);
    }

    void clickGo() { clickControl(ForkWindowPlaces::GoButton); }
    void clickStop() { clickControl(ForkWindowPlaces::StopButton); }
    void clickClose() { clickControl(ForkWindowPlaces::CloseButton); }
};
