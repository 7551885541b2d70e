#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// How numbers travel as text in this program: speeds, carriers and bytes per cycle are
// texts whose value is their leading number; computed constants are handed on as text
// with up to 15 significant digits; whole hertz are rounded half to even.
namespace NumberText {

// The value of the number at the start of text, after blanks, with "." as its point;
// 0 when there is none: "12.5 mph" is 12.5, "-3" is -3, "abc" is 0, ".5" is 0.5.
double leadingValue(QStringView text);

// The largest leading value of the texts ("9.9" is below "10.525"); 0 for none.
double largestLeadingValue(const QStringList& texts);

// To the nearest whole number, a half to the even one: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double roundHalfEven(double value);

// A double as text with up to 15 significant digits ("31.3890218012089").
QString fromDouble(double value);

// Plain decimal digits, up to 15 significant and never an exponent, as a speed is
// stored and stepped: 13 -> "13", 12.5 -> "12.5", 8.5e-14 -> "0.000000000000085".
QString plainDecimal(double value);

// The value of a text made by fromDouble; 0 when it is not a number.
double toDouble(const QString& text);

// A whole number without grouping: 3139 -> "3139", -1 -> "-1".
QString wholeNumber(double wholeValue);

} // namespace NumberText
