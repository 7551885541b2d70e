#pragma once

#include "platform/ProgramLauncher.h"

#include <QString>

#include <csignal>

namespace Platform {

// The signal a tied child receives when its parent has ended, however it ended. Its
// default action ends the child, as SIGTERM would.
inline constexpr int ParentEndedSignal = SIGUSR2;

// Starts the program at path as a child of this process that is tied to it: when this
// process ends, however it ends (SIGKILL too), the child is sent ParentEndedSignal. The show state
// reaches it as with startProgram. Returns false when it could not be started; otherwise
// its process identifier is stored in pid. Call reapChild once it has ended.
bool startTiedProgram(const QString& path, ShowState state, qint64* pid);

// Collects the exit status of a child started by startTiedProgram once it has ended, so
// that it leaves no entry behind in the process table. Returns false while it runs; true
// once collected, and for a process that is no child of this one (any more).
bool reapChild(qint64 pid);

} // namespace Platform
