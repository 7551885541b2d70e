#include "settings/SettingsDialog.h"

#include "widgets/Controls.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"
#include "settings/NotSavedReport.h"
#include "tone/NumberText.h"
#include "tone/RadarBands.h"
#include "tone/WaveWriter.h"
#include "settings/SettingsKeys.h"
#include "widgets/OneLineTextAccessible.h"
#include "widgets/TypedLineEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using Controls::make;

namespace {

// The Ka carrier: digits and one decimal point, at most six characters. A comma typed
// where it is the decimal point (a German keyboard's, its keypad's too) is the point.
class CarrierBox : public TypedLineEdit {
public:
    explicit CarrierBox(QWidget* parent) : TypedLineEdit(6, parent) {}

protected:
    bool admitsTyped(QChar typed, const QString& text) const override
    {
        if (typed == QChar(8))
            return true;
        if (typed == QLatin1Char('.'))
            return !text.contains(QLatin1Char('.')); // even if the selection holds it
        return typed >= QLatin1Char('0') && typed <= QLatin1Char('9');
    }
    QChar translatedTyped(QChar typed) const override { return typed == QLatin1Char(',') ? QLatin1Char('.') : typed; }
};

QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect place, const QFont& font)
{
    auto* l = make<QLabel>(parent, name, place);
    l->setText(caption);
    l->setTextFormat(Qt::PlainText);
    l->setFont(font);
    return l;
}

// A list shows the entry of its key: the stored text when it is an entry, otherwise
// the key's default.
void showStored(QComboBox* list, const Settings::Key& key, const QStringList& entries)
{
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(static_cast<int>(entries.indexOf(Settings::readEntry(key, entries))));
}

} // namespace

SettingsDialog::SettingsDialog(QWidget* owner)
    : OwnerCentredDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    if (owner)
        setWindowIcon(owner->windowIcon());
    setFixedSize(Twips::toPixels(4005), Twips::toPixels(5805));
    OneLineTextAccessible::install(); // so that a screen reader hears each list's value
    const auto [okButton, cancelButton] = createControls();
    connect(okButton, &QPushButton::clicked, this, &SettingsDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(bandKaCarrierBox, &TypedLineEdit::focusLost, this, &SettingsDialog::onBandKaCarrierFocusLost);
    load();
}

std::pair<QPushButton*, QPushButton*> SettingsDialog::createControls()
{
    using Twips::rect;
    const QFont bold = Fonts::designed(QStringLiteral("Arial"), 9.75, true);
    const QFont listFont = Fonts::designed(QStringLiteral("Fixedsys"), 9, false);
    setFont(Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, false));

    auto* carrierGroup = make<QGroupBox>(this, "Frame3", rect(135, 135, 3705, 2715));
    auto* bandXCarrierLabel = label(carrierGroup, "Label1", QStringLiteral("X Frequency"), rect(135, 270, 1455, 285), bold);
    bandXCarrierList = make<QComboBox>(carrierGroup, "Combo1", rect(1755, 225, 1230, 345));
    label(carrierGroup, "Label6", QStringLiteral("GHz"), rect(3015, 270, 420, 240), bold);
    auto* bandKCarrierLabel = label(carrierGroup, "Label2", QStringLiteral("K Frequency"), rect(135, 765, 1455, 285), bold);
    bandKCarrierList = make<QComboBox>(carrierGroup, "Combo2", rect(1755, 720, 1230, 345));
    label(carrierGroup, "Label5", QStringLiteral("GHz"), rect(3015, 765, 420, 240), bold);
    auto* bandKaCarrierLabel = label(carrierGroup, "Label3", QStringLiteral("Ka Frequency"), rect(135, 1260, 1455, 285), bold);
    bandKaCarrierBox = make<CarrierBox>(carrierGroup, "Text3", rect(1755, 1215, 1185, 315));
    bandKaCarrierBox->setFont(bold);
    label(carrierGroup, "Label7", QStringLiteral("GHz"), rect(3015, 1260, 420, 240), bold);
    auto* bandKaCarrierRangeLabel = label(carrierGroup, "Label4", QStringLiteral("(33.4-36 GHz)"), rect(1755, 1575, 1185, 240), font());
    bandKaCarrierRangeLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    showFrequencyBox = make<QCheckBox>(carrierGroup, "Check1", rect(810, 2070, 2220, 330));
    showFrequencyBox->setText(QStringLiteral("Display Frequency"));
    showFrequencyBox->setFont(bold);

    auto* unitGroup = make<QGroupBox>(this, "Frame1", rect(180, 2970, 3660, 960));
    unitGroup->setTitle(QStringLiteral("Units"));
    unitGroup->setFont(bold);
    mphButton = make<QRadioButton>(unitGroup, "Option1", rect(900, 405, 780, 240));
    mphButton->setText(Settings::MphCaption);
    kphButton = make<QRadioButton>(unitGroup, "Option2", rect(1890, 405, 780, 240));
    kphButton->setText(Settings::KphCaption);

    auto* bytesPerCycleGroup = make<QGroupBox>(this, "Frame2", rect(180, 4050, 3660, 960));
    auto* bytesPerCycleLabel = label(bytesPerCycleGroup, "Label8", QStringLiteral("Bytes per Cycle"), rect(180, 360, 1545, 240), bold);
    bytesPerCycleList = make<QComboBox>(bytesPerCycleGroup, "Combo3", rect(1890, 315, 1590, 345));

    for (QComboBox* list : {bandXCarrierList, bandKCarrierList, bytesPerCycleList})
        list->setFont(listFont);

    // Neither button answers Enter or Esc; their access keys are O and C.
    auto* okButton = make<QPushButton>(this, "Command1", rect(772, 5265, 1140, 330));
    okButton->setText(QStringLiteral("&OK"));
    auto* cancelButton = make<QPushButton>(this, "Command2", rect(2092, 5265, 1140, 330));
    cancelButton->setText(QStringLiteral("&Cancel"));
    for (QPushButton* b : {okButton, cancelButton})
        b->setAutoDefault(false);

    // A screen reader names each list and the Ka box by the label before it.
    bandXCarrierLabel->setBuddy(bandXCarrierList);
    bandKCarrierLabel->setBuddy(bandKCarrierList);
    bandKaCarrierLabel->setBuddy(bandKaCarrierBox);
    bytesPerCycleLabel->setBuddy(bytesPerCycleList);
    bandXCarrierList->setAccessibleDescription(QStringLiteral("In GHz"));
    bandKCarrierList->setAccessibleDescription(QStringLiteral("In GHz"));
    bandKaCarrierBox->setAccessibleDescription(QStringLiteral("In GHz, from %1 to %2")
                                                   .arg(NumberText::plainDecimal(Doppler::KaLowestCarrierGHz),
                                                        NumberText::plainDecimal(Doppler::KaHighestCarrierGHz)));

    const QList<QWidget*> order {mphButton, kphButton, okButton, cancelButton, bytesPerCycleList, showFrequencyBox, bandKCarrierList, bandXCarrierList, bandKaCarrierBox};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    return {okButton, cancelButton};
}

void SettingsDialog::load()
{
    showStored(bandXCarrierList, Settings::XFreq, Doppler::XCarriers);
    showStored(bandKCarrierList, Settings::KFreq, Doppler::KCarriers);
    showStored(bytesPerCycleList, Settings::Accuracy, WaveWriter::OfferedBytesPerCycle);
    bandKaCarrierBox->setText(Settings::read(Settings::KaFreq));
    const bool mph = Settings::unitIsMph(Settings::read(Settings::Unit));
    (mph ? mphButton : kphButton)->setChecked(true);
    showFrequencyBox->setChecked(Settings::showFreqIsOn(Settings::read(Settings::ShowFreq)));
    (mph ? mphButton : kphButton)->setFocus();
}

// The last write tells whether all six reached the disk.
std::optional<Platform::SettingsNotSaved> SettingsDialog::saveSettings()
{
    Settings::write(Settings::XFreq, bandXCarrierList->currentText());
    Settings::write(Settings::KFreq, bandKCarrierList->currentText());
    Settings::write(Settings::KaFreq, bandKaCarrierBox->text());
    Settings::write(Settings::Accuracy, bytesPerCycleList->currentText());
    Settings::write(Settings::Unit, mphButton->isChecked() ? Settings::MphCaption : Settings::KphCaption);
    return Settings::write(Settings::ShowFreq, showFrequencyBox->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

// The Ka carrier is clamped here too: its access key presses OK without taking the
// focus from the box, so the box's own clamp would not have run.
void SettingsDialog::onOkClicked()
{
    onBandKaCarrierFocusLost();
    // Unsaved values still apply for this run, so the dialog closes as ever.
    if (const auto notSaved = saveSettings())
        NotSavedReport::show(this, NotSavedReport::afterSettingsDialog(*notSaved));
    accept();
}

// The lower bound is 33, not the 33.4 the hint shows; a value in bounds stays exactly
// as typed.
void SettingsDialog::onBandKaCarrierFocusLost()
{
    if (NumberText::leadingValue(bandKaCarrierBox->text()) < Doppler::KaLowestCarrierGHz)
        bandKaCarrierBox->setText(NumberText::plainDecimal(Doppler::KaLowestCarrierGHz));
    if (NumberText::leadingValue(bandKaCarrierBox->text()) > Doppler::KaHighestCarrierGHz)
        bandKaCarrierBox->setText(NumberText::plainDecimal(Doppler::KaHighestCarrierGHz));
}

void SettingsDialog::keyPressEvent(QKeyEvent* event)
{
    // Neither Escape nor Enter closes the dialog.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        event->accept();
    else
        OwnerCentredDialog::keyPressEvent(event);
}
