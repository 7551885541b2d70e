#pragma once

#include "tone/TonePlayback.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A plain window over the tone engine, until the shaped tuning-fork window takes its
// place: band, speeds, moving mode, GO and STOP.
class PreviewWindow : public QWidget, public ToneInputs {
    Q_OBJECT
public:
    PreviewWindow();

    std::optional<Doppler::Band> selectedBand() const override;
    QString firstSpeedText() const override;
    QString secondSpeedText() const override;
    bool MovingMode() const override;
    const QWidget* mainWindow() const override { return this; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void go();
    void stop();
    void setEditable(bool editable);
    void showFrequencies();

    QComboBox* band = nullptr;
    QLineEdit* speed1 = nullptr;
    QLineEdit* speed2 = nullptr;
    QCheckBox* moving = nullptr;
    QLabel* readout = nullptr;
    QPushButton* goButton = nullptr;
    QPushButton* stopButton = nullptr;
    TonePlayback playback;
};
