#pragma once

// Where each control of the main window lies, as designed in twips on the tuning-fork
// skin, under its designed object name. The window is built from this table, and the
// tests click each control where it says.

#include "widgets/Twips.h"

#include <QRect>

namespace ForkWindowPlaces {

struct Place {
    const char* name;    // the designed object name
    const Place* parent; // the control it lies on; nullptr for the window itself
    int left, top, width, height; // twips, on the parent

    QRect pixels() const { return Twips::rect(left, top, width, height); }
};

// The window's width in pixels at a scale of 1: a window drawn wider is scaled.
inline constexpr int WindowWidth = 792;

inline constexpr Place BandFrame {"Frame1", nullptr, 2970, 1575, 870, 1365};
inline constexpr Place BandX {"Option1", &BandFrame, 90, 45, 420, 285};
inline constexpr Place BandK {"Option2", &BandFrame, 90, 360, 420, 285};
inline constexpr Place BandKa {"Option3", &BandFrame, 90, 675, 555, 285};
inline constexpr Place BandKu {"Option4", &BandFrame, 90, 990, 555, 285};
inline constexpr Place MinimiseButton {"Command9", nullptr, 11025, 315, 285, 285};
inline constexpr Place SecondSpeedDownButton {"Command7", nullptr, 4050, 5850, 780, 270};
inline constexpr Place SecondSpeedUpButton {"Command8", nullptr, 4845, 5850, 780, 270};
inline constexpr Place SecondSpeedBox {"Text2", nullptr, 4050, 4860, 1545, 975};
inline constexpr Place CloseButton {"Command5", nullptr, 11340, 315, 285, 285};
inline constexpr Place GoButton {"Command1", nullptr, 4995, 3285, 1410, 825};
inline constexpr Place StopButton {"Command2", nullptr, 3465, 3285, 1410, 825};
inline constexpr Place FirstSpeedBox {"Text1", nullptr, 4005, 1575, 1545, 975};
inline constexpr Place FirstSpeedUpButton {"Command3", nullptr, 4800, 2565, 780, 270};
inline constexpr Place FirstSpeedDownButton {"Command4", nullptr, 4005, 2565, 780, 270};
inline constexpr Place VolumeSlider {"Slider1", nullptr, 7515, 3240, 3570, 630};
inline constexpr Place HelpLabel {"Label9", nullptr, 4230, 300, 555, 225};
inline constexpr Place SecondFrequencyLabel {"Label11", nullptr, 4005, 6165, 1680, 240};
inline constexpr Place FirstFrequencyLabel {"Label6", nullptr, 3960, 2880, 1680, 240};
inline constexpr Place ModeLabel {"Label4", nullptr, 2745, 300, 645, 225};
inline constexpr Place CreditLabel {"Label2", nullptr, 9315, 1215, 1140, 240};
inline constexpr Place RadarGunPicture {"Image2", nullptr, 4230, 540, 1545, 780};
inline constexpr Place SecondUnitLabel {"Label8", nullptr, 5670, 5040, 1050, 510};
inline constexpr Place VolumeLabel {"Label7", nullptr, 8685, 3015, 1140, 195};
inline constexpr Place SettingsLabel {"Label3", nullptr, 3420, 300, 780, 225};
inline constexpr Place FirstUnitLabel {"Label5", nullptr, 5625, 1800, 1050, 510};
inline constexpr Place TitleLabel {"Label1", nullptr, 5760, 540, 3615, 735};

// Every control, in the designed order of creation: later controls lie above earlier ones.
inline constexpr const Place* Table[] = {
    &BandFrame, &BandX, &BandK, &BandKa, &BandKu, &MinimiseButton, &SecondSpeedDownButton, &SecondSpeedUpButton,
    &SecondSpeedBox, &CloseButton, &GoButton, &StopButton, &FirstSpeedBox, &FirstSpeedUpButton, &FirstSpeedDownButton,
    &VolumeSlider, &HelpLabel, &SecondFrequencyLabel, &FirstFrequencyLabel, &ModeLabel, &CreditLabel, &RadarGunPicture,
    &SecondUnitLabel, &VolumeLabel, &SettingsLabel, &FirstUnitLabel, &TitleLabel,
};

} // namespace ForkWindowPlaces
