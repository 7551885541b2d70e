#pragma once

#include <QLineEdit>

// A text box that filters what is typed into it, character by character, and takes
// at most a number of typed characters; text set by the program is taken as it is.
// Reports when the focus moves on to another control.
class TypedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    TypedLineEdit(int maxTyped, QWidget* parent);

    int maxTyped() const { return typedLimit; }

signals:
    void focusLost();

protected:
    // Whether a typed character may reach the box (backspace is character 8).
    virtual bool admitsTyped(QChar typed) const = 0;

    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int typedLimit;
};
