#include "mainwindow/MainWindowSettings.h"

#include "tone/NumberText.h"
#include "settings/SettingsKeys.h"

namespace MainWindowSettings {

void load(RestorableWindow& window)
{
    // An unrecognised band selects nothing: the window keeps the band it has.
    if (const auto band = Doppler::bandFromName(Settings::read(Settings::Band)))
        window.selectBand(*band);
    window.setUnitCaptions(Settings::unitCaption(Settings::read(Settings::Unit)));
    window.setMoving(!Settings::modeIsStationary(Settings::read(Settings::Mode)));
    window.setFirstSpeed(Settings::read(Settings::Speed));
    window.setSecondSpeed(Settings::read(Settings::Speed2));
    window.setReadoutsVisible(Settings::showFreqIsOn(Settings::read(Settings::ShowFreq)));
}

std::optional<Platform::SettingsNotSaved> save(const RestorableWindow& window)
{
    for (Doppler::Band band : Doppler::Bands) {
        if (window.bandSelected(band)) {
            Settings::write(Settings::Band, Doppler::bandName(band));
            break;
        }
    }
    Settings::write(Settings::Speed, storedSpeed(window.firstSpeed()));
    // The last write carries whatever the store refused before.
    return Settings::write(Settings::Speed2, storedSpeed(window.secondSpeed()));
}

void saveMode(bool moving)
{
    Settings::write(Settings::Mode, moving ? QStringLiteral("Moving") : QStringLiteral("Stationary"));
}

QString storedSpeed(const QString& text)
{
    // Never with an exponent, which no speed box would read back as the same number.
    return NumberText::plainDecimal(NumberText::leadingValue(text));
}

} // namespace MainWindowSettings
