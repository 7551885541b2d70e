// The main window's controls: kind, name, caption, place, size, font, colour and tab
// order, as designed in twips on the tuning-fork skin.

#include "assets/Assets.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/VolumeSlider.h"
#include "mainwindow/frmForksB.h"
#include "platform/Controls.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using Controls::make;

namespace {

// The skin's face grey, 0x00848484, so that labels blend into the fork.
const QColor FaceGrey(132, 132, 132);

void onFace(QWidget* w)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, FaceGrey);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect place, Qt::Alignment align)
{
    auto* l = make<QLabel>(parent, name, place);
    l->setText(caption);
    l->setAlignment(align | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    onFace(l);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect place, const QFont& font)
{
    auto* b = make<QPushButton>(parent, name, place);
    b->setText(caption);
    b->setFont(font);
    b->setAutoDefault(false);
    return b;
}

QRadioButton* bandButton(QWidget* frame, const char* name, const QString& caption, QRect place)
{
    auto* o = make<QRadioButton>(frame, name, place);
    o->setText(caption);
    o->setFont(Fonts::designed(QStringLiteral("Arial"), 9.75, true));
    // A button fills with the button colour; unfilled, it shows the frame's face grey.
    QPalette palette = o->palette();
    palette.setColor(QPalette::Window, FaceGrey);
    o->setPalette(palette);
    return o;
}

QPushButton* pictureButton(QWidget* parent, const char* name, const QString& picture, QRect place)
{
    auto* b = make<QPushButton>(parent, name, place);
    const QPixmap pixmap(picture);
    b->setIcon(pixmap);
    b->setIconSize(pixmap.size());
    b->setAutoDefault(false);
    return b;
}

} // namespace

void frmForksB::createControls()
{
    using Twips::rect;
    const QFont stepFont = Fonts::designed(QStringLiteral("Arial"), 14.25, true);
    const QFont speedFont = Fonts::designed(QStringLiteral("Arial"), 39.75, true);
    QFont unitFont = Fonts::designed(QStringLiteral("Arial"), 24, true);
    // Set a little tighter, "MPH" keeps a few pixels of face before the notch's
    // outline instead of ending one pixel from it.
    unitFont.setLetterSpacing(QFont::AbsoluteSpacing, -1.5);
    const QFont readoutFont = Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, true);
    setFont(Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, false));

    // In the designed order of creation: later controls lie above earlier ones.
    Frame1 = make<QFrame>(this, "Frame1", rect(2970, 1575, 870, 1365));
    Frame1->setFrameShape(QFrame::NoFrame);
    onFace(Frame1);
    Option1 = bandButton(Frame1, "Option1", QStringLiteral("X "), rect(90, 45, 420, 285));
    Option2 = bandButton(Frame1, "Option2", QStringLiteral("K"), rect(90, 360, 420, 285));
    Option3 = bandButton(Frame1, "Option3", QStringLiteral("Ka"), rect(90, 675, 555, 285));
    Option4 = bandButton(Frame1, "Option4", QStringLiteral("Ku"), rect(90, 990, 555, 285));
    Option1->setChecked(true);

    Command9 = button(this, "Command9", QStringLiteral("_"), rect(11025, 315, 285, 285),
                      Fonts::designed(QStringLiteral("Fixedsys"), 9, true));
    Command7 = button(this, "Command7", QStringLiteral("-"), rect(4050, 5850, 780, 270), stepFont);
    Command8 = button(this, "Command8", QStringLiteral("+"), rect(4845, 5850, 780, 270), stepFont);
    Text2 = make<SpeedBox>(this, "Text2", rect(4050, 4860, 1545, 975));
    Text2->setFont(speedFont);
    Text2->setText(QStringLiteral("199"));
    Command5 = button(this, "Command5", QStringLiteral("X"), rect(11340, 315, 285, 285),
                      Fonts::designed(QStringLiteral("MS Sans Serif"), 9.75, true));
    Command1 = pictureButton(this, "Command1", Assets::Go, rect(4995, 3285, 1410, 825));
    Command2 = pictureButton(this, "Command2", Assets::Stop, rect(3465, 3285, 1410, 825));
    Text1 = make<SpeedBox>(this, "Text1", rect(4005, 1575, 1545, 975));
    Text1->setFont(speedFont);
    Text1->setText(QStringLiteral("199"));
    Command3 = button(this, "Command3", QStringLiteral("+"), rect(4800, 2565, 780, 270), stepFont);
    Command4 = button(this, "Command4", QStringLiteral("-"), rect(4005, 2565, 780, 270), stepFont);

    Slider1 = make<VolumeSlider>(this, "Slider1", rect(7515, 3240, 3570, 630));
    Slider1->setRange(0, 65535);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(5);
    Slider1->setTickInterval(5000);
    Slider1->setTickPosition(QSlider::TicksBelow);

    Label9 = label(this, "Label9", QStringLiteral("Help"), rect(4230, 300, 555, 225), Qt::AlignHCenter);
    Label11 = label(this, "Label11", QString(), rect(4005, 6165, 1680, 240), Qt::AlignHCenter);
    Label11->setFont(readoutFont);
    Label6 = label(this, "Label6", QString(), rect(3960, 2880, 1680, 240), Qt::AlignHCenter);
    Label6->setFont(readoutFont);
    Label4 = label(this, "Label4", QStringLiteral("Mode"), rect(2745, 300, 645, 225), Qt::AlignHCenter);
    Label2 = label(this, "Label2", QStringLiteral("by Tinevox"), rect(9315, 1215, 1140, 240), Qt::AlignLeft);
    Image2 = make<QLabel>(this, "Image2", rect(4230, 540, 1545, 780));
    Image2->setPixmap(QPixmap(Assets::RadarGun));
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label8 = label(this, "Label8", QStringLiteral("MPH"), rect(5670, 5040, 1050, 510), Qt::AlignLeft);
    Label8->setFont(unitFont);
    Label7 = label(this, "Label7", QStringLiteral("Volume"), rect(8685, 3015, 1140, 195), Qt::AlignHCenter);
    Label3 = label(this, "Label3", QStringLiteral("Settings"), rect(3420, 300, 780, 225), Qt::AlignHCenter);
    Label5 = label(this, "Label5", QStringLiteral("MPH"), rect(5625, 1800, 1050, 510), Qt::AlignLeft);
    Label5->setFont(unitFont);
    Label1 = label(this, "Label1", QStringLiteral("Tinevox"), rect(5760, 540, 3615, 735), Qt::AlignHCenter);
    Label1->setFont(Fonts::designed(QStringLiteral("Impact"), 30, false, true));
    // The title overlaps the credit line's first letters; unfilled, it hides none of
    // them and shows the same face grey of the skin beneath.
    Label1->setAutoFillBackground(false);

    // Focus order; labels and the picture take no focus.
    const QList<QWidget*> order {Text1, Command4, Command3, Command2, Command1, Command5, Slider1, Text2,
                                 Command8, Command7, Command9, Option4, Option3, Option2, Option1};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QWidget* w : order)
        w->setFocusPolicy(Qt::StrongFocus);
}
