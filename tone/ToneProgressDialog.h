#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The small borderless dialog shown while a tone file is written: a caption and a bar
// that moves one step per cycle written.
class ToneProgressDialog : public QWidget {
    Q_OBJECT
public:
    explicit ToneProgressDialog(QWidget* parent = nullptr);

    // Back to an empty bar and no cancel, for the next tone file.
    void restart();
    // The bar spans 0 to 100. Every step's value is taken at once; the bar itself is
    // brought up to date with showProgress(), when the event loop gets to paint it, so
    // that thousands of steps cost no thousands of repaints.
    void setProgressValue(float value);
    void showProgress();
    float progressValue() const { return value; }

    // Places the dialog relative to the main window (the designed offsets, in twips);
    // without a main window it is centred on the screen.
    void placeNear(const QWidget* mainWindow);

    bool cancelRequested() const { return cancelled; }

private slots:
    void onCancelClicked();

private:
    float value = 0.0f;
    bool cancelled = false;
    QLabel* captionLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* cancelButton = nullptr;
};
