// The volume slider: one step of the slider is one step of the device's 16-bit volume.
// It follows live the volume of the sink the tone plays on (the default sink while none
// plays), wherever it is changed, and is disabled while no sound server answers.

#include "mainwindow/ForkWindow.h"

#include <QSignalBlocker>
#include <QSlider>

void ForkWindow::followSinkVolume()
{
    volumeSlider->setEnabled(false);
    connect(&volume, &Platform::SinkVolume::changed, this, &ForkWindow::onSinkVolumeChanged);
    connect(&volume, &Platform::SinkVolume::unavailable, this, &ForkWindow::onSinkVolumeUnavailable);
    // The slider reports only the user's changes: showing the device's volume never
    // writes it back.
    connect(volumeSlider, &QSlider::valueChanged, this, &ForkWindow::onVolumeSliderChanged);
    // A change made elsewhere while the user held the thumb shows once it is let go.
    connect(volumeSlider, &QSlider::sliderReleased, this, &ForkWindow::showSinkVolume);
    volume.start();
}

void ForkWindow::onSinkVolumeChanged(quint32 word)
{
    sinkVolume = word;
    showSinkVolume();
}

void ForkWindow::onSinkVolumeUnavailable()
{
    sinkVolume.reset();
    volumeSlider->setEnabled(false);
}

void ForkWindow::showSinkVolume()
{
    // Not under the user's hand, and not a volume read before the user's own last move
    // reached the server: that one is reported again once it has.
    if (!sinkVolume || volumeSlider->isSliderDown() || volume.isWriting())
        return;
    const QSignalBlocker quiet(volumeSlider);
    volumeSlider->setValue(static_cast<int>(*sinkVolume & 0xFFFF)); // the left channel
    volumeSlider->setEnabled(true);
}

void ForkWindow::onVolumeSliderChanged()
{
    const auto v = static_cast<std::uint32_t>(volumeSlider->value()) & 0xFFFF;
    volume.set(v | v << 16); // both channels
}
