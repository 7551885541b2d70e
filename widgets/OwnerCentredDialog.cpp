#include "widgets/OwnerCentredDialog.h"

#include "platform/NativeWindow.h"

#include <QShowEvent>
#include <QWindow>

namespace {

// The window manager's frame of the last dialog it framed: the next dialog is placed
// with it before it is shown, so that it need not move once framed.
QMargins lastFrame;

} // namespace

OwnerCentredDialog::OwnerCentredDialog(QWidget* owner, Qt::WindowFlags flags) : QDialog(owner, flags)
{
    frameWatch.setInterval(FrameCheckMs);
    connect(&frameWatch, &QTimer::timeout, this, &OwnerCentredDialog::placeOnceFramed);
}

QPoint OwnerCentredDialog::centredPosition(const QRect& ownerFrame, const QSize& outerSize)
{
    return ownerFrame.topLeft() + QPoint((ownerFrame.width() - outerSize.width()) / 2,
                                         (ownerFrame.height() - outerSize.height()) / 2);
}

// The client area is placed, not the frame: Qt's idea of the frame may lag behind.
void OwnerCentredDialog::centreOnOwner(const QMargins& frame)
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible() || !windowHandle())
        return;
    const QPoint outer = centredPosition(owner->frameGeometry(), size().grownBy(frame));
    windowHandle()->setPosition(outer + QPoint(frame.left(), frame.top()));
}

void OwnerCentredDialog::showEvent(QShowEvent* event)
{
    if (event->spontaneous() || !parentWidget())
        return QDialog::showEvent(event);
    centreOnOwner(lastFrame);
    // The window manager frames the dialog a moment after it is mapped: look until it
    // has, then place the dialog again if its frame is not the one assumed.
    frameChecks = 0;
    frameWatch.start();
}

bool OwnerCentredDialog::event(QEvent* event)
{
    if (event->type() == QEvent::Hide)
        frameWatch.stop();
    return QDialog::event(event);
}

void OwnerCentredDialog::placeOnceFramed()
{
    const std::optional<QMargins> frame = Platform::windowManagerFrame(windowHandle());
    if (!frame) {
        // No window manager frames it: the first placement stands.
        if (++frameChecks >= MaxFrameChecks)
            frameWatch.stop();
        return;
    }
    frameWatch.stop();
    if (*frame != lastFrame) {
        lastFrame = *frame;
        centreOnOwner(*frame);
    }
}
