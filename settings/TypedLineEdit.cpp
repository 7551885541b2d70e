#include "settings/TypedLineEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>

namespace {

// Typing and pasting may not make the text longer than the limit; text set by the
// program (a stored "12.5" in a three-character box) is not held to it, and may still
// be shortened.
class TypedLength : public QValidator {
public:
    TypedLength(int limit, QObject* parent) : QValidator(parent), limit(limit) {}
    State validate(QString& input, int&) const override { return input.size() <= limit ? Acceptable : Invalid; }

private:
    int limit;
};

} // namespace

TypedLineEdit::TypedLineEdit(int maxTyped, QWidget* parent) : QLineEdit(parent), typedLimit(maxTyped)
{
    setValidator(new TypedLength(maxTyped, this));
}

void TypedLineEdit::keyPressEvent(QKeyEvent* event)
{
    // Only keys that type a character go through the filter: moving and deleting keys
    // (arrows, Home, End, Delete) type none. Select-all and copy change nothing and
    // pass; paste, cut, undo and every other character the filter refuses are dropped,
    // and a locked box keeps its text, and its selection, whatever is typed.
    const QString text = event->text();
    const bool typesCharacter = !text.isEmpty() && event->key() != Qt::Key_Delete;
    const bool harmless = text == QStringLiteral("\x01") || text == QStringLiteral("\x03");
    if (typesCharacter && !harmless && (isReadOnly() || !admitsTyped(text.front()))) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TypedLineEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The focus moving to another control of the window; not another window or the
    // box's own context menu taking it for a while.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit focusLost();
}
