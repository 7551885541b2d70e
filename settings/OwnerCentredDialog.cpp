#include "settings/OwnerCentredDialog.h"

#include <QShowEvent>

namespace {

// The window manager's frame of the last dialog it framed: the next dialog is placed
// with it before it is shown, so that it need not move once framed.
QMargins lastFrame;

QMargins frameOf(const QWidget* w)
{
    const QRect outer = w->frameGeometry();
    const QRect inner = w->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

OwnerCentredDialog::OwnerCentredDialog(QWidget* owner, Qt::WindowFlags flags) : QDialog(owner, flags) {}

QPoint OwnerCentredDialog::centredPosition(const QRect& ownerFrame, const QSize& outerSize)
{
    return ownerFrame.topLeft() + QPoint((ownerFrame.width() - outerSize.width()) / 2,
                                         (ownerFrame.height() - outerSize.height()) / 2);
}

void OwnerCentredDialog::centreOnOwner()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible())
        return;
    const QMargins current = frameOf(this);
    const bool framed = !current.isNull();
    const QMargins frame = framed ? current : lastFrame;
    const QPoint outer = centredPosition(owner->frameGeometry(), size().grownBy(frame));
    // Until the window manager has framed the dialog, its position is its client area's.
    move(framed ? outer : outer + QPoint(frame.left(), frame.top()));
}

void OwnerCentredDialog::showEvent(QShowEvent* event)
{
    if (event->spontaneous() || !parentWidget())
        return QDialog::showEvent(event);
    placedWithFrame = false;
    centreOnOwner();
}

bool OwnerCentredDialog::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    // The first activation comes after the window manager has framed the dialog.
    if (event->type() == QEvent::WindowActivate && !placedWithFrame) {
        placedWithFrame = true;
        const QMargins frame = frameOf(this);
        if (frame != lastFrame) {
            lastFrame = frame;
            centreOnOwner();
        }
    }
    return handled;
}
