#pragma once

// The one table the bench prints: what was measured, the figure, and the goal it is
// held against.

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <vector>

namespace Bench {

class Table {
public:
    // A figure; met is empty where there is no goal.
    void add(const QString& what, const QString& value, const QString& goal = {}, std::optional<bool> met = {});
    // A line printed under the table: how a figure was taken, what it leaves out.
    void note(const QString& line);

    // A Markdown table, so that it reads in a terminal and pastes into the docs as is.
    void print(std::FILE* out) const;
    int goalsMissed() const;

private:
    struct Row {
        QString what, value, goal, met;
    };
    std::vector<Row> rows;
    QStringList notes;
    int missed = 0;
};

} // namespace Bench
