// The volume slider: one step of the slider is one step of the device's 16-bit volume.

#include "mainwindow/frmForksB.h"

#include <QSignalBlocker>
#include <QSlider>

void frmForksB::InitVolume()
{
    const std::uint32_t word = volume.get();
    const QSignalBlocker quiet(Slider1);
    Slider1->setValue(static_cast<int>(word & 0xFFFF)); // the left channel
}

void frmForksB::SetVolume()
{
    const auto v = static_cast<std::uint32_t>(Slider1->value()) & 0xFFFF;
    volume.set(v | v << 16); // both channels
}

void frmForksB::Slider1_Change()
{
    SetVolume();
}
