#include "widgets/OneLineTextAccessible.h"

#include <QWidget>

OneLineTextAccessible::OneLineTextAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

void* OneLineTextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString OneLineTextAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return shownText();
    return QAccessibleWidget::text(type);
}

void OneLineTextAccessible::selection(int, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
}

QString OneLineTextAccessible::text(int startOffset, int endOffset) const
{
    const int start = clamped(startOffset);
    const int end = qMax(start, clamped(endOffset));
    return shownText().mid(start, end - start);
}

OneLineTextAccessible::Span OneLineTextAccessible::unitAt(const QString& text, int offset, QAccessible::TextBoundaryType boundaryType)
{
    const int length = static_cast<int>(text.size());
    offset = qBound(0, offset, length);
    switch (boundaryType) {
    case QAccessible::CharBoundary:
        if (offset == length)
            return {length, length};
        return {offset, offset + (text.at(offset).isHighSurrogate() && offset + 1 < length ? 2 : 1)};
    case QAccessible::WordBoundary: {
        if (offset == length)
            return {length, length};
        // A word with the blanks after it.
        auto startsWord = [&text](int i) { return i == 0 || (text.at(i - 1).isSpace() && !text.at(i).isSpace()); };
        int start = offset;
        while (!startsWord(start))
            --start;
        int end = offset + 1;
        while (end < length && !startsWord(end))
            ++end;
        return {start, end};
    }
    default: // sentence, paragraph, line, the whole text: one line holds all
        return {0, length};
    }
}

int OneLineTextAccessible::clamped(int offset) const
{
    const int length = characterCount();
    if (offset == -2)
        offset = cursorPosition();
    if (offset == -1)
        offset = length;
    return qBound(0, offset, length);
}

QString OneLineTextAccessible::answer(Span span, int* startOffset, int* endOffset) const
{
    *startOffset = span.start;
    *endOffset = span.end;
    return shownText().mid(span.start, span.end - span.start);
}

QString OneLineTextAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const
{
    return answer(unitAt(shownText(), clamped(offset), boundaryType), startOffset, endOffset);
}

QString OneLineTextAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                                int* endOffset) const
{
    const QString shown = shownText();
    const Span at = unitAt(shown, clamped(offset), boundaryType);
    if (at.start == 0)
        return answer({0, 0}, startOffset, endOffset);
    return answer(unitAt(shown, at.start - 1, boundaryType), startOffset, endOffset);
}

QString OneLineTextAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                               int* endOffset) const
{
    const QString shown = shownText();
    const int length = static_cast<int>(shown.size());
    const Span at = unitAt(shown, clamped(offset), boundaryType);
    if (at.end >= length)
        return answer({length, length}, startOffset, endOffset);
    return answer(unitAt(shown, at.end, boundaryType), startOffset, endOffset);
}

QString OneLineTextAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    // One run of one font: no attributes to tell.
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}
