#pragma once

#include <QAccessibleWidget>

// How a screen reader reads a control that shows one short line of text (a speed, a
// carrier, the entry a list shows): characters, words and the line are answered here
// from the text itself. Qt's own answer walks a boundary finder that does not end for
// an offset at the end of the text (End, then Ctrl+Left, froze the window), and takes
// a line for the first break opportunity ("10" was read as "1").
class OneLineTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    OneLineTextAccessible(QWidget* widget, QAccessible::Role role);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;

    // No selection and no caret unless a subclass has them.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}

    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override { return static_cast<int>(shownText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // The unit of text (character, word, or the whole line) that holds offset, as
    // [start, end); at the end of the text, the empty unit there.
    struct Span {
        int start;
        int end;
    };
    static Span unitAt(const QString& text, int offset, QAccessible::TextBoundaryType boundaryType);

protected:
    virtual QString shownText() const = 0;

private:
    // An offset as a screen reader may give it (-2 the caret, -1 the end) within the text.
    int clamped(int offset) const;
    QString answer(Span span, int* startOffset, int* endOffset) const;
};
