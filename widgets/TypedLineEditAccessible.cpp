#include "widgets/TypedLineEditAccessible.h"

#include "widgets/TypedLineEdit.h"

TypedLineEditAccessible::TypedLineEditAccessible(TypedLineEdit* box) : OneLineTextAccessible(box, QAccessible::EditableText) {}

TypedLineEdit* TypedLineEditAccessible::box() const
{
    return static_cast<TypedLineEdit*>(widget());
}

QString TypedLineEditAccessible::shownText() const
{
    return box()->text();
}

QAccessible::State TypedLineEditAccessible::state() const
{
    QAccessible::State s = OneLineTextAccessible::state();
    s.editable = !box()->isReadOnly();
    s.readOnly = box()->isReadOnly();
    s.selectableText = true;
    return s;
}

void TypedLineEditAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box()->hasSelectedText())
        return;
    *startOffset = box()->selectionStart();
    *endOffset = box()->selectionEnd();
}

int TypedLineEditAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void TypedLineEditAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TypedLineEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void TypedLineEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    const int length = characterCount();
    startOffset = qBound(0, startOffset, length);
    endOffset = qBound(0, endOffset, length);
    box()->setSelection(startOffset, endOffset - startOffset);
}

int TypedLineEditAccessible::cursorPosition() const
{
    return box()->cursorPosition();
}

void TypedLineEditAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(qBound(0, position, characterCount()));
}

int TypedLineEditAccessible::offsetAtPoint(const QPoint& point) const
{
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
}

QAccessibleInterface* TypedLineEditAccessible::factory(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<TypedLineEdit*>(object))
        return new TypedLineEditAccessible(box);
    return nullptr;
}
