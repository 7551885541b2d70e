#pragma once

#include "mainwindow/VolumeSlider.h"
#include "platform/WaveOutVolume.h"
#include "settings/MainWindowSettings.h"
#include "tone/TonePlayback.h"

#include <QByteArray>
#include <QPixmap>
#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class Form1;
class SpeedBox;

// The main window: two grey tuning forks cut to their outline, with every control on
// a fork's face. The upper fork carries the first speed, the band, GO and STOP, the
// volume, the title and the three menu labels; the lower fork, shown only in moving
// mode, carries the second speed. The mode is the window's height.
class frmForksB : public QWidget, public ToneInputs, public RestorableWindow {
    Q_OBJECT
public:
    static constexpr int Width = 792;
    static constexpr int MovingHeight = 443;     // 6645 twips
    static constexpr int StationaryHeight = 286; // 4300 twips
    static constexpr int MovingHeightTwips = 6645;
    static constexpr int StationaryHeightTwips = 4300;
    static constexpr int RgnDataSize = 2560;

    explicit frmForksB(const QString& applicationDirectory);
    ~frmForksB() override;

    // Start-up steps before the window is shown. False when the program must end:
    // the companion is missing (the user has been told).
    bool Form_Load();
    // Shut-down steps; runs once, however the window is closed.
    void Form_Unload();

    bool FileExists(const QString& sFile) const;

    // Tone engine
    void Tone();
    void KillOld();
    bool TonePlaying() const { return playback.TonePlaying(); }
    void ShowFreq();
    bool MovingMode() const override;
    void setHeightTwips(int twips);

    // Speed entry
    void DisableGUI();
    void EnableGUI();

    // Settings kept between runs
    void LoadSettings();
    void SaveSettings();

    // Volume
    void InitVolume();
    void SetVolume();

    // Shape
    void FillRegionData();
    QByteArray RgnData;

    // ToneInputs: what a playback reads at the moment it needs it.
    std::optional<Doppler::Band> selectedBand() const override;
    QString firstSpeedText() const override;
    QString secondSpeedText() const override;
    const QWidget* mainWindow() const override { return this; }

    // RestorableWindow: how the stored choices are shown and read back.
    void selectBand(RestorableWindow::Band band) override;
    void setUnitCaptions(const QString& caption) override;
    void setMoving(bool moving) override;
    void setFirstSpeed(const QString& text) override;
    void setSecondSpeed(const QString& text) override;
    void setReadoutsVisible(bool visible) override;
    bool bandSelected(RestorableWindow::Band band) const override;
    QString firstSpeed() const override { return firstSpeedText(); }
    QString secondSpeed() const override { return secondSpeedText(); }

    const TonePlayback& tonePlayback() const { return playback; }
    Form1& menus() { return *menuForm; }

    // Controls, by their designed names.
    QFrame* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    SpeedBox* Text2 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    SpeedBox* Text1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    VolumeSlider* Slider1 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;

public slots:
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Text1_Change();
    void Text2_Change();
    void Text1_LostFocus();
    void Text2_LostFocus();
    void Slider1_Change();
    void Label3_Click();
    void Label4_Click();
    void Label9_Click();

signals:
    // A tone that could not be made was reported to the user.
    void toneFailed(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void applyShape();
    void startDrag(Qt::MouseButton button, const QPointF& globalPosition);
    void endDrag();
    void step(SpeedBox* box, double delta);
    static void applyRangeRule(SpeedBox* box);
    bool isMenuLabel(QObject* object) const;

    QPixmap skin;
    std::unique_ptr<Form1> menuForm;
    TonePlayback playback;
    Platform::WaveOutVolume volume;
    bool unloaded = false;
    // A move by hand: for buttons other than the left, and for desktops without a
    // window manager that moves windows. It lasts while dragButton is held.
    bool movingByHand = false;
    Qt::MouseButton dragButton = Qt::NoButton;
    QPoint grabOffset;
};
