#pragma once

#include "platform/SettingsStore.h"
#include "widgets/OwnerCentredDialog.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TypedLineEdit;

// The settings dialog: the X, K and Ka carriers, the bytes per cycle, the unit and the
// frequency display. OK writes all six, and says so when the store would not take them;
// Cancel and the title bar's close write nothing. Built afresh from the store at each
// opening.
class SettingsDialog : public OwnerCentredDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* owner);

private slots:
    void onOkClicked();
    void onCancelClicked();
    void onBandKaCarrierFocusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    // Shows the stored settings; writes them back from the controls.
    void load();
    std::optional<Platform::SettingsNotSaved> saveSettings();

    QGroupBox* carrierGroup = nullptr;
    QLabel* bandXCarrierLabel = nullptr;
    QComboBox* bandXCarrierList = nullptr;
    QLabel* bandXCarrierUnitLabel = nullptr;
    QLabel* bandKCarrierLabel = nullptr;
    QComboBox* bandKCarrierList = nullptr;
    QLabel* bandKCarrierUnitLabel = nullptr;
    QLabel* bandKaCarrierLabel = nullptr;
    TypedLineEdit* bandKaCarrierBox = nullptr;
    QLabel* bandKaCarrierUnitLabel = nullptr;
    QLabel* bandKaCarrierRangeLabel = nullptr;
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
