#include "mainwindow/BackedPictureLabel.h"

#include "assets/SkinColours.h"

#include <QPainter>

#include <cmath>

namespace {

// Relative luminance of an sRGB colour, 0 for black to 1 for white.
double luminance(const QColor& colour)
{
    auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

} // namespace

const QColor BackedPictureLabel::Backing(SkinColours::Face);

bool BackedPictureLabel::blackStandsOutOn(const QColor& background)
{
    return (luminance(background) + 0.05) / 0.05 >= 4.5; // black's luminance is 0
}

// Decided at each paint, so that a theme changed while the dialog is open is followed.
void BackedPictureLabel::paintEvent(QPaintEvent* event)
{
    if (!blackStandsOutOn(palette().color(backgroundRole()))) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Backing);
        painter.drawRoundedRect(QRectF(rect()), 4, 4);
    }
    QLabel::paintEvent(event);
}
