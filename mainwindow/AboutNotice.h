#pragma once

#include <QString>
#include <QStringList>

// The About dialog's notice: seven paragraphs, separated by an empty line, each broken
// at a blank into lines of at most 76 characters that keep that blank at their end;
// lines end in a carriage return and line feed, the last one too.
namespace AboutNotice {

inline constexpr int MaxLine = 76;

QStringList paragraphs();
QString text();

// Breaks one paragraph into lines as the notice does.
QStringList wrap(const QString& paragraph);

} // namespace AboutNotice
