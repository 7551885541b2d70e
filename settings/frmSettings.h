#pragma once

#include "settings/OwnerCentredDialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TypedLineEdit;

// The settings dialog: the X, K and Ka carriers, the bytes per cycle, the unit and the
// frequency display. OK writes all six; Cancel and the title bar's close write nothing.
// Built afresh from the store at each opening.
class frmSettings : public OwnerCentredDialog {
    Q_OBJECT
public:
    explicit frmSettings(QWidget* owner);

    void Form_Load();
    void SaveSettings();

    QGroupBox* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label3 = nullptr;
    TypedLineEdit* Text3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* Check1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label8 = nullptr;
    QComboBox* Combo3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

public slots:
    void Command1_Click();
    void Command2_Click();
    void Text3_LostFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
};
