#pragma once

#include <QList>
#include <QObject>

#include <functional>

class QWidget;

// The controls below the window's height (its own or the one the program chose, the
// smaller; the lower fork in stationary mode) are hidden, so that neither Tab, nor keys,
// nor a screen reader reaches what the eye cannot see; a control that had the focus
// passes it on. They come back as they were when the window is tall enough again.
class HeightClippedControls : public QObject {
    Q_OBJECT
public:
    HeightClippedControls(QWidget* window, const QList<QWidget*>& controls, std::function<int()> chosenHeight);

    // Hides or shows each control by the window's present height.
    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* const window;
    const QList<QWidget*> controls;
    const std::function<int()> chosenHeight;
};
