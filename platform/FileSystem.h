#pragma once

#include <QString>

namespace Platform {

// True when path names an existing file or directory; false on any failure (no such
// entry, bad or empty path). Never throws.
bool pathExists(const QString& path);

// Deletes the file at path. Every failure (absent, in use, no permission) is ignored.
void deleteFileIgnoringErrors(const QString& path);

} // namespace Platform
