#pragma once

// Looking at the rig from outside, as a user or an administrator would: processes by
// their executable, windows by caption through xdotool.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTest>

namespace E2e {

// Runs a tool and returns its output, in the tool's untranslated words whatever the
// user's language (pactl translates its reports).
inline QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(10000))
        p.kill();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Processes whose command line is exactly this executable path.
inline int processesRunning(const QString& executable)
{
    const QString out = run(QStringLiteral("pgrep"), {QStringLiteral("-c"), QStringLiteral("-x"), QStringLiteral("-f"), executable});
    return out.toInt();
}

inline void killAll(const QString& executable)
{
    run(QStringLiteral("pkill"), {QStringLiteral("-KILL"), QStringLiteral("-x"), QStringLiteral("-f"), executable});
}

// Asks the window manager to close the window with this caption, as its close button
// or the task bar does.
inline void closeThroughWindowManager(const QString& caption)
{
    run(QStringLiteral("wmctrl"), {QStringLiteral("-F"), QStringLiteral("-c"), caption});
}

// Whether a window manager runs on the display: it then frames, places and focuses the
// windows mapped there.
inline bool windowManagerRuns()
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
        .contains(QLatin1String("window id"));
}

// Streams playing on the sound server.
inline int streamsPlaying()
{
    return static_cast<int>(run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                .size());
}

// Windows with exactly this caption; only the mapped ones when visibleOnly.
inline int windowsNamed(const QString& caption, bool visibleOnly)
{
    QStringList args {QStringLiteral("search")};
    if (visibleOnly)
        args << QStringLiteral("--onlyvisible");
    args << QStringLiteral("--name") << QStringLiteral("^%1$").arg(caption);
    const QString out = run(QStringLiteral("xdotool"), args);
    return out.isEmpty() ? 0 : static_cast<int>(out.split(QLatin1Char('\n')).size());
}

// For what must not happen: true when holds() stays true for ms, checked as it goes,
// false as soon as it fails.
template <typename Condition>
bool staysTrue(Condition holds, int ms)
{
    return !QTest::qWaitFor([&holds] { return !holds(); }, ms) && holds();
}

} // namespace E2e
