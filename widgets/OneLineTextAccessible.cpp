#include "widgets/OneLineTextAccessible.h"

#include "widgets/TypedLineEdit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMetaObject>

namespace {

struct Span {
    int start;
    int end;
};

// The unit of text (character, word with the blanks after it, or the whole line) that
// holds offset, as [start, end); at the end of the text, the empty unit there.
Span unitAt(const QString& text, int offset, QAccessible::TextBoundaryType boundaryType)
{
    const int length = static_cast<int>(text.size());
    offset = qBound(0, offset, length);
    if (boundaryType != QAccessible::CharBoundary && boundaryType != QAccessible::WordBoundary)
        return {0, length}; // sentence, paragraph, line, the whole text: one line holds all
    if (offset == length)
        return {length, length};
    if (boundaryType == QAccessible::CharBoundary)
        return {offset, offset + (text.at(offset).isHighSurrogate() && offset + 1 < length ? 2 : 1)};
    auto startsWord = [&text](int i) { return i == 0 || (text.at(i - 1).isSpace() && !text.at(i).isSpace()); };
    int start = offset;
    while (!startsWord(start))
        --start;
    int end = offset + 1;
    while (end < length && !startsWord(end))
        ++end;
    return {start, end};
}

QString answer(const QString& text, Span span, int* startOffset, int* endOffset)
{
    *startOffset = span.start;
    *endOffset = span.end;
    return text.mid(span.start, span.end - span.start);
}

} // namespace

QAccessibleInterface* OneLineTextAccessible::factory(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<TypedLineEdit*>(object))
        return new OneLineTextAccessible(box, QAccessible::EditableText);
    auto* list = qobject_cast<QComboBox*>(object);
    return list && !list->isEditable() ? new OneLineTextAccessible(list, QAccessible::ComboBox) : nullptr;
}

void OneLineTextAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(&factory), true);
    Q_UNUSED(installed);
}

QLineEdit* OneLineTextAccessible::box() const
{
    return qobject_cast<QLineEdit*>(widget());
}

QString OneLineTextAccessible::shownText() const
{
    return box() ? box()->text() : static_cast<QComboBox*>(widget())->currentText();
}

void* OneLineTextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString OneLineTextAccessible::text(QAccessible::Text type) const
{
    return type == QAccessible::Value ? shownText() : QAccessibleWidget::text(type);
}

QAccessible::State OneLineTextAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    if (box()) {
        s.editable = !box()->isReadOnly();
        s.readOnly = box()->isReadOnly();
        s.selectableText = true;
    } else {
        s.expandable = true;
        s.expanded = static_cast<QComboBox*>(widget())->view()->isVisible();
        s.hasPopup = true;
    }
    return s;
}

QStringList OneLineTextAccessible::actionNames() const
{
    return (box() ? QStringList() : QStringList {showMenuAction(), pressAction()}) + QAccessibleWidget::actionNames();
}

void OneLineTextAccessible::doAction(const QString& actionName)
{
    // After the request is answered: the popup takes the pointer and the keys.
    if (!box() && (actionName == showMenuAction() || actionName == pressAction()))
        QMetaObject::invokeMethod(static_cast<QComboBox*>(widget()), &QComboBox::showPopup, Qt::QueuedConnection);
    else
        QAccessibleWidget::doAction(actionName);
}

void OneLineTextAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const bool selected = selectionIndex == 0 && selectionCount() == 1;
    *startOffset = selected ? box()->selectionStart() : 0;
    *endOffset = selected ? box()->selectionEnd() : 0;
}

int OneLineTextAccessible::selectionCount() const
{
    return box() && box()->hasSelectedText() ? 1 : 0;
}

void OneLineTextAccessible::removeSelection(int selectionIndex)
{
    if (box() && selectionIndex == 0)
        box()->deselect();
}

void OneLineTextAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (!box() || selectionIndex != 0)
        return;
    const int length = characterCount();
    startOffset = qBound(0, startOffset, length);
    box()->setSelection(startOffset, qBound(0, endOffset, length) - startOffset);
}

int OneLineTextAccessible::cursorPosition() const
{
    return box() ? box()->cursorPosition() : 0;
}

void OneLineTextAccessible::setCursorPosition(int position)
{
    if (box())
        box()->setCursorPosition(qBound(0, position, characterCount()));
}

int OneLineTextAccessible::offsetAtPoint(const QPoint& point) const
{
    return box() ? box()->cursorPositionAt(box()->mapFromGlobal(point)) : -1;
}

int OneLineTextAccessible::clamped(int offset) const
{
    const int length = characterCount();
    if (offset == -2)
        offset = cursorPosition();
    return qBound(0, offset == -1 ? length : offset, length);
}

QString OneLineTextAccessible::text(int startOffset, int endOffset) const
{
    const int start = clamped(startOffset);
    return shownText().mid(start, qMax(start, clamped(endOffset)) - start);
}

QString OneLineTextAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const
{
    const QString shown = shownText();
    return answer(shown, unitAt(shown, clamped(offset), boundaryType), startOffset, endOffset);
}

QString OneLineTextAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                                int* endOffset) const
{
    const QString shown = shownText();
    const Span at = unitAt(shown, clamped(offset), boundaryType);
    return answer(shown, at.start == 0 ? Span {0, 0} : unitAt(shown, at.start - 1, boundaryType), startOffset, endOffset);
}

QString OneLineTextAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                               int* endOffset) const
{
    const QString shown = shownText();
    const int length = static_cast<int>(shown.size());
    const Span at = unitAt(shown, clamped(offset), boundaryType);
    return answer(shown, at.end >= length ? Span {length, length} : unitAt(shown, at.end, boundaryType), startOffset,
                  endOffset);
}

QString OneLineTextAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    // One run of one font: no attributes to tell.
    return answer(QString(), {0, characterCount()}, startOffset, endOffset);
}
