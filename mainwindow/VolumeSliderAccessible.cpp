#include "mainwindow/VolumeSliderAccessible.h"

#include "mainwindow/VolumeSlider.h"

#include <cmath>

VolumeSliderAccessible::VolumeSliderAccessible(VolumeSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

void* VolumeSliderAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString VolumeSliderAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return QStringLiteral("%1 %").arg(currentValue().toInt());
    return QAccessibleWidget::text(type);
}

QVariant VolumeSliderAccessible::currentValue() const
{
    const auto* slider = static_cast<VolumeSlider*>(widget());
    return static_cast<int>(std::lround(100.0 * slider->value() / slider->maximum()));
}

void VolumeSliderAccessible::setCurrentValue(const QVariant& value)
{
    auto* slider = static_cast<VolumeSlider*>(widget());
    slider->setValue(static_cast<int>(std::lround(qBound(0.0, value.toDouble(), 100.0) * slider->maximum() / 100.0)));
}

QAccessibleInterface* VolumeSliderAccessible::factory(const QString&, QObject* object)
{
    if (auto* slider = qobject_cast<VolumeSlider*>(object))
        return new VolumeSliderAccessible(slider);
    return nullptr;
}
