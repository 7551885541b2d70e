// The main window's controls: kind, name, caption, place, size, font, colour and tab
// order, as designed in twips on the tuning-fork skin.

#include "assets/Assets.h"
#include "assets/SkinColours.h"
#include "mainwindow/BandGroup.h"
#include "mainwindow/ForkWindow.h"
#include "mainwindow/HeightClippedControls.h"
#include "mainwindow/MenuLabel.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/VolumeSlider.h"
#include "settings/SettingsKeys.h"
#include "tone/DopplerModel.h"
#include "tone/NumberText.h"
#include "widgets/Controls.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using Controls::make;

namespace {

const QColor FaceGrey(SkinColours::Face);

void onFace(QWidget* w)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, FaceGrey);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

template <typename Label = QLabel>
Label* label(QWidget* parent, const char* name, const QString& caption, QRect place, Qt::Alignment align)
{
    auto* l = make<Label>(parent, name, place);
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
    const QPixmap pixmap = Assets::picture(picture);
    b->setIcon(pixmap);
    b->setIconSize(pixmap.deviceIndependentSize().toSize());
    b->setAutoDefault(false);
    return b;
}

} // namespace

void ForkWindow::createControls()
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
    bandFrame = make<BandGroup>(this, "Frame1", rect(2970, 1575, 870, 1365));
    bandFrame->setFrameShape(QFrame::NoFrame);
    onFace(bandFrame);
    bandX = bandButton(bandFrame, "Option1", QStringLiteral("X "), rect(90, 45, 420, 285));
    bandK = bandButton(bandFrame, "Option2", QStringLiteral("K"), rect(90, 360, 420, 285));
    bandKa = bandButton(bandFrame, "Option3", QStringLiteral("Ka"), rect(90, 675, 555, 285));
    bandKu = bandButton(bandFrame, "Option4", QStringLiteral("Ku"), rect(90, 990, 555, 285));
    bandX->setChecked(true);

    minimiseButton = button(this, "Command9", QStringLiteral("_"), rect(11025, 315, 285, 285),
                      Fonts::designed(QStringLiteral("Fixedsys"), 9, true));
    secondSpeedDownButton = button(this, "Command7", QStringLiteral("-"), rect(4050, 5850, 780, 270), stepFont);
    secondSpeedUpButton = button(this, "Command8", QStringLiteral("+"), rect(4845, 5850, 780, 270), stepFont);
    secondSpeedBox = make<SpeedBox>(this, "Text2", rect(4050, 4860, 1545, 975));
    secondSpeedBox->setFont(speedFont);
    secondSpeedBox->setText(NumberText::plainDecimal(Doppler::HighestSpeed));
    closeButton = button(this, "Command5", QStringLiteral("X"), rect(11340, 315, 285, 285),
                      Fonts::designed(QStringLiteral("MS Sans Serif"), 9.75, true));
    goButton = pictureButton(this, "Command1", Assets::Go, rect(4995, 3285, 1410, 825));
    stopButton = pictureButton(this, "Command2", Assets::Stop, rect(3465, 3285, 1410, 825));
    firstSpeedBox = make<SpeedBox>(this, "Text1", rect(4005, 1575, 1545, 975));
    firstSpeedBox->setFont(speedFont);
    firstSpeedBox->setText(NumberText::plainDecimal(Doppler::HighestSpeed));
    firstSpeedUpButton = button(this, "Command3", QStringLiteral("+"), rect(4800, 2565, 780, 270), stepFont);
    firstSpeedDownButton = button(this, "Command4", QStringLiteral("-"), rect(4005, 2565, 780, 270), stepFont);

    volumeSlider = make<VolumeSlider>(this, "Slider1", rect(7515, 3240, 3570, 630));
    volumeSlider->setRange(0, 65535);
    volumeSlider->setSingleStep(1);
    volumeSlider->setPageStep(5);
    volumeSlider->setTickInterval(5000);
    volumeSlider->setTickPosition(QSlider::TicksBelow);

    helpLabel = label<MenuLabel>(this, "Label9", QStringLiteral("Help"), rect(4230, 300, 555, 225), Qt::AlignHCenter);
    secondFrequencyLabel = label(this, "Label11", QString(), rect(4005, 6165, 1680, 240), Qt::AlignHCenter);
    secondFrequencyLabel->setFont(readoutFont);
    firstFrequencyLabel = label(this, "Label6", QString(), rect(3960, 2880, 1680, 240), Qt::AlignHCenter);
    firstFrequencyLabel->setFont(readoutFont);
    modeLabel = label<MenuLabel>(this, "Label4", QStringLiteral("Mode"), rect(2745, 300, 645, 225), Qt::AlignHCenter);
    creditLabel = label(this, "Label2", QStringLiteral("by Tinevox"), rect(9315, 1215, 1140, 240), Qt::AlignLeft);
    radarGunPicture = make<QLabel>(this, "Image2", rect(4230, 540, 1545, 780));
    radarGunPicture->setPixmap(Assets::picture(Assets::RadarGun));
    radarGunPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    secondUnitLabel = label(this, "Label8", Settings::MphCaption, rect(5670, 5040, 1050, 510), Qt::AlignLeft);
    secondUnitLabel->setFont(unitFont);
    volumeLabel = label(this, "Label7", QStringLiteral("Volume"), rect(8685, 3015, 1140, 195), Qt::AlignHCenter);
    settingsLabel = label<MenuLabel>(this, "Label3", QStringLiteral("Settings"), rect(3420, 300, 780, 225), Qt::AlignHCenter);
    firstUnitLabel = label(this, "Label5", Settings::MphCaption, rect(5625, 1800, 1050, 510), Qt::AlignLeft);
    firstUnitLabel->setFont(unitFont);
    titleLabel = label(this, "Label1", QStringLiteral("Tinevox"), rect(5760, 540, 3615, 735), Qt::AlignHCenter);
    titleLabel->setFont(Fonts::designed(QStringLiteral("Impact"), 30, false, true));
    // The title overlaps the credit line's first letters; unfilled, it hides none of
    // them and shows the same face grey of the skin beneath.
    titleLabel->setAutoFillBackground(false);

    // The access keys of the three menu labels; their captions show none. F10 opens the
    // first menu, as on a menu bar.
    modeLabel->addShortcut(QKeySequence(Qt::ALT | Qt::Key_M));
    modeLabel->addShortcut(QKeySequence(Qt::Key_F10));
    settingsLabel->addShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    settingsLabel->setOpens(MenuLabel::Opens::Dialog);
    helpLabel->addShortcut(QKeySequence(Qt::ALT | Qt::Key_H));

    // Focus order as designed, then the menu labels from left to right, so that the
    // first speed keeps the first focus; the other labels and the picture take none.
    const QList<QWidget*> order {firstSpeedBox, firstSpeedDownButton, firstSpeedUpButton, stopButton, goButton, closeButton, volumeSlider, secondSpeedBox,
                                 secondSpeedUpButton, secondSpeedDownButton, minimiseButton, bandKu, bandKa, bandK, bandX};
    for (QWidget* w : order)
        w->setFocusPolicy(Qt::StrongFocus);
    // Of the bands, Tab stops at the chosen one.
    bandFrame->setButtons({bandX, bandK, bandKa, bandKu});
    const QList<QWidget*> withLabels = order + QList<QWidget*> {modeLabel, settingsLabel, helpLabel};
    for (qsizetype i = 1; i < withLabels.size(); ++i)
        setTabOrder(withLabels[i - 1], withLabels[i]);
    // What the stationary height cuts off, Tab and the keys cannot reach either.
    new HeightClippedControls(this, order, [this] { return Twips::toPixels(heightTwips); });

    nameControls();
}

// What a screen reader says for each control, where the caption says too little (a
// picture, a glyph, a bare letter) or nothing; the captions stay as designed.
void ForkWindow::nameControls()
{
    auto name = [](QWidget* w, const QString& spoken, const QString& description = QString()) {
        w->setAccessibleName(spoken);
        w->setAccessibleDescription(description);
    };
    const QString speedRange = QStringLiteral("%1 to %2").arg(NumberText::plainDecimal(Doppler::LowestSpeed),
                                                              NumberText::plainDecimal(Doppler::HighestSpeed));
    name(firstSpeedBox, QStringLiteral("First speed"), QStringLiteral("Speed of the first tone, %1, in the unit shown beside it").arg(speedRange));
    name(firstSpeedDownButton, QStringLiteral("Lower first speed"));
    name(firstSpeedUpButton, QStringLiteral("Raise first speed"));
    name(secondSpeedBox, QStringLiteral("Second speed"), QStringLiteral("Speed of the second tone in moving mode, %1").arg(speedRange));
    name(secondSpeedDownButton, QStringLiteral("Lower second speed"));
    name(secondSpeedUpButton, QStringLiteral("Raise second speed"));
    name(goButton, QStringLiteral("Play tone"), QStringLiteral("Plays the tone of the band and speeds shown until Stop"));
    name(stopButton, QStringLiteral("Stop tone"));
    name(closeButton, QStringLiteral("Close"));
    name(minimiseButton, QStringLiteral("Minimise"));
    name(bandFrame, QStringLiteral("Band"));
    name(bandX, QStringLiteral("X band"));
    name(bandK, QStringLiteral("K band"));
    name(bandKa, QStringLiteral("Ka band"));
    name(bandKu, QStringLiteral("Ku band"));
    name(volumeSlider, QStringLiteral("Volume"), QStringLiteral("Volume of the sound device, in percent"));
    name(radarGunPicture, QStringLiteral("Radar gun"));
    // The readouts are named by the frequency they show, which a screen reader hears
    // as it changes; the description says whose it is.
    firstFrequencyLabel->setAccessibleDescription(QStringLiteral("Frequency of the first tone"));
    secondFrequencyLabel->setAccessibleDescription(QStringLiteral("Frequency of the second tone"));
    modeLabel->setAccessibleDescription(QStringLiteral("Opens the Mode menu: stationary or moving"));
    settingsLabel->setAccessibleDescription(QStringLiteral("Opens the settings dialog"));
    helpLabel->setAccessibleDescription(QStringLiteral("Opens the Help menu: read-me and About"));
}
