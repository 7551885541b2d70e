#pragma once

// Where each control of the main window lies, as designed in twips: the end-to-end tests
// click a control at its centre by its designed name, and the unit tests hold this table
// to the real window's geometry, so that a moved control moves the clicks with it.

#include "widgets/Twips.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QtGlobal>

#include <cstring>

namespace ForkWindowPlaces {

struct Place {
    const char* name;   // the designed object name
    const char* parent; // the control it lies on; nullptr for the window itself
    int left, top, width, height; // twips, on the parent
};

// The window's width in pixels at a scale of 1: a window drawn wider is scaled.
inline constexpr int WindowWidth = 792;

// The designed names the end-to-end tests click by.
inline constexpr char BandX[] = "Option1";
inline constexpr char BandK[] = "Option2";
inline constexpr char BandKa[] = "Option3";
inline constexpr char BandKu[] = "Option4";
inline constexpr char MinimiseButton[] = "Command9";
inline constexpr char SecondSpeedDownButton[] = "Command7";
inline constexpr char SecondSpeedUpButton[] = "Command8";
inline constexpr char SecondSpeedBox[] = "Text2";
inline constexpr char CloseButton[] = "Command5";
inline constexpr char GoButton[] = "Command1";
inline constexpr char StopButton[] = "Command2";
inline constexpr char FirstSpeedBox[] = "Text1";
inline constexpr char FirstSpeedUpButton[] = "Command3";
inline constexpr char FirstSpeedDownButton[] = "Command4";
inline constexpr char VolumeSlider[] = "Slider1";
inline constexpr char HelpLabel[] = "Label9";
inline constexpr char ModeLabel[] = "Label4";
inline constexpr char SettingsLabel[] = "Label3";

inline constexpr Place Table[] = {
    {"Frame1", nullptr, 2970, 1575, 870, 1365},
    {BandX, "Frame1", 90, 45, 420, 285},
    {BandK, "Frame1", 90, 360, 420, 285},
    {BandKa, "Frame1", 90, 675, 555, 285},
    {BandKu, "Frame1", 90, 990, 555, 285},
    {MinimiseButton, nullptr, 11025, 315, 285, 285},
    {SecondSpeedDownButton, nullptr, 4050, 5850, 780, 270},
    {SecondSpeedUpButton, nullptr, 4845, 5850, 780, 270},
    {SecondSpeedBox, nullptr, 4050, 4860, 1545, 975},
    {CloseButton, nullptr, 11340, 315, 285, 285},
    {GoButton, nullptr, 4995, 3285, 1410, 825},
    {StopButton, nullptr, 3465, 3285, 1410, 825},
    {FirstSpeedBox, nullptr, 4005, 1575, 1545, 975},
    {FirstSpeedUpButton, nullptr, 4800, 2565, 780, 270},
    {FirstSpeedDownButton, nullptr, 4005, 2565, 780, 270},
    {VolumeSlider, nullptr, 7515, 3240, 3570, 630},
    {HelpLabel, nullptr, 4230, 300, 555, 225},
    {"Label11", nullptr, 4005, 6165, 1680, 240},
    {"Label6", nullptr, 3960, 2880, 1680, 240},
    {ModeLabel, nullptr, 2745, 300, 645, 225},
    {"Label2", nullptr, 9315, 1215, 1140, 240},
    {"Image2", nullptr, 4230, 540, 1545, 780},
    {"Label8", nullptr, 5670, 5040, 1050, 510},
    {"Label7", nullptr, 8685, 3015, 1140, 195},
    {SettingsLabel, nullptr, 3420, 300, 780, 225},
    {"Label5", nullptr, 5625, 1800, 1050, 510},
    {"Label1", nullptr, 5760, 540, 3615, 735},
};

inline const Place& place(const char* name)
{
    for (const Place& p : Table)
        if (std::strcmp(p.name, name) == 0)
            return p;
    qFatal("the main window has no control named %s", name);
}

// The control's rectangle in pixels of the window, as Qt places a child on its parent.
inline QRect rect(const char* name)
{
    const Place& p = place(name);
    const QRect own = Twips::rect(p.left, p.top, p.width, p.height);
    return p.parent ? own.translated(rect(p.parent).topLeft()) : own;
}

inline QPointF centre(const char* name)
{
    return QRectF(rect(name)).center();
}

} // namespace ForkWindowPlaces
