#pragma once

#include <QWidget>

class QProgressBar;

// The small borderless dialog shown while a tone file is written: a caption and a bar
// that moves one step per cycle written. It shows itself at a file's first step, near
// the main window, and hides when the file is done.
class ToneProgressDialog : public QWidget {
    Q_OBJECT
public:
    // Placed relative to window (the main window), which it does not belong to: it has
    // no owner window.
    explicit ToneProgressDialog(const QWidget* window = nullptr);

    // Places the dialog relative to the main window (the designed offsets, in twips);
    // without a main window it is centred on the screen.
    void placeNear(const QWidget* window);

public slots:
    // fraction = cycles written / cycles of the file. Shown near the main window.
    void showProgress(double fraction);
    // The file is complete, abandoned or refused: hidden, with an empty bar for the next.
    void finishFile();

signals:
    // Cancel: the file being written is to be abandoned.
    void cancelled();

private:
    const QWidget* const mainWindow;
    QProgressBar* progressBar = nullptr;
};
