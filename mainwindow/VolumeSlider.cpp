#include "mainwindow/VolumeSlider.h"

#include "mainwindow/VolumeSliderAccessible.h"
#include "platform/SinkVolume.h"

#include <QAccessible>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>

VolumeSlider::VolumeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    static const bool spoken = (QAccessible::installFactory(&VolumeSliderAccessible::factory), true);
    Q_UNUSED(spoken);
    setRange(0, 65535);
    setSingleStep(1);
    setPageStep(5);
    setTickInterval(5000);
    setTickPosition(QSlider::TicksBelow);
}

void VolumeSlider::follow(Platform::SinkVolume& followed)
{
    volume = &followed;
    setEnabled(false);
    connect(volume, &Platform::SinkVolume::changed, this, &VolumeSlider::onSinkVolumeChanged);
    connect(volume, &Platform::SinkVolume::unavailable, this, [this] {
        sinkVolume.reset();
        setEnabled(false);
    });
    // Only the user's changes are written: showing the device's volume never writes it back.
    connect(this, &QSlider::valueChanged, volume, &Platform::SinkVolume::set);
    // A change made elsewhere while the user held the thumb shows once it is let go.
    connect(this, &QSlider::sliderReleased, this, &VolumeSlider::showSinkVolume);
    volume->start();
}

void VolumeSlider::onSinkVolumeChanged(int value)
{
    sinkVolume = value;
    showSinkVolume();
}

void VolumeSlider::showSinkVolume()
{
    // Not under the user's hand, and not a volume read before the user's own last move
    // reached the server: that one is reported again once it has.
    if (!sinkVolume || isSliderDown() || (volume && volume->isWriting()))
        return;
    const QSignalBlocker quiet(this);
    setValue(*sinkVolume);
    setEnabled(true);
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
    for (qint64 value = minimum(); value <= maximum(); value += tickInterval())
        positions << first + QStyle::sliderPositionFromValue(minimum(), maximum(), static_cast<int>(value), span);
    // The end has its tick too, unless an interval's tick already stands next to it.
    if (first + span - positions.last() >= 3)
        positions << first + span;
    return positions;
}

void VolumeSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    painter.setPen(QPen(Qt::black, 1));
    const int top = qMax(groove.bottom(), handle.bottom()) + 2;
    for (int x : tickPositions())
        painter.drawLine(x, top, x, top + TickLength - 1);
}
