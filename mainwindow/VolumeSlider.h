#pragma once

#include <QSlider>

// The volume slider. Its tick marks are drawn here as short dark lines: the style's
// own are faint dots on the fork's grey face.
class VolumeSlider : public QSlider {
    Q_OBJECT
public:
    explicit VolumeSlider(QWidget* parent = nullptr);

    // The x of each tick mark, in the slider's coordinates: one per tick interval
    // from the minimum, and one at the maximum unless that would touch the last.
    QList<int> tickPositions() const;

    static constexpr int TickLength = 4;

protected:
    void paintEvent(QPaintEvent* event) override;
};
