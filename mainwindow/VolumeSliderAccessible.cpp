#include "mainwindow/VolumeSliderAccessible.h"

#include "mainwindow/VolumeSlider.h"

#include <cmath>

VolumeSliderAccessible::VolumeSliderAccessible(VolumeSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

VolumeSlider* VolumeSliderAccessible::slider() const
{
    return static_cast<VolumeSlider*>(widget());
}

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

int VolumeSliderAccessible::percent(int value, int maximum)
{
    return maximum > 0 ? static_cast<int>(std::lround(100.0 * value / maximum)) : 0;
}

int VolumeSliderAccessible::valueOf(double percent, int maximum)
{
    return static_cast<int>(std::lround(qBound(0.0, percent, 100.0) * maximum / 100.0));
}

QVariant VolumeSliderAccessible::currentValue() const
{
    return percent(slider()->value(), slider()->maximum());
}

void VolumeSliderAccessible::setCurrentValue(const QVariant& value)
{
    slider()->setValue(valueOf(value.toDouble(), slider()->maximum()));
}

QAccessibleInterface* VolumeSliderAccessible::factory(const QString&, QObject* object)
{
    if (auto* slider = qobject_cast<VolumeSlider*>(object))
        return new VolumeSliderAccessible(slider);
    return nullptr;
}
