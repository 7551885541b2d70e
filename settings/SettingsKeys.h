#pragma once

#include "platform/SettingsStore.h"
#include "tone/RadarBands.h"

#include <QString>
#include <QStringList>

#include <optional>

// The keys of the settings store with the defaults every reader uses, and the rules by
// which stored texts are understood. All keys live under application "Tinecheck",
// section "Settings". Nothing is cached: each read goes to the store.
namespace Settings {

inline const QString Application = QStringLiteral("Tinecheck");
inline const QString Section = QStringLiteral("Settings");

// The unit captions, which are also the texts stored for the units.
inline const QString MphCaption = QStringLiteral("MPH");
inline const QString KphCaption = QStringLiteral("KPH");

struct Key {
    QString name;
    QString defaultValue;
};

inline const Key Band {QStringLiteral("Band"), Doppler::bandName(Doppler::Band::X)};
inline const Key Speed {QStringLiteral("Speed"), QStringLiteral("10")};
inline const Key Speed2 {QStringLiteral("Speed2"), QStringLiteral("10")};
inline const Key Mode {QStringLiteral("Mode"), QStringLiteral("Stationary")};
inline const Key Unit {QStringLiteral("MPH/KPH"), MphCaption};
inline const Key XFreq {QStringLiteral("XFreq"), QStringLiteral("10.525")};
inline const Key KFreq {QStringLiteral("KFreq"), QStringLiteral("24.150")};
inline const Key KaFreq {QStringLiteral("KaFreq"), QStringLiteral("33.8")};
inline const Key Accuracy {QStringLiteral("Accuracy"), QStringLiteral("10")};
inline const Key ShowFreq {QStringLiteral("ShowFreq"), QStringLiteral("0")};

// The stored text of key, or its default when nothing is stored.
QString read(const Key& key);
// The entry of a list that the stored text of key names, exactly; a text that is no
// entry (a hand-edited file) gives the key's default. The dialog shows this entry
// and the tone is made from it, so the two never differ.
QString readEntry(const Key& key, const QStringList& entries);
// Writes value under key. Each write also writes again whatever the store refused
// before, so the last of several writes tells whether all of them reached the disk.
std::optional<Platform::SettingsNotSaved> write(const Key& key, const QString& value);

// Comparison rules: exact and case-sensitive.
// Only exactly "MPH" means miles per hour; every other text, "mph" and "" included,
// means kilometres per hour.
bool unitIsMph(const QString& stored);
// The caption shown for a stored unit: "MPH" for exactly "MPH", "KPH" for any other text.
QString unitCaption(const QString& stored);
// Only exactly "Stationary" means stationary; every other text means moving.
bool modeIsStationary(const QString& stored);
// "ShowFreq" read as a number: shown when it is a number other than 0. A text that is
// not a number is treated as its default, 0.
bool showFreqIsOn(const QString& stored);

} // namespace Settings
