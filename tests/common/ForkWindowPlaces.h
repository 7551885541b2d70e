#pragma once

// Where the tests find each control of the main window: the end-to-end tests click a
// control at its centre, where the window's own table of places puts it.

#include "mainwindow/ForkWindowPlaces.h"

#include <QPointF>
#include <QRect>
#include <QRectF>

namespace ForkWindowPlaces {

// The control's rectangle in pixels of the window, as Qt places a child on its parent.
inline QRect rect(const Place& p)
{
    return p.parent ? p.pixels().translated(rect(*p.parent).topLeft()) : p.pixels();
}

inline QPointF centre(const Place& p)
{
    return QRectF(rect(p)).center();
}

} // namespace ForkWindowPlaces
