#pragma once

#include <QString>

namespace Platform {

// The directory that holds the executables, without a trailing separator. The tone
// files, the companion player and the read-me file live there.
QString applicationDirectory();

// dir, the platform's separator, then name.
QString pathInDirectory(const QString& dir, const QString& name);

} // namespace Platform
