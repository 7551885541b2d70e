#pragma once

#include "platform/SettingsStore.h"
#include "tone/RadarBands.h"

#include <QString>

#include <optional>

// What the main window keeps between runs, and the order in which it is brought back
// and kept. The window shows itself through this interface, so the rules live here
// and the window only carries them out.
class RestorableWindow {
public:
    virtual ~RestorableWindow() = default;
    // Selecting a band or setting a speed runs the window's ordinary handling, which
    // refreshes its frequency readout.
    virtual void selectBand(Doppler::Band band) = 0;
    virtual void setUnitCaptions(const QString& caption) = 0;
    virtual void setMoving(bool moving) = 0;
    virtual void setFirstSpeed(const QString& text) = 0;
    virtual void setSecondSpeed(const QString& text) = 0;
    virtual void setReadoutsVisible(bool visible) = 0;

    virtual bool bandSelected(Doppler::Band band) const = 0;
    virtual QString firstSpeed() const = 0;
    virtual QString secondSpeed() const = 0;
};

namespace MainWindowSettings {

// Band, unit captions, mode, both speeds exactly as stored, readout visibility.
void load(RestorableWindow& window);

// Band (when one is selected), then both speeds as the number their box holds. Says
// where and why when they, or a mode the store refused earlier, did not reach the disk.
std::optional<Platform::SettingsNotSaved> save(const RestorableWindow& window);

// The mode chosen from the Mode menu, kept at once.
void saveMode(bool moving);

// A speed box's text as it is stored: its leading number in plain decimal digits,
// "007" as "7", an empty box as "0".
QString storedSpeed(const QString& text);

} // namespace MainWindowSettings
