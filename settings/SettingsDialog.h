#pragma once

#include "platform/SettingsStore.h"
#include "widgets/OwnerCentredDialog.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class TypedLineEdit;

// The settings dialog: the X, K and Ka carriers, the bytes per cycle, the unit and the
// frequency display, built afresh from the store at each opening. OK writes all six and
// says so when the store would not take them; Cancel and the title bar write nothing.
class SettingsDialog : public OwnerCentredDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* owner);

private slots:
    void onOkClicked();
    void onBandKaCarrierFocusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Returns OK and Cancel.
    std::pair<QPushButton*, QPushButton*> createControls();
    // Shows the stored settings; writes them back from the controls.
    void load();
    std::optional<Platform::SettingsNotSaved> saveSettings();

    QComboBox* bandXCarrierList = nullptr;
    QComboBox* bandKCarrierList = nullptr;
    TypedLineEdit* bandKaCarrierBox = nullptr;
    QCheckBox* showFrequencyBox = nullptr;
    QRadioButton* mphButton = nullptr;
    QRadioButton* kphButton = nullptr;
    QComboBox* bytesPerCycleList = nullptr;
};
