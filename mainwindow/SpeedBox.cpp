#include "mainwindow/SpeedBox.h"

#include <QKeyEvent>
#include <QValidator>

namespace {

// Typing and pasting may not make the text longer than three characters; text set by
// the program (a stored "12.5") is not held to it, and may still be shortened.
class TypedLength : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return input.size() <= SpeedBox::MaxTyped ? Acceptable : Invalid;
    }
};

} // namespace

SpeedBox::SpeedBox(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new TypedLength(this));
    setAlignment(Qt::AlignCenter);
}

bool SpeedBox::admits(QChar typed)
{
    return typed == QChar(8) || (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'));
}

void SpeedBox::keyPressEvent(QKeyEvent* event)
{
    // Only keys that type a character go through the filter: moving and deleting keys
    // (arrows, Home, End, Delete) type none. Select-all and copy change nothing and
    // pass; paste, cut, undo and every other typed character are dropped.
    const QString text = event->text();
    const bool typesCharacter = !text.isEmpty() && event->key() != Qt::Key_Delete;
    const bool harmless = text == QStringLiteral("\x01") || text == QStringLiteral("\x03");
    // A locked box keeps its text, and its selection, whatever is typed.
    if (typesCharacter && !harmless && (isReadOnly() || !admits(text.front()))) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SpeedBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The focus moving to another control of the window; not another window or the
    // box's own context menu taking it for a while.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit focusLost();
}
