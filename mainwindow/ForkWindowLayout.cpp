// The main window's controls: kind, caption, font, colour and tab order, each at its
// designed name and place (ForkWindowPlaces).

#include "assets/Assets.h"
#include "assets/SkinColours.h"
#include "mainwindow/BandGroup.h"
#include "mainwindow/ForkWindow.h"
#include "mainwindow/ForkWindowPlaces.h"
#include "mainwindow/HeightClippedControls.h"
#include "mainwindow/MenuLabel.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/SpeedEntry.h"
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

namespace {

using ForkWindowPlaces::Place;

template <typename T>
T* make(QWidget* parent, const Place& place)
{
    return Controls::make<T>(parent, place.name, place.pixels());
}

const QColor FaceGrey(SkinColours::Face);

void onFace(QWidget* w)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, FaceGrey);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

template <typename Label = QLabel>
Label* label(QWidget* parent, const Place& place, const QString& caption, Qt::Alignment align)
{
    auto* l = make<Label>(parent, place);
    l->setText(caption);
    l->setAlignment(align | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    onFace(l);
    return l;
}

QPushButton* button(QWidget* parent, const Place& place, const QString& caption, const QFont& font)
{
    auto* b = make<QPushButton>(parent, place);
    b->setText(caption);
    b->setFont(font);
    b->setAutoDefault(false);
    return b;
}

QRadioButton* bandButton(QWidget* frame, const Place& place, const QString& caption)
{
    auto* o = make<QRadioButton>(frame, place);
    o->setText(caption);
    o->setFont(Fonts::designed(QStringLiteral("Arial"), 9.75, true));
    // A button fills with the button colour; unfilled, it shows the frame's face grey.
    QPalette palette = o->palette();
    palette.setColor(QPalette::Window, FaceGrey);
    o->setPalette(palette);
    return o;
}

QPushButton* pictureButton(QWidget* parent, const Place& place, const QString& picture)
{
    auto* b = make<QPushButton>(parent, place);
    const QPixmap pixmap = Assets::picture(picture);
    b->setIcon(pixmap);
    b->setIconSize(pixmap.deviceIndependentSize().toSize());
    b->setAutoDefault(false);
    return b;
}

} // namespace

void ForkWindow::createControls()
{
    namespace P = ForkWindowPlaces;
    const QFont stepFont = Fonts::designed(QStringLiteral("Arial"), 14.25, true);
    const QFont speedFont = Fonts::designed(QStringLiteral("Arial"), 39.75, true);
    QFont unitFont = Fonts::designed(QStringLiteral("Arial"), 24, true);
    // Set a little tighter, "MPH" keeps a few pixels of face before the notch's
    // outline instead of ending one pixel from it.
    unitFont.setLetterSpacing(QFont::AbsoluteSpacing, -1.5);
    const QFont readoutFont = Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, true);
    setFont(Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, false));

    // In the designed order of creation: later controls lie above earlier ones.
    bandFrame = make<BandGroup>(this, P::BandFrame);
    bandFrame->setFrameShape(QFrame::NoFrame);
    onFace(bandFrame);
    auto* bandX = bandButton(bandFrame, P::BandX, QStringLiteral("X "));
    auto* bandK = bandButton(bandFrame, P::BandK, QStringLiteral("K"));
    auto* bandKa = bandButton(bandFrame, P::BandKa, QStringLiteral("Ka"));
    auto* bandKu = bandButton(bandFrame, P::BandKu, QStringLiteral("Ku"));
    bandButtons = {bandX, bandK, bandKa, bandKu};
    bandX->setChecked(true);

    minimiseButton = button(this, P::MinimiseButton, QStringLiteral("_"), Fonts::designed(QStringLiteral("Fixedsys"), 9, true));
    auto* secondSpeedDownButton = button(this, P::SecondSpeedDownButton, QStringLiteral("-"), stepFont);
    auto* secondSpeedUpButton = button(this, P::SecondSpeedUpButton, QStringLiteral("+"), stepFont);
    auto* secondSpeedBox = make<SpeedBox>(this, P::SecondSpeedBox);
    secondSpeedBox->setFont(speedFont);
    secondSpeedBox->setText(NumberText::plainDecimal(Doppler::HighestSpeed));
    closeButton = button(this, P::CloseButton, QStringLiteral("X"), Fonts::designed(QStringLiteral("MS Sans Serif"), 9.75, true));
    goButton = pictureButton(this, P::GoButton, Assets::Go);
    stopButton = pictureButton(this, P::StopButton, Assets::Stop);
    auto* firstSpeedBox = make<SpeedBox>(this, P::FirstSpeedBox);
    firstSpeedBox->setFont(speedFont);
    firstSpeedBox->setText(NumberText::plainDecimal(Doppler::HighestSpeed));
    auto* firstSpeedUpButton = button(this, P::FirstSpeedUpButton, QStringLiteral("+"), stepFont);
    auto* firstSpeedDownButton = button(this, P::FirstSpeedDownButton, QStringLiteral("-"), stepFont);

    volumeSlider = make<VolumeSlider>(this, P::VolumeSlider);

    helpLabel = label<MenuLabel>(this, P::HelpLabel, QStringLiteral("Help"), Qt::AlignHCenter);
    auto* secondFrequencyLabel = label(this, P::SecondFrequencyLabel, QString(), Qt::AlignHCenter);
    secondFrequencyLabel->setFont(readoutFont);
    auto* firstFrequencyLabel = label(this, P::FirstFrequencyLabel, QString(), Qt::AlignHCenter);
    firstFrequencyLabel->setFont(readoutFont);
    modeLabel = label<MenuLabel>(this, P::ModeLabel, QStringLiteral("Mode"), Qt::AlignHCenter);
    label(this, P::CreditLabel, QStringLiteral("by Tinevox"), Qt::AlignLeft);
    radarGunPicture = make<QLabel>(this, P::RadarGunPicture);
    radarGunPicture->setPixmap(Assets::picture(Assets::RadarGun));
    radarGunPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* secondUnitLabel = label(this, P::SecondUnitLabel, Settings::MphCaption, Qt::AlignLeft);
    secondUnitLabel->setFont(unitFont);
    label(this, P::VolumeLabel, QStringLiteral("Volume"), Qt::AlignHCenter);
    settingsLabel = label<MenuLabel>(this, P::SettingsLabel, QStringLiteral("Settings"), Qt::AlignHCenter);
    auto* firstUnitLabel = label(this, P::FirstUnitLabel, Settings::MphCaption, Qt::AlignLeft);
    firstUnitLabel->setFont(unitFont);
    titleLabel = label(this, P::TitleLabel, QStringLiteral("Tinevox"), Qt::AlignHCenter);
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
    bandFrame->setButtons(bandButtons);
    const QList<QWidget*> withLabels = order + QList<QWidget*> {modeLabel, settingsLabel, helpLabel};
    for (qsizetype i = 1; i < withLabels.size(); ++i)
        setTabOrder(withLabels[i - 1], withLabels[i]);
    // What the stationary height cuts off, Tab and the keys cannot reach either.
    new HeightClippedControls(this, order, [this] { return Twips::toPixels(heightTwips); });

    firstEntry = new SpeedEntry({firstSpeedBox, firstSpeedDownButton, firstSpeedUpButton, firstUnitLabel, firstFrequencyLabel}, this);
    secondEntry = new SpeedEntry({secondSpeedBox, secondSpeedDownButton, secondSpeedUpButton, secondUnitLabel, secondFrequencyLabel}, this);

    // What a screen reader says for each control, where the caption says too little (a
    // picture, a glyph, a bare letter) or nothing; the captions stay as designed.
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
