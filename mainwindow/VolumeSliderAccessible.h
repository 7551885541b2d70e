#pragma once

#include <QAccessibleWidget>

class VolumeSlider;

// How a screen reader sees the volume slider: its value in percent of full volume
// (the slider itself counts the designed 0 to 65535). Qt 6.4 passes a screen reader no
// text for a value, so the number it hears is the percentage.
class VolumeSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit VolumeSliderAccessible(VolumeSlider* slider);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

    static QAccessibleInterface* factory(const QString& className, QObject* object);
};
