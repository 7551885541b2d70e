#pragma once

#include <QFrame>
#include <QList>

class QRadioButton;

// The frame of the band buttons, one group of options: Tab stops once in it, on the
// chosen band, and the arrow keys choose the next or the previous band (from the last
// back to the first). A screen reader sees a named group, not a window of its own.
class BandGroup : public QFrame {
    Q_OBJECT
public:
    explicit BandGroup(QWidget* parent = nullptr);

    // The band buttons from top to bottom, once they are made.
    void setButtons(const QList<QRadioButton*>& bandButtons);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Only the chosen band takes the focus from Tab.
    void followChoice();

    QList<QRadioButton*> buttons;
};
