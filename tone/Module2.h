#pragma once

#include <QString>

namespace Module2 {

// Asks the top-level window with exactly this caption to close, and returns at once.
// When no window has that caption, nothing is closed.
void CloseByCaption(const QString& caption);

} // namespace Module2
