#pragma once

#include <QColor>
#include <QLabel>

// A label for a black picture on a dialog that follows the desktop's theme. Where the
// theme's background is too dark for black to stand out on, the picture gets a backing
// of the fork's face grey, as it has on the main window; on a light theme the label
// looks as any other.
class BackedPictureLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // The backing: the skin's face grey, on which black has a contrast of 5.6 to 1.
    static const QColor Backing;
    // Whether black stands out on this colour: a contrast of at least 4.5 to 1, the
    // common threshold for text.
    static bool blackStandsOutOn(const QColor& background);

protected:
    void paintEvent(QPaintEvent* event) override;
};
