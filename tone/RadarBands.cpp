#include "tone/RadarBands.h"

#include "tone/NumberText.h"

namespace Doppler {

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
    case Band::X: return NumberText::largestLeadingValue(XCarriers);
    case Band::K: return NumberText::largestLeadingValue(KCarriers);
    case Band::Ka: return KaHighestCarrierGHz;
    case Band::Ku: return KuCarrierGHz;
    }
    return 0.0;
}

} // namespace Doppler
