#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QtGlobal>

namespace Platform {

void useX11UnlessUserChose()
{
    // In a Wayland session Qt would otherwise pick its Wayland plugin, whose windows no
    // X client can see: the companion could not be closed by its caption.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace Platform
