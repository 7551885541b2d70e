#pragma once

#include <QLineEdit>

// A speed box: typing takes only digits and backspace, at most three characters; text
// set by the program is taken as it is. Reports the loss of the focus.
class SpeedBox : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int MaxTyped = 3;

    explicit SpeedBox(QWidget* parent = nullptr);

    // The key filter: true when the typed character may reach the box.
    static bool admits(QChar typed);

signals:
    void focusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
