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

// The notice as its box shows it: each paragraph on one line, for the box to wrap at
// its own width. The line breaks inside a paragraph, each after the blank it broke at,
// are left out; every other character of text() stays.
QString flowingText();

// Breaks one paragraph into lines as the notice does.
QStringList wrap(const QString& paragraph);

} // namespace AboutNotice
