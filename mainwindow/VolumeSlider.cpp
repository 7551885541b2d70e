#include "mainwindow/VolumeSlider.h"

#include "mainwindow/VolumeSliderAccessible.h"

#include <QAccessible>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

VolumeSlider::VolumeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    static const bool spoken = (QAccessible::installFactory(&VolumeSliderAccessible::factory), true);
    Q_UNUSED(spoken);
}

QList<int> VolumeSlider::tickPositions() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // The handle's centre travels over the groove less the handle's width.
    const int span = groove.width() - handle.width();
    const int first = groove.left() + handle.width() / 2;
    QList<int> positions;
    const int interval = tickInterval() > 0 ? tickInterval() : qMax(1, pageStep());
    for (qint64 value = minimum(); value <= maximum(); value += interval)
        positions << first + QStyle::sliderPositionFromValue(minimum(), maximum(), static_cast<int>(value), span);
    // The end has its tick too, unless an interval's tick already stands next to it.
    const int last = first + span;
    if (positions.isEmpty() || last - positions.last() >= 3)
        positions << last;
    return positions;
}

void VolumeSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
    if (tickPosition() == NoTicks)
        return;

    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    painter.setPen(QPen(Qt::black, 1));
    const int top = qMax(groove.bottom(), handle.bottom()) + 2;
    for (int x : tickPositions()) {
        if (tickPosition() & TicksBelow)
            painter.drawLine(x, top, x, top + TickLength - 1);
        if (tickPosition() & TicksAbove) {
            const int bottom = qMin(groove.top(), handle.top()) - 2;
            painter.drawLine(x, bottom - TickLength + 1, x, bottom);
        }
    }
}
