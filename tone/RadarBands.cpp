#include "tone/RadarBands.h"

#include "tone/NumberText.h"

#include <algorithm>

namespace Doppler {

namespace {

// By value: "9.9" is the lower carrier, though it sorts after "10.525" as text.
double highestOf(const QStringList& carriers)
{
    double highest = 0.0;
    for (const QString& carrier : carriers)
        highest = std::max(highest, NumberText::leadingValue(carrier));
    return highest;
}

} // namespace

QString bandName(Band band)
{
    switch (band) {
    case Band::X: return QStringLiteral("X");
    case Band::K: return QStringLiteral("K");
    case Band::Ka: return QStringLiteral("Ka");
    case Band::Ku: return QStringLiteral("Ku");
    }
    return {};
}

std::optional<Band> bandFromName(const QString& name)
{
    for (Band band : Bands) {
        if (name == bandName(band))
            return band;
    }
    return std::nullopt;
}

double highestOfferedCarrier(Band band)
{
    switch (band) {
    case Band::X: return highestOf(XCarriers);
    case Band::K: return highestOf(KCarriers);
    case Band::Ka: return KaHighestCarrierGHz;
    case Band::Ku: return KuCarrierGHz;
    }
    return 0.0;
}

} // namespace Doppler
