#pragma once

#include "mainwindow/ForkWindowPlaces.h"
#include "mainwindow/VolumeSlider.h"
#include "platform/SinkVolume.h"
#include "platform/sound/SoundServerConnection.h"
#include "mainwindow/MainWindowSettings.h"
#include "tone/TonePlayback.h"
#include "tone/ToneRequest.h"
#include "widgets/Twips.h"

#include <QPixmap>
#include <QWidget>

#include <memory>

class BandGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class MainMenus;
class QMenu;
class MenuLabel;
class SpeedEntry;
class ToneProgressDialog;

// The main window: two grey tuning forks cut to their outline, with every control on
// a fork's face. The upper fork carries the first speed, the band, GO and STOP, the
// volume, the title and the three menu labels; the lower fork, shown only in moving
// mode, carries the second speed. The mode is the height the program gives its window
// (the Mode menu, the restored setting), whatever height a window manager imposes.
class ForkWindow : public QWidget, public RestorableWindow {
    Q_OBJECT
public:
    static constexpr int Width = ForkWindowPlaces::WindowWidth;
    static constexpr int MovingHeightTwips = 6645;
    static constexpr int StationaryHeightTwips = 4300;
    static constexpr int MovingHeight = Twips::toPixels(MovingHeightTwips);         // 443
    static constexpr int StationaryHeight = Twips::toPixels(StationaryHeightTwips); // 286

    explicit ForkWindow(const QString& applicationDirectory);
    ~ForkWindow() override;

    // Start-up steps before the window is shown. False when the program must end:
    // the companion is missing (the user has been told).
    bool load();
    // Who ends the program: the user, in front of the window, or the system (a logout,
    // kill, Ctrl+C), when perhaps no one is; or the loss of the display (the X server
    // died), after which no X call may be made and the program ends at once.
    enum class Ending { ByUser, BySystem, DisplayLost };
    // Shut-down steps; runs once, however the window is closed. Settings that could not
    // be saved are reported: in a box to the user, on stderr when the system ends it.
    void unload(Ending ending = Ending::ByUser);
    // The same shut-down as a close, for a request to end that comes as a signal.
    void endAtSystemRequest();

    // The frequency readouts, brought up to date from the band and the speeds.
    void showFrequencies();
    bool isTonePlaying() const { return playback.isTonePlaying(); }
    bool isMovingMode() const;
    void setHeightTwips(int twips);

    // While a tone plays the speeds, their step buttons and the band cannot change.
    void lockSpeedEntry(bool locked = true);

    // The outline in the device pixels of a screen with this device pixel ratio: the
    // mask itself at 1, the finer outline drawn for 2, and that one scaled otherwise.
    QRegion outlineInDevicePixels(qreal devicePixelRatio) const;

    // RestorableWindow: how the stored choices are shown and read back.
    void selectBand(Doppler::Band band) override;
    void setUnitCaptions(const QString& caption) override;
    void setMoving(bool moving) override;
    void setFirstSpeed(const QString& text) override;
    void setSecondSpeed(const QString& text) override;
    void setReadoutsVisible(bool visible) override;
    bool bandSelected(Doppler::Band band) const override;
    QString firstSpeed() const override;
    QString secondSpeed() const override;

    MainMenus& menus() { return *mainMenus; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onGoClicked();
    void onStopClicked();
    void onToneFailed(const ToneError& error);
    void onSettingsLabelClicked();
    void onModeChosen(bool moving);
    void onMenuLabelClicked(QMenu* menu, const QPoint& popupAt);

private:
    // What GO hands the tone engine: the band, speeds and mode shown now, with the
    // settings as stored now. The readout is computed from the same.
    ToneRequest toneRequest() const;
    std::optional<Doppler::Band> selectedBand() const;
    void showFrequenciesOf(const ToneRequest& request);
    QRadioButton* buttonOfBand(Doppler::Band band) const { return bandButtons[static_cast<qsizetype>(band)]; }
    void createControls();
    void applyShape();
    void applyDeviceShape();
    // Where the window opens on a screen of this available area.
    QPoint startPosition(const QRect& available) const;
    void startDrag(Qt::MouseButton button, const QPointF& globalPosition);
    void endDrag();

    QPixmap skin;
    std::unique_ptr<MainMenus> mainMenus;
    Platform::SoundServerConnection soundServer; // the process's one, for the tone and the volume
    Platform::LoopedSound toneSound;             // the program's one player, for the first tone
    TonePlayback playback;
    std::unique_ptr<ToneProgressDialog> progressDialog; // made at the first GO, kept for the next
    Platform::SinkVolume volume;
    int heightTwips = MovingHeightTwips; // the mode: the height this program gives its window
    bool unloaded = false;
    // A move by hand: for buttons other than the left, and for desktops without a
    // window manager that moves windows. It lasts while dragButton is held.
    bool movingByHand = false;
    Qt::MouseButton dragButton = Qt::NoButton;
    QPoint grabOffset;

    // The controls; each also carries its designed name as its object name.
    BandGroup* bandFrame = nullptr;
    QList<QRadioButton*> bandButtons; // in the order of Doppler::Bands
    SpeedEntry* firstEntry = nullptr;
    SpeedEntry* secondEntry = nullptr; // of the second tone, in moving mode
    QPushButton* goButton = nullptr;
    QPushButton* stopButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* minimiseButton = nullptr;
    VolumeSlider* volumeSlider = nullptr;
    QLabel* titleLabel = nullptr;
    QLabel* radarGunPicture = nullptr;
    MenuLabel* modeLabel = nullptr;
    MenuLabel* settingsLabel = nullptr;
    MenuLabel* helpLabel = nullptr;
};
