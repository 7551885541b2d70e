#pragma once

// The controls of the program's windows, found by their designed object names, as
// style sheets and automation find them: a test that reaches a control this way also
// checks that the control carries its designed name.

#include <QObject>
#include <QtGlobal>

#include <memory>

namespace DesignedControls {

template <typename T>
T* find(const QObject* window, const char* name)
{
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    if (!control)
        qFatal("%s has no control named %s", qPrintable(window->objectName()), name);
    return control;
}

inline const QObject* object(const QObject& window) { return &window; }
inline const QObject* object(const QObject* window) { return window; }
template <typename W>
const QObject* object(const std::unique_ptr<W>& window) { return window.get(); }

} // namespace DesignedControls
