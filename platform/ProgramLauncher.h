#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <csignal>

namespace Platform {

// How a started program should show its main window at start-up.
enum class ShowState { Normal, Hidden };

// The environment variable that carries the start-up show state to a child: "0" means
// hidden, as a hidden start-up show state does on other desktops.
inline constexpr char ShowStateVariable[] = "TINEVOX_SHOW_STATE";

// This process's environment with the show state for a child in it.
QProcessEnvironment environmentWithShowState(ShowState state);

// Starts the program at path, detached, with no arguments, in its own directory.
// Returns false when it could not be started (missing, not executable); otherwise its
// process identifier is stored in pid when one is given.
bool startProgram(const QString& path, ShowState state, qint64* pid = nullptr);

// The signal a tied child receives when its parent has ended, however it ended. Its
// default action ends the child, as SIGTERM would.
inline constexpr int ParentEndedSignal = SIGUSR2;

// Starts the program at path as a child of this process that is tied to it: when this
// process ends, however it ends (SIGKILL too), the child is sent ParentEndedSignal. The show state
// reaches it as with startProgram. Returns false when it could not be started; otherwise
// its process identifier is stored in pid. Call reapChild once it has ended.
bool startTiedProgram(const QString& path, ShowState state, qint64* pid);

// Collects the exit status of a child started by startTiedProgram once it has ended, so
// that it leaves no entry behind in the process table. Returns false while it runs.
bool reapChild(qint64 pid);

// Ends this user's processes of the program at path that were started hidden (left by an
// earlier run that could not close them): each is sent SIGTERM, and this waits up to
// waitMs for them to go. Returns how many were found.
int endHiddenStartsOf(const QString& path, int waitMs);

// Whether the process with this identifier still runs (one that has ended but is not
// yet reaped does not).
bool processRuns(qint64 pid);

// Asks the process to end (SIGTERM), for one that did not answer a close request.
void terminateProcess(qint64 pid);

// The show state this process was started with; the variable is removed from the
// environment so that it does not reach programs this one starts.
ShowState takeStartupShowState();

} // namespace Platform
