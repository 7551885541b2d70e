#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

// Windows and dialogs are built from fixed layouts: each control is created with its
// designed name and place.
namespace Controls {

template <typename T>
T* make(QWidget* parent, const char* name, QRect place)
{
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(place);
    return control;
}

} // namespace Controls
