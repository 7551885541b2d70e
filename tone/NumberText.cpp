#include "tone/NumberText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace NumberText {

double leadingValue(QStringView text)
{
    static const QRegularExpression number(QStringLiteral("^[ \t]*([-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+))"));
    const QRegularExpressionMatch match = number.match(text);
    bool ok = false;
    const double value = match.hasMatch() ? match.captured(1).toDouble(&ok) : 0.0;
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
    return std::nearbyint(value); // in the default rounding mode, half to even
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
    static const QRegularExpression trailingZeros(QStringLiteral("\\.?0+$"));
    return text.contains(QLatin1Char('.')) ? text.remove(trailingZeros) : text;
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
