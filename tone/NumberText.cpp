#include "tone/NumberText.h"

#include <algorithm>
#include <cmath>

namespace NumberText {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

double leadingValue(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    bool ok = false;
    const double value = text.mid(start, i - start).toString().toDouble(&ok);
    // Hundreds of digits overflow to infinity; such a text is no usable number.
    return ok && std::isfinite(value) ? value : 0.0;
}

double largestLeadingValue(const QStringList& texts)
{
    double largest = 0.0;
    for (const QString& text : texts)
        largest = std::max(largest, leadingValue(text));
    return largest;
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

QString fromDouble(double value)
{
    return QString::number(value, 'g', 15);
}

QString plainDecimal(double value)
{
    value += 0.0; // no "-0"
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0");
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    QString text = QString::number(value, 'f', std::max(0, 14 - exponent));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

double toDouble(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 0.0;
}

QString wholeNumber(double wholeValue)
{
    // Adding 0 turns a negative zero into 0, so no "-0" is ever shown.
    return QString::number(wholeValue + 0.0, 'f', 0);
}

} // namespace NumberText
