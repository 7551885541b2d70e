#include "mainwindow/HeightClippedControls.h"

#include <QEvent>
#include <QWidget>

HeightClippedControls::HeightClippedControls(QWidget* watchedWindow, const QList<QWidget*>& clippable,
                                             std::function<int()> heightChosen)
    : QObject(watchedWindow), window(watchedWindow), controls(clippable), chosenHeight(std::move(heightChosen))
{
    // A hidden window learns its new height when it is shown, before anyone can type.
    window->installEventFilter(this);
}

void HeightClippedControls::apply()
{
    for (QWidget* control : controls) {
        const int bottom = control->mapTo(window, QPoint(0, control->height() - 1)).y();
        control->setVisible(bottom < qMin(window->height(), chosenHeight()));
    }
}

bool HeightClippedControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}
