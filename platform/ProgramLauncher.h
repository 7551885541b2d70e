#pragma once

#include <QString>

#include <csignal>

class QProcess;

namespace Platform {

// How a started program should show its main window at start-up.
enum class ShowState { Normal, Hidden };

// Carries the show state to a child: "0" means hidden, as a hidden start-up show state
// does on other desktops.
inline constexpr char ShowStateVariable[] = "TINEVOX_SHOW_STATE";

// What a child tied to this process receives when this process has ended, however it
// ended. Its default action ends the child, as SIGTERM would.
inline constexpr int ParentEndedSignal = SIGUSR2;

// Sets process up to start the program at path with no arguments, in its own directory,
// with the show state in its environment, reading nothing and writing where this
// process writes.
void prepareStart(QProcess& process, const QString& path, ShowState state);

// The same, detached. False when it could not be started (missing, not executable).
bool startProgram(const QString& path, ShowState state, qint64* pid = nullptr);

// The show state this process was started with; the variable is removed from the
// environment so that it does not reach programs this one starts.
ShowState takeStartupShowState();

} // namespace Platform
