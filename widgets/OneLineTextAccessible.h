#pragma once

#include <QAccessibleWidget>

class QLineEdit;

// How a screen reader reads a control of one short line of text: a typed box (editable,
// or read-only while locked, with its caret and selection) or a drop-down list that
// cannot be typed into, whose value is the entry it shows. Characters, words and the line
// are answered from the text itself: Qt's boundary finder does not end at the end of the
// text (End, then Ctrl+Left, froze the window) and takes a line for its first break ("10"
// was read as "1"), and Qt 6.4 cannot report a closed list's value. A screen reader
// edits nothing: its text would pass no filter, so editing goes through the keys.
class OneLineTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    // Makes the factory for typed boxes and lists known; once is enough.
    static void install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override { return static_cast<int>(shownText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    using QAccessibleWidget::QAccessibleWidget;
    static QAccessibleInterface* factory(const QString& className, QObject* object);

    QLineEdit* box() const; // nullptr for a list
    QString shownText() const;
    // An offset as a screen reader may give it (-2 the caret, -1 the end) within the text.
    int clamped(int offset) const;
};
