#pragma once

#include <QString>

namespace Platform {

// Where both programs keep the tone files while a tone plays.
struct ToneFolder {
    QString path;    // empty when there is no usable folder
    QString problem; // why not, in words, when path is empty
};

// One rule for both programs, so that the companion finds what the main program wrote:
// the application directory when this user may write there (a per-user install, a build
// tree); else this user's own private folder "tinevox" in $XDG_RUNTIME_DIR, or in the
// cache folder ($XDG_CACHE_HOME, default ~/.cache), or else "tinevox-<uid>" in the
// temporary directory. A shared install under /usr thereby works for everyone, and two
// users never share tone files.
ToneFolder toneFolder(const QString& applicationDirectory);

} // namespace Platform
