#pragma once

#include <QString>

namespace Platform::CompanionNames {

// What Tinevox and its companion echolet know of each other: the companion's file beside
// Tinevox, its window's caption, by which Tinevox closes it, and the tone files in the
// tone folder. echolet plays the second and deletes it when it closes; it deletes the
// first as well when Tinevox died without its own shut-down.
inline const QString ProgramFile = QStringLiteral("echolet.dll");
inline const QString Caption = QStringLiteral("RodIdedivOzaruDodeZovo");
inline const QString FirstToneFile = QStringLiteral("temp.wav");
inline const QString SecondToneFile = QStringLiteral("temp2.wav");

} // namespace Platform::CompanionNames
