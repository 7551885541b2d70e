#include "tone/FrequencyReadout.h"

#include "tone/NumberText.h"

#include <QCoreApplication>

#include <cmath>

namespace FrequencyReadout {

QString caption(double frequency, const std::function<bool(const QString&)>& fits)
{
    const double hz = NumberText::roundHalfEven(frequency);
    if (std::isfinite(hz)) {
        const QString text = NumberText::wholeNumber(hz) + QStringLiteral(" Hz");
        if (fits(text))
            return text;
    }
    // A not-a-number frequency has no sign worth showing: it can only come from an
    // infinite carrier or speed, which is too high.
    return std::signbit(hz) && !std::isnan(hz) ? QCoreApplication::translate("FrequencyReadout", "too low")
                                               : QCoreApplication::translate("FrequencyReadout", "too high");
}

} // namespace FrequencyReadout
