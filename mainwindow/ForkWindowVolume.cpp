// The volume slider: one step of the slider is one step of the device's 16-bit volume.

#include "mainwindow/ForkWindow.h"

#include <QSignalBlocker>
#include <QSlider>

void ForkWindow::showSinkVolume()
{
    const std::uint32_t word = volume.get();
    const QSignalBlocker quiet(volumeSlider);
    volumeSlider->setValue(static_cast<int>(word & 0xFFFF)); // the left channel
}

void ForkWindow::writeSinkVolume()
{
    const auto v = static_cast<std::uint32_t>(volumeSlider->value()) & 0xFFFF;
    volume.set(v | v << 16); // both channels
}

void ForkWindow::onVolumeSliderChanged()
{
    writeSinkVolume();
}
