#pragma once

#include <QObject>

class QLabel;
class QPushButton;
class SpeedBox;

// One speed of the main window: its box, the buttons that step it by one, the caption of
// its unit and the readout of its tone's frequency. The window has two, the second for
// the second tone of moving mode. The window makes the controls in its designed order of
// creation; an entry ties them together.
//
// The speed keeps to the radar's range when the box loses the focus and at every step:
// above the highest speed it becomes the highest, and 0 (an empty box among them) the
// lowest. Below 0 stays as it is.
class SpeedEntry : public QObject {
    Q_OBJECT
public:
    struct Controls {
        SpeedBox* box;
        QPushButton* down;
        QPushButton* up;
        QLabel* unit;
        QLabel* readout;
    };
    SpeedEntry(const Controls& controls, QObject* parent);

    QString text() const;
    void setText(const QString& text);
    // While a tone plays the speed cannot change.
    void setLocked(bool locked);
    void setUnitCaption(const QString& caption);
    // The readout of frequency, cut to what its label can show.
    void showFrequency(double frequency);
    void setReadoutVisible(bool visible);
    SpeedBox* box() const { return controls.box; }

signals:
    void textChanged();

private:
    void keepInRange();
    void step(double delta);

    const Controls controls;
};
