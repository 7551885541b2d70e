#pragma once

#include <QFont>
#include <QString>

// The designed faces, and the free faces that stand in for them: Liberation Sans for
// Arial and MS Sans Serif (same metrics), Liberation Sans Narrow Bold for the heavy
// condensed Impact, Terminus for the bitmap-like Fixedsys (Liberation Mono on a scaled
// screen, where a bitmap face cannot follow the scale). Sizes are set in pixels
// for 96 dots per inch, like the rest of the layout, so texts fit their boxes on any
// screen.
namespace Fonts {

// Registers the substitutions; call once after the application object exists (its
// screens choose Fixedsys's stand-in).
void installSubstitutes();

// A designed font: family as designed ("Arial", "MS Sans Serif", "Impact",
// "Fixedsys"), size in points at 96 dots per inch.
QFont designed(const QString& family, double points, bool bold, bool italic = false);

} // namespace Fonts
