#include "bench/Table.h"

#include <algorithm>

namespace Bench {

void Table::add(const QString& what, const QString& value, const QString& goal, std::optional<bool> met)
{
    QString verdict;
    if (met)
        verdict = *met ? QStringLiteral("yes") : QStringLiteral("**no**");
    if (met && !*met)
        ++missed;
    rows.push_back({what, value, goal, verdict});
}

void Table::note(const QString& line)
{
    notes << line;
}

int Table::goalsMissed() const
{
    return missed;
}

void Table::print(std::FILE* out) const
{
    const Row header {QStringLiteral("what"), QStringLiteral("measured"), QStringLiteral("goal"), QStringLiteral("met")};
    qsizetype width[4] = {header.what.size(), header.value.size(), header.goal.size(), header.met.size()};
    for (const Row& r : rows) {
        width[0] = std::max(width[0], r.what.size());
        width[1] = std::max(width[1], r.value.size());
        width[2] = std::max(width[2], r.goal.size());
        width[3] = std::max(width[3], r.met.size());
    }
    auto line = [&](const Row& r) {
        std::fprintf(out, "| %s | %s | %s | %s |\n", qPrintable(r.what.leftJustified(width[0])),
                     qPrintable(r.value.leftJustified(width[1])), qPrintable(r.goal.leftJustified(width[2])),
                     qPrintable(r.met.leftJustified(width[3])));
    };
    line(header);
    line({QString(width[0], QLatin1Char('-')), QString(width[1], QLatin1Char('-')), QString(width[2], QLatin1Char('-')),
          QString(width[3], QLatin1Char('-'))});
    for (const Row& r : rows)
        line(r);
    if (!notes.isEmpty())
        std::fprintf(out, "\n");
    for (const QString& n : notes)
        std::fprintf(out, "- %s\n", qPrintable(n));
    std::fflush(out);
}

} // namespace Bench
