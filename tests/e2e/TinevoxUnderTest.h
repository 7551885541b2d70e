#pragma once

// The real tinevox as a user meets it: started from its own application directory on
// the rig's X server and sound server, clicked and typed at with xdotool at the places
// of the controls on the skin, and heard through the null sink's monitor.

#include "MonitorRecorder.h"
#include "PitchMeter.h"
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

    // Waits up to 20 s for the main window to be shown; true when it was.
    bool waitForWindow()
    {
        window.clear(); // an earlier start's window may be gone
        for (int i = 0; i < 200 && window.isEmpty(); ++i) {
            window = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                              QStringLiteral("^Tinevox$")}).section(QLatin1Char('\n'), 0, 0);
            if (window.isEmpty())
                QTest::qWait(100);
        }
        return !window.isEmpty();
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
            QFAIL(qPrintable(QStringLiteral("the main window did not appear (%1): %2").arg(why, output)));
        }
        QTest::qWait(300);
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

    // Clicks at a pixel of the skin.
    void clickAt(int x, int y)
    {
        const Geometry g = geometry();
        xdotool({QStringLiteral("mousemove"), QString::number(g.x + x), QString::number(g.y + y),
                 QStringLiteral("click"), QStringLiteral("1")});
        QTest::qWait(150);
    }

    // The window under the pointer at a pixel of the skin.
    QString windowUnder(int x, int y)
    {
        const Geometry g = geometry();
        xdotool({QStringLiteral("mousemove"), QString::number(g.x + x), QString::number(g.y + y)});
        QTest::qWait(50);
        const QString out = xdotool({QStringLiteral("getmouselocation"), QStringLiteral("--shell")});
        static const QRegularExpression line(QStringLiteral("WINDOW=(\\d+)"));
        return line.match(out).captured(1);
    }

    void typeSpeed(const QString& speed)
    {
        clickAt(318, 137); // the first speed box
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), speed});
        QTest::qWait(200);
    }


    // The pitches heard together once new streams have had time to be heard, lowest first;
    // 0 for each one not heard.
    std::vector<double> hearTones(int count)
    {
        if (!recorder.start())
            return std::vector<double>(std::size_t(count), 0.0);
        QTest::qWait(2500); // the null sink may take up to 2 s to let new streams be heard
        // On a loaded machine the companion starts later still: listen a little longer.
        TestSupport::PitchReport report;
        for (int attempt = 0; attempt < 5 && report.tones.size() < std::size_t(count); ++attempt)
            report = TestSupport::measurePitch(recorder.record(2000), TestSupport::MonitorRecorder::Rate, count);
        recorder.stop();
        std::vector<double> heard;
        for (int i = 0; i < count; ++i)
            heard.push_back(report.frequency(std::size_t(i)));
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
    }

    // Closes the program with its close button, or ends it, and anything it left.
    void finish()
    {
        if (program && program->state() == QProcess::Running) {
            clickAt(765, 30);
            if (program->state() == QProcess::Running && !program->waitForFinished(5000))
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
        const std::vector<double> heard = hearTones(2);
        QVERIFY2(qAbs(heard[0] - low) < 0.01 && qAbs(heard[1] - high) < 0.01,
                 qPrintable(QStringLiteral("heard %1 and %2 Hz").arg(heard[0]).arg(heard[1])));
        qInfo("heard %.4f and %.4f Hz", heard[0], heard[1]);
    }

    // Clicks the controls by their place on the skin.
    void clickGo() { clickAt(380, 246); }
    void clickStop() { clickAt(278, 246); }
    void clickClose() { clickAt(765, 30); }
};
