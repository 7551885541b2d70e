#include "mainwindow/MainWindowSettings.h"

#include "tone/NumberText.h"
#include "settings/SettingsKeys.h"

namespace MainWindowSettings {

namespace {

using Band = RestorableWindow::Band;

struct BandName {
    Band band;
    const char* name;
};
constexpr BandName Bands[] = {{Band::X, "X"}, {Band::K, "K"}, {Band::Ka, "Ka"}, {Band::Ku, "Ku"}};

} // namespace

void load(RestorableWindow& window)
{
    // An unrecognised band selects nothing: the window keeps the band it has.
    const QString band = Settings::read(Settings::Band);
    for (const BandName& b : Bands) {
        if (band == QLatin1String(b.name)) {
            window.selectBand(b.band);
            break;
        }
    }
    window.setUnitCaptions(Settings::unitIsMph(Settings::read(Settings::Unit)) ? QStringLiteral("MPH")
                                                                                : QStringLiteral("KPH"));
    window.setMoving(!Settings::modeIsStationary(Settings::read(Settings::Mode)));
    window.setFirstSpeed(Settings::read(Settings::Speed));
    window.setSecondSpeed(Settings::read(Settings::Speed2));
    window.setReadoutsVisible(Settings::showFreqIsOn(Settings::read(Settings::ShowFreq)));
}

std::optional<Platform::SettingsNotSaved> save(const RestorableWindow& window)
{
    for (const BandName& b : Bands) {
        if (window.bandSelected(b.band)) {
            Settings::write(Settings::Band, QLatin1String(b.name));
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
