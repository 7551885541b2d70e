#include "mainwindow/MenuLabel.h"

#include "mainwindow/MenuLabelAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

MenuLabel::MenuLabel(QWidget* parent) : QLabel(parent)
{
    static const bool announced = (QAccessible::installFactory(&MenuLabelAccessible::factory), true);
    Q_UNUSED(announced);
    // Tab reaches it; a click does not take the focus from where the user types.
    setFocusPolicy(Qt::TabFocus);
}

void MenuLabel::addShortcut(const QKeySequence& sequence)
{
    auto* shortcut = new QShortcut(sequence, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &MenuLabel::activate);
    keys << sequence;
}

QPoint MenuLabel::popupPlace() const
{
    return mapToGlobal(QPoint(0, height()));
}

void MenuLabel::activate()
{
    emit activated(popupPlace());
}

void MenuLabel::setBackColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

// The pressed look takes the system colour of button faces, whatever the button and
// whether or not the label will act; the release brings back the face it had.
void MenuLabel::mousePressEvent(QMouseEvent* event)
{
    if (!pressed) {
        restingColour = palette().color(QPalette::Window);
        pressed = true;
    }
    setBackColour(palette().color(QPalette::Button));
    event->accept();
}

// Acts on every release over the label; a popup opens where the mouse is.
void MenuLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressed) {
        setBackColour(restingColour);
        pressed = false;
    }
    event->accept();
    if (rect().contains(event->position().toPoint()))
        emit activated(event->globalPosition().toPoint());
}

void MenuLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Down:
    case Qt::Key_Menu:
        event->accept();
        activate();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

// With the focus, a black frame just inside the label's edge: it reads on the grey
// face and leaves the caption as designed.
void MenuLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
