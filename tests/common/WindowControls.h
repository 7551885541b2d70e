#pragma once

// The controls of the main window and its dialogs, by their designed names.

#include "common/DesignedControls.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/VolumeSlider.h"
#include "widgets/TypedLineEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

// The main window.
struct ForkControls {
    explicit ForkControls(const QObject* w)
        : bandFrame(DesignedControls::find<QFrame>(w, "Frame1")),
          bandX(DesignedControls::find<QRadioButton>(w, "Option1")),
          bandK(DesignedControls::find<QRadioButton>(w, "Option2")),
          bandKa(DesignedControls::find<QRadioButton>(w, "Option3")),
          bandKu(DesignedControls::find<QRadioButton>(w, "Option4")),
          minimiseButton(DesignedControls::find<QPushButton>(w, "Command9")),
          secondSpeedDownButton(DesignedControls::find<QPushButton>(w, "Command7")),
          secondSpeedUpButton(DesignedControls::find<QPushButton>(w, "Command8")),
          secondSpeedBox(DesignedControls::find<SpeedBox>(w, "Text2")),
          closeButton(DesignedControls::find<QPushButton>(w, "Command5")),
          goButton(DesignedControls::find<QPushButton>(w, "Command1")),
          stopButton(DesignedControls::find<QPushButton>(w, "Command2")),
          firstSpeedBox(DesignedControls::find<SpeedBox>(w, "Text1")),
          firstSpeedUpButton(DesignedControls::find<QPushButton>(w, "Command3")),
          firstSpeedDownButton(DesignedControls::find<QPushButton>(w, "Command4")),
          volumeSlider(DesignedControls::find<VolumeSlider>(w, "Slider1")),
          helpLabel(DesignedControls::find<QLabel>(w, "Label9")),
          secondFrequencyLabel(DesignedControls::find<QLabel>(w, "Label11")),
          firstFrequencyLabel(DesignedControls::find<QLabel>(w, "Label6")),
          modeLabel(DesignedControls::find<QLabel>(w, "Label4")),
          creditLabel(DesignedControls::find<QLabel>(w, "Label2")),
          radarGunPicture(DesignedControls::find<QLabel>(w, "Image2")),
          secondUnitLabel(DesignedControls::find<QLabel>(w, "Label8")),
          volumeLabel(DesignedControls::find<QLabel>(w, "Label7")),
          settingsLabel(DesignedControls::find<QLabel>(w, "Label3")),
          firstUnitLabel(DesignedControls::find<QLabel>(w, "Label5")),
          titleLabel(DesignedControls::find<QLabel>(w, "Label1"))
    {
    }
    QFrame* bandFrame;
    QRadioButton* bandX;
    QRadioButton* bandK;
    QRadioButton* bandKa;
    QRadioButton* bandKu;
    QPushButton* minimiseButton;
    QPushButton* secondSpeedDownButton;
    QPushButton* secondSpeedUpButton;
    SpeedBox* secondSpeedBox;
    QPushButton* closeButton;
    QPushButton* goButton;
    QPushButton* stopButton;
    SpeedBox* firstSpeedBox;
    QPushButton* firstSpeedUpButton;
    QPushButton* firstSpeedDownButton;
    VolumeSlider* volumeSlider;
    QLabel* helpLabel;
    QLabel* secondFrequencyLabel;
    QLabel* firstFrequencyLabel;
    QLabel* modeLabel;
    QLabel* creditLabel;
    QLabel* radarGunPicture;
    QLabel* secondUnitLabel;
    QLabel* volumeLabel;
    QLabel* settingsLabel;
    QLabel* firstUnitLabel;
    QLabel* titleLabel;
};

template <typename W>
ForkControls forkControls(const W& window)
{
    return ForkControls(DesignedControls::object(window));
}

// The settings dialog.
struct SettingsControls {
    explicit SettingsControls(const QObject* w)
        : carrierGroup(DesignedControls::find<QGroupBox>(w, "Frame3")),
          bandXCarrierLabel(DesignedControls::find<QLabel>(w, "Label1")),
          bandXCarrierList(DesignedControls::find<QComboBox>(w, "Combo1")),
          bandXCarrierUnitLabel(DesignedControls::find<QLabel>(w, "Label6")),
          bandKCarrierLabel(DesignedControls::find<QLabel>(w, "Label2")),
          bandKCarrierList(DesignedControls::find<QComboBox>(w, "Combo2")),
          bandKCarrierUnitLabel(DesignedControls::find<QLabel>(w, "Label5")),
          bandKaCarrierLabel(DesignedControls::find<QLabel>(w, "Label3")),
          bandKaCarrierBox(DesignedControls::find<TypedLineEdit>(w, "Text3")),
          bandKaCarrierUnitLabel(DesignedControls::find<QLabel>(w, "Label7")),
          bandKaCarrierRangeLabel(DesignedControls::find<QLabel>(w, "Label4")),
          showFrequencyBox(DesignedControls::find<QCheckBox>(w, "Check1")),
          unitGroup(DesignedControls::find<QGroupBox>(w, "Frame1")),
          mphButton(DesignedControls::find<QRadioButton>(w, "Option1")),
          kphButton(DesignedControls::find<QRadioButton>(w, "Option2")),
          bytesPerCycleGroup(DesignedControls::find<QGroupBox>(w, "Frame2")),
          bytesPerCycleLabel(DesignedControls::find<QLabel>(w, "Label8")),
          bytesPerCycleList(DesignedControls::find<QComboBox>(w, "Combo3")),
          okButton(DesignedControls::find<QPushButton>(w, "Command1")),
          cancelButton(DesignedControls::find<QPushButton>(w, "Command2"))
    {
    }
    QGroupBox* carrierGroup;
    QLabel* bandXCarrierLabel;
    QComboBox* bandXCarrierList;
    QLabel* bandXCarrierUnitLabel;
    QLabel* bandKCarrierLabel;
    QComboBox* bandKCarrierList;
    QLabel* bandKCarrierUnitLabel;
    QLabel* bandKaCarrierLabel;
    TypedLineEdit* bandKaCarrierBox;
    QLabel* bandKaCarrierUnitLabel;
    QLabel* bandKaCarrierRangeLabel;
    QCheckBox* showFrequencyBox;
    QGroupBox* unitGroup;
    QRadioButton* mphButton;
    QRadioButton* kphButton;
    QGroupBox* bytesPerCycleGroup;
    QLabel* bytesPerCycleLabel;
    QComboBox* bytesPerCycleList;
    QPushButton* okButton;
    QPushButton* cancelButton;
};

template <typename W>
SettingsControls settingsControls(const W& window)
{
    return SettingsControls(DesignedControls::object(window));
}

// The About dialog.
struct AboutControls {
    explicit AboutControls(const QObject* w)
        : noticeBox(DesignedControls::find<QPlainTextEdit>(w, "Text1")),
          okButton(DesignedControls::find<QPushButton>(w, "Command1")),
          versionLabel(DesignedControls::find<QLabel>(w, "Label3")),
          radarGunPicture(DesignedControls::find<QLabel>(w, "Image2")),
          creditLabel(DesignedControls::find<QLabel>(w, "Label2")),
          titleLabel(DesignedControls::find<QLabel>(w, "Label1"))
    {
    }
    QPlainTextEdit* noticeBox;
    QPushButton* okButton;
    QLabel* versionLabel;
    QLabel* radarGunPicture;
    QLabel* creditLabel;
    QLabel* titleLabel;
};

template <typename W>
AboutControls aboutControls(const W& window)
{
    return AboutControls(DesignedControls::object(window));
}
