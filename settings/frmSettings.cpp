#include "settings/frmSettings.h"

#include "platform/Controls.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"
#include "settings/NumberText.h"
#include "settings/SettingsKeys.h"
#include "settings/TypedLineEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using Controls::make;

namespace {

// The Ka carrier: digits and one decimal point, at most six characters.
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

frmSettings::frmSettings(QWidget* owner)
    : OwnerCentredDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    if (owner)
        setWindowIcon(owner->windowIcon());
    setFixedSize(Twips::toPixels(4005), Twips::toPixels(5805));
    createControls();
    connect(Command1, &QPushButton::clicked, this, &frmSettings::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSettings::Command2_Click);
    connect(Text3, &TypedLineEdit::focusLost, this, &frmSettings::Text3_LostFocus);
    Form_Load();
}

void frmSettings::createControls()
{
    using Twips::rect;
    const QFont bold = Fonts::designed(QStringLiteral("Arial"), 9.75, true);
    const QFont listFont = Fonts::designed(QStringLiteral("Fixedsys"), 9, false);
    setFont(Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, false));

    Frame3 = make<QGroupBox>(this, "Frame3", rect(135, 135, 3705, 2715));
    Label1 = label(Frame3, "Label1", QStringLiteral("X Frequency"), rect(135, 270, 1455, 285), bold);
    Combo1 = make<QComboBox>(Frame3, "Combo1", rect(1755, 225, 1230, 345));
    Label6 = label(Frame3, "Label6", QStringLiteral("GHz"), rect(3015, 270, 420, 240), bold);
    Label2 = label(Frame3, "Label2", QStringLiteral("K Frequency"), rect(135, 765, 1455, 285), bold);
    Combo2 = make<QComboBox>(Frame3, "Combo2", rect(1755, 720, 1230, 345));
    Label5 = label(Frame3, "Label5", QStringLiteral("GHz"), rect(3015, 765, 420, 240), bold);
    Label3 = label(Frame3, "Label3", QStringLiteral("Ka Frequency"), rect(135, 1260, 1455, 285), bold);
    Text3 = new CarrierBox(Frame3);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setGeometry(rect(1755, 1215, 1185, 315));
    Text3->setFont(bold);
    Text3->setText(QStringLiteral("33.4"));
    Label7 = label(Frame3, "Label7", QStringLiteral("GHz"), rect(3015, 1260, 420, 240), bold);
    Label4 = label(Frame3, "Label4", QStringLiteral("(33.4-36 GHz)"), rect(1755, 1575, 1185, 240), font());
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Check1 = make<QCheckBox>(Frame3, "Check1", rect(810, 2070, 2220, 330));
    Check1->setText(QStringLiteral("Display Frequency"));
    Check1->setFont(bold);

    Frame1 = make<QGroupBox>(this, "Frame1", rect(180, 2970, 3660, 960));
    Frame1->setTitle(QStringLiteral("Units"));
    Frame1->setFont(bold);
    Option1 = make<QRadioButton>(Frame1, "Option1", rect(900, 405, 780, 240));
    Option1->setText(QStringLiteral("MPH"));
    Option2 = make<QRadioButton>(Frame1, "Option2", rect(1890, 405, 780, 240));
    Option2->setText(QStringLiteral("KPH"));

    Frame2 = make<QGroupBox>(this, "Frame2", rect(180, 4050, 3660, 960));
    Label8 = label(Frame2, "Label8", QStringLiteral("Bytes per Cycle"), rect(180, 360, 1545, 240), bold);
    Combo3 = make<QComboBox>(Frame2, "Combo3", rect(1890, 315, 1590, 345));

    for (QComboBox* list : {Combo1, Combo2, Combo3}) {
        list->setEditable(false);
        list->setFont(listFont);
    }

    // Neither button answers Enter or Esc; their access keys are O and C.
    Command1 = make<QPushButton>(this, "Command1", rect(772, 5265, 1140, 330));
    Command1->setText(QStringLiteral("&OK"));
    Command2 = make<QPushButton>(this, "Command2", rect(2092, 5265, 1140, 330));
    Command2->setText(QStringLiteral("&Cancel"));
    for (QPushButton* b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    const QList<QWidget*> order {Option1, Option2, Command1, Command2, Combo3, Check1, Combo2, Combo1, Text3};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmSettings::Form_Load()
{
    showStored(Combo1, Settings::XFreq, Settings::XCarriers);
    showStored(Combo2, Settings::KFreq, Settings::KCarriers);
    showStored(Combo3, Settings::Accuracy, Settings::BytesPerCycle);
    Text3->setText(Settings::read(Settings::KaFreq));
    const bool mph = Settings::unitIsMph(Settings::read(Settings::Unit));
    (mph ? Option1 : Option2)->setChecked(true);
    Check1->setChecked(Settings::showFreqIsOn(Settings::read(Settings::ShowFreq)));
    (mph ? Option1 : Option2)->setFocus();
}

void frmSettings::SaveSettings()
{
    Settings::write(Settings::XFreq, Combo1->currentText());
    Settings::write(Settings::KFreq, Combo2->currentText());
    Settings::write(Settings::KaFreq, Text3->text());
    Settings::write(Settings::Accuracy, Combo3->currentText());
    Settings::write(Settings::Unit, Option1->isChecked() ? QStringLiteral("MPH") : QStringLiteral("KPH"));
    Settings::write(Settings::ShowFreq, Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

// The Ka carrier is clamped here too: its access key presses OK without taking the
// focus from the box, so the box's own clamp would not have run.
void frmSettings::Command1_Click()
{
    Text3_LostFocus();
    SaveSettings();
    accept();
}

void frmSettings::Command2_Click()
{
    reject();
}

// The lower bound is 33, not the 33.4 the hint shows; a value in bounds stays exactly
// as typed.
void frmSettings::Text3_LostFocus()
{
    if (NumberText::leadingValue(Text3->text()) < 33)
        Text3->setText(QStringLiteral("33"));
    if (NumberText::leadingValue(Text3->text()) > 36)
        Text3->setText(QStringLiteral("36"));
}

void frmSettings::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept(); // neither closes the dialog
        return;
    default:
        OwnerCentredDialog::keyPressEvent(event);
    }
}
