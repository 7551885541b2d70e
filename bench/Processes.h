#pragma once

// Other processes as /proc shows them: their CPU time, resident memory, and which of
// them run a given executable. The bench ends only processes it started itself, each
// by its own identifier.

#include <QString>

#include <vector>

namespace Bench {

// User plus system CPU seconds of a whole process, to the nanosecond. Throws Failure
// when the process is gone.
double cpuSecondsOf(qint64 pid);

// VmRSS of a process in KiB. Throws Failure when the process is gone.
long residentKiB(qint64 pid);

// The live processes whose executable is exactly this file.
std::vector<qint64> processesRunning(const QString& executable);

// The single process running this executable, once one runs; 0 when none did within
// timeoutMs. The event loop keeps turning meanwhile.
qint64 waitForProcess(const QString& executable, int timeoutMs);

// SIGTERM, then SIGKILL when it has not gone within a second.
void endProcess(qint64 pid);

} // namespace Bench
