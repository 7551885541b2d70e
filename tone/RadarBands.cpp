#include "tone/RadarBands.h"

#include "tone/NumberText.h"

namespace Doppler {

namespace {

// In the order of Bands.
const QStringList& names()
{
    static const QStringList stored {QStringLiteral("X"), QStringLiteral("K"), QStringLiteral("Ka"), QStringLiteral("Ku")};
    return stored;
}

} // namespace

QString bandName(Band band)
{
    return names()[static_cast<qsizetype>(band)];
}

std::optional<Band> bandFromName(const QString& name)
{
    const qsizetype at = names().indexOf(name);
    return at < 0 ? std::nullopt : std::optional<Band>(Bands[at]);
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
