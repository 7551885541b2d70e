#pragma once

#include <QSlider>

#include <optional>

namespace Platform {
class SinkVolume;
}

// The volume slider: one step of it is one step of the device's 16-bit volume, in steps
// of 1 and 5. It follows live the volume of the sink the tone plays on (the default sink
// while none plays), wherever that is changed, sets both channels alike, and is disabled
// while no sound server answers. Its tick marks are drawn here as short dark lines: the
// style's own are faint dots on the fork's grey face.
class VolumeSlider : public QSlider {
    Q_OBJECT
public:
    explicit VolumeSlider(QWidget* parent = nullptr);

    // Shows and sets volume from now on.
    void follow(Platform::SinkVolume& volume);

    // The x of each tick mark, in the slider's coordinates: one per tick interval
    // from the minimum, and one at the maximum unless that would touch the last.
    QList<int> tickPositions() const;

    static constexpr int TickLength = 4;

protected:
    void paintEvent(QPaintEvent* event) override;

private slots:
    void onSinkVolumeChanged(int value);

private:
    void showSinkVolume();

    Platform::SinkVolume* volume = nullptr;
    std::optional<int> sinkVolume; // the sink's last reported volume
};
