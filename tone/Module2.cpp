#include "tone/Module2.h"

#include "platform/WindowCaption.h"

namespace Module2 {

void CloseByCaption(const QString& caption)
{
    Platform::postCloseByCaption(caption);
}

} // namespace Module2
