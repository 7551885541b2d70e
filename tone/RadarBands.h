#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The radar bands, the names by which they are stored, and the carriers in GHz each
// can have: chosen from a list for X and K, typed within a range for Ka, fixed for Ku.
// The settings dialog offers exactly these, and the tone plan judges a stored carrier
// by them.
namespace Doppler {

enum class Band { X, K, Ka, Ku };
inline constexpr Band Bands[] = {Band::X, Band::K, Band::Ka, Band::Ku};

// The band's stored names ("X", "K", "Ka", "Ku") and back; any other text is no band.
QString bandName(Band band);
std::optional<Band> bandFromName(const QString& name);

// The X and K carriers offered, as listed and stored ("24.150" keeps its zero).
inline const QStringList XCarriers {QStringLiteral("10.525"), QStringLiteral("9.41"), QStringLiteral("9.9")};
inline const QStringList KCarriers {QStringLiteral("24.150"), QStringLiteral("24.125")};
// A typed Ka carrier is held within these when its box is left.
inline constexpr double KaLowestCarrierGHz = 33;
inline constexpr double KaHighestCarrierGHz = 36;
inline constexpr double KuCarrierGHz = 13.45; // fixed; the user cannot change it

// The highest carrier offered for a band: a stored carrier above it is out of the band.
double highestOfferedCarrier(Band band);

} // namespace Doppler
