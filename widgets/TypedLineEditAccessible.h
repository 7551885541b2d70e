#pragma once

#include "widgets/OneLineTextAccessible.h"

class TypedLineEdit;

// How a screen reader sees a typed box: an editable text, or a read-only one while it is
// locked (never both), with its caret and the selection it really has. It offers no
// editing of its own: text put in by a screen reader would pass no filter, so editing
// goes through the keys, as typing does.
class TypedLineEditAccessible : public OneLineTextAccessible {
public:
    explicit TypedLineEditAccessible(TypedLineEdit* box);

    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    int offsetAtPoint(const QPoint& point) const override;
    using OneLineTextAccessible::text;

    // The factory that Qt asks for the interface of every object; answers for typed
    // boxes only.
    static QAccessibleInterface* factory(const QString& className, QObject* object);

protected:
    QString shownText() const override;

private:
    TypedLineEdit* box() const;
};
