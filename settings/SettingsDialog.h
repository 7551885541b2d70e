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
class SettingsDialog : public OwnerCentredDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* owner);

private slots:
    void onOkClicked();
    void onCancelClicked();
    void onKaCarrierFocusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    // Shows the stored settings; writes them back from the controls.
    void load();
    void saveSettings();

    QGroupBox* carrierGroup = nullptr;
    QLabel* xCarrierLabel = nullptr;
    QComboBox* xCarrierList = nullptr;
    QLabel* xCarrierUnitLabel = nullptr;
    QLabel* kCarrierLabel = nullptr;
    QComboBox* kCarrierList = nullptr;
    QLabel* kCarrierUnitLabel = nullptr;
    QLabel* kaCarrierLabel = nullptr;
    TypedLineEdit* kaCarrierBox = nullptr;
    QLabel* kaCarrierUnitLabel = nullptr;
    QLabel* kaCarrierRangeLabel = nullptr;
    QCheckBox* showFrequencyBox = nullptr;
    QGroupBox* unitGroup = nullptr;
    QRadioButton* mphButton = nullptr;
    QRadioButton* kphButton = nullptr;
    QGroupBox* bytesPerCycleGroup = nullptr;
    QLabel* bytesPerCycleLabel = nullptr;
    QComboBox* bytesPerCycleList = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
