#pragma once

#include "tone/ToneProgress.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The small borderless dialog shown while a tone file is written: a caption and a bar
// that moves one step per cycle written. It shows itself at a file's first cycle, near
// the main window, and hides when the file is done. While it is asked whether to go on,
// it lets the event loop run every few milliseconds, so that the window stays responsive
// (its STOP and close included) for as long as the writing takes.
class ToneProgressDialog : public QWidget, public ToneProgress {
    Q_OBJECT
public:
    // Placed relative to window (the main window), which it does not belong to: it has
    // no owner window.
    explicit ToneProgressDialog(const QWidget* window = nullptr);

    // ToneProgress. Every step's value is taken at once; the bar itself is brought up
    // to date when the event loop gets to run, so that thousands of steps cost no
    // thousands of repaints.
    void progress(double fraction) override;
    bool cancelRequested() override;
    void finished() override;

    // Places the dialog relative to the main window (the designed offsets, in twips);
    // without a main window it is centred on the screen.
    void placeNear(const QWidget* window);

private slots:
    void onCancelClicked();

private:
    void showProgress();

    const QWidget* const mainWindow;
    double fraction = 0.0;
    bool cancelled = false;
    bool begun = false;   // this file has reported its first cycle: the dialog is up
    bool yielded = false; // the event loop has run since this file began
    QElapsedTimer sinceYield;
    QLabel* captionLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* cancelButton = nullptr;
};
