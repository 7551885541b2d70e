#pragma once

#include <QString>

#include <vector>

namespace Platform {

// Sends SIGTERM to this user's processes of the program at path that were started hidden
// (left by an earlier run that could not close them), and returns their identifiers at
// once, without waiting for them to go.
std::vector<qint64> terminateHiddenStartsOf(const QString& path);

// Whether pid is still such a process: it runs, and its identifier has not gone to
// another program since.
bool isHiddenStartOf(qint64 pid, const QString& path);

} // namespace Platform
