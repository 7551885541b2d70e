#pragma once

#include <QClipboard>
#include <QLineEdit>

// A text box that filters what is typed into it, character by character, and takes
// at most a number of typed characters; text set by the program is taken as it is.
// Pasted text, several characters typed by one key and an input method's committed text
// go through the same filter: what typing would refuse is dropped.
// Reports when the focus moves on to another control.
class TypedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    TypedLineEdit(int maxTyped, QWidget* parent);

    int maxTyped() const { return typedLimit; }

    // What of text would reach the box if it were typed now, character by character,
    // in place of the selection, each as the box takes it; control characters are never
    // pasted.
    QString admittedPart(const QString& text) const;

public slots:
    // Pastes the clipboard's text (or the X selection's) through the filter.
    void pasteTyped(QClipboard::Mode mode = QClipboard::Clipboard);

signals:
    void focusLost();

protected:
    // Whether a character typed into a box holding text may reach it (backspace is
    // character 8).
    virtual bool admitsTyped(QChar typed, const QString& text) const = 0;
    // The character the box takes a typed one for, before the filter sees it (a decimal
    // comma for its point); the typed character itself unless a box says otherwise.
    virtual QChar translatedTyped(QChar typed) const { return typed; }

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Inserts what of text the filter admits, in place of the selection.
    void insertTyped(const QString& text);

    int typedLimit;
};
