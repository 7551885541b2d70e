#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// How numbers travel as text in this program: speeds, carriers and bytes per cycle are
// texts whose value is their leading number; computed constants are handed on as text
// with up to 15 significant digits; whole hertz are rounded half to even.
namespace NumberText {

// The value of the number at the start of text: optional blanks, an optional sign,
// digits and an optional decimal part with "." as the decimal point. Text that does
// not begin with a number, and empty text, have the value 0. "12.5 mph" is 12.5,
// "-3" is -3, "abc" is 0, ".5" is 0.5.
double leadingValue(QStringView text);

// The largest leading value of the texts, compared by value: "9.9" is below "10.525",
// though it sorts after it as text. 0 for an empty list.
double largestLeadingValue(const QStringList& texts);

// Rounds to the nearest whole number, an exact half going to the even neighbour:
// 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double roundHalfEven(double value);

// A double as text with up to 15 significant digits ("31.3890218012089").
QString fromDouble(double value);

// A number as plain decimal digits with up to 15 significant digits and never an
// exponent, as a speed is stored and stepped: 13 -> "13", 12.5 -> "12.5",
// 8.5e-14 -> "0.000000000000085".
QString plainDecimal(double value);

// The value of a text made by fromDouble (or any plain decimal text); 0 when it is not
// a number.
double toDouble(const QString& text);

// Plain decimal digits without grouping or decimals, for a whole number of hertz or a
// speed: 3139 -> "3139", -1 -> "-1".
QString wholeNumber(double wholeValue);

} // namespace NumberText
