#include "widgets/TypedLineEdit.h"

#include "widgets/OneLineTextAccessible.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
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
    setAcceptDrops(false); // dropped text would pass no filter
    OneLineTextAccessible::install();
}

QString TypedLineEdit::admittedPart(const QString& text) const
{
    QString box = this->text();
    const qsizetype room = typedLimit - (box.size() - selectedText().size());
    QString admitted;
    for (const QChar typed : text) {
        if (admitted.size() >= room)
            break;
        const QChar c = translatedTyped(typed);
        if (c.category() == QChar::Other_Control || !admitsTyped(c, box))
            continue;
        admitted += c;
        box += c; // what the next character is typed into
    }
    return admitted;
}

void TypedLineEdit::insertTyped(const QString& text)
{
    if (const QString admitted = admittedPart(text); !isReadOnly() && !admitted.isEmpty())
        insert(admitted);
}

void TypedLineEdit::pasteTyped(QClipboard::Mode mode)
{
    insertTyped(QGuiApplication::clipboard()->text(mode));
}

// Only keys that type a character go through the filter: moving and deleting keys type
// none, select-all and copy change nothing. A key that types several characters (a
// compose sequence, a digit with a combining accent) or one the box takes for another
// goes through it as pasted text does; a locked box keeps its text and selection.
void TypedLineEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool passes = text.isEmpty() || event->key() == Qt::Key_Delete || text == QStringLiteral("\x01") ||
                        text == QStringLiteral("\x03") ||
                        (text.size() == 1 && translatedTyped(text.front()) == text.front() && !isReadOnly() &&
                         admitsTyped(text.front(), this->text()));
    if (event->matches(QKeySequence::Paste))
        pasteTyped();
    else if (passes)
        return QLineEdit::keyPressEvent(event);
    else
        insertTyped(text);
    event->accept();
}

// Input methods, compose and dead keys included, commit whole strings without a key
// event: the committed text goes through the filter; what is being composed is only
// shown, never taken.
void TypedLineEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    const QString admitted = admittedPart(committed);
    if (admitted == committed) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(admitted, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

// The middle button pastes the X selection; through the filter here.
void TypedLineEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        if (rect().contains(event->position().toPoint()))
            pasteTyped(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// The usual editing menu, built here so that Paste goes through the filter and no
// entry (such as inserting control characters) can put a refused character in.
void TypedLineEdit::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    auto entry = [this, menu](const char* name, const QString& text, QKeySequence::StandardKey key, bool enabled, auto slot) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(shortcut.isEmpty() ? text : text + QLatin1Char('\t') + shortcut);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    entry("edit-undo", tr("&Undo"), QKeySequence::Undo, editable && isUndoAvailable(), &QLineEdit::undo);
    entry("edit-redo", tr("&Redo"), QKeySequence::Redo, editable && isRedoAvailable(), &QLineEdit::redo);
    menu->addSeparator();
    entry("edit-cut", tr("Cu&t"), QKeySequence::Cut, editable && selected, &QLineEdit::cut);
    entry("edit-copy", tr("&Copy"), QKeySequence::Copy, selected, &QLineEdit::copy);
    const bool canPaste = editable && !QGuiApplication::clipboard()->text().isEmpty();
    entry("edit-paste", tr("&Paste"), QKeySequence::Paste, canPaste, [this] { pasteTyped(); });
    entry("edit-delete", tr("Delete"), QKeySequence::UnknownKey, editable && selected, [this] { insert(QString()); });
    menu->addSeparator();
    entry("select-all", tr("Select All"), QKeySequence::SelectAll, !text().isEmpty() && selectedText() != text(),
          &QLineEdit::selectAll);
    menu->popup(event->globalPos());
    event->accept();
}

void TypedLineEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The focus moving to another control of the window; not another window or the
    // box's own context menu taking it for a while.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit focusLost();
}
