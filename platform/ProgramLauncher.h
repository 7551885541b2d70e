#pragma once

#include <QProcessEnvironment>
#include <QString>

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

// Whether the process with this identifier still runs (one that has ended but is not
// yet reaped does not).
bool processRuns(qint64 pid);

// Asks the process to end (SIGTERM), for one that did not answer a close request.
void terminateProcess(qint64 pid);

// Ends the process outright (SIGKILL), for one that did not answer SIGTERM either.
void killProcess(qint64 pid);

// The show state this process was started with; the variable is removed from the
// environment so that it does not reach programs this one starts.
ShowState takeStartupShowState();

} // namespace Platform
