#pragma once

#include <QClipboard>
#include <QLineEdit>

// A text box that filters what is typed, pasted, typed by one key or committed by an
// input method, character by character, and takes at most maxTyped typed characters;
// text set by the program is taken as it is. Reports when the focus moves on.
class TypedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    TypedLineEdit(int maxTyped, QWidget* parent);

public slots:
    // Pastes the clipboard's text (or the X selection's) through the filter.
    void pasteTyped(QClipboard::Mode mode = QClipboard::Clipboard);

signals:
    void focusLost();

protected:
    // Whether a character typed into a box holding text may reach it (backspace is 8).
    virtual bool admitsTyped(QChar typed, const QString& text) const = 0;
    // The character the box takes a typed one for (a decimal comma for its point).
    virtual QChar translatedTyped(QChar typed) const { return typed; }

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // What of text would reach the box if it were typed now in place of the selection,
    // character by character; control characters are never taken.
    QString admittedPart(const QString& text) const;
    void insertTyped(const QString& text);

    int typedLimit;
};
