// The main window's life: construction, start-up checks and shut-down.

#include "mainwindow/ForkWindow.h"

#include "assets/Assets.h"
#include "mainwindow/BandGroup.h"
#include "mainwindow/ForkPalette.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MenuLabel.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/SpeedEntry.h"
#include "mainwindow/ToneProgressDialog.h"
#include "settings/NotSavedReport.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>

#include <algorithm>

ForkWindow::ForkWindow(const QString& applicationDirectory)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      skin(Assets::picture(Assets::Skin)),
      mainMenus(std::make_unique<MainMenus>(this, applicationDirectory)),
      toneSound(soundServer),
      playback(toneSound, applicationDirectory),
      volume(soundServer)
{
    setObjectName(QStringLiteral("frmForksB"));
    setWindowTitle(QStringLiteral("Tinevox"));
    setWindowIcon(Assets::programIcon());
    setFixedSize(Width, MovingHeight);
    // Before the controls, which take their colours from the window.
    setPalette(ForkPalette::make());
    createControls();

    // A band or a speed changed: the readouts follow.
    for (QRadioButton* band : bandButtons)
        connect(band, &QRadioButton::clicked, this, &ForkWindow::showFrequencies);
    for (SpeedEntry* entry : {firstEntry, secondEntry})
        connect(entry, &SpeedEntry::textChanged, this, &ForkWindow::showFrequencies);
    connect(goButton, &QPushButton::clicked, this, &ForkWindow::onGoClicked);
    connect(stopButton, &QPushButton::clicked, this, &ForkWindow::onStopClicked);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(minimiseButton, &QPushButton::clicked, this, [this] { setWindowState(windowState() | Qt::WindowMinimized); });
    connect(settingsLabel, &MenuLabel::activated, this, &ForkWindow::onSettingsLabelClicked);
    connect(modeLabel, &MenuLabel::activated, this, [this](const QPoint& at) { onMenuLabelClicked(mainMenus->modeMenu, at); });
    connect(helpLabel, &MenuLabel::activated, this, [this](const QPoint& at) { onMenuLabelClicked(mainMenus->helpMenu, at); });
    connect(mainMenus.get(), &MainMenus::modeChosen, this, &ForkWindow::onModeChosen);
    connect(&playback, &TonePlayback::failed, this, &ForkWindow::onToneFailed);
    // A playback that ends by itself gives back the window, and says why, without holding
    // up whatever runs now.
    connect(&playback, &TonePlayback::endedByItself, this, [this](const QString& reason) {
        lockSpeedEntry(false);
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tinevox"), reason, QMessageBox::Ok, this);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
}

ForkWindow::~ForkWindow() = default;

bool ForkWindow::load()
{
    // Before anything plays; they are followed from the event loop.
    playback.endLeftoversOfEarlierRun();
    if (!QFileInfo::exists(playback.companionPath())) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"),
                        QStringLiteral("Error: Data or files are missing or corrupt.\r\nPlease re-install Tinevox!"),
                        QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.setWindowIcon(windowIcon());
        box.exec();
        return false;
    }
    applyShape();
    volumeSlider->follow(volume);
    MainWindowSettings::load(*this);
    // A stored speed equal to the design-time text changes nothing and so refreshes
    // nothing: the readout must still name the restored tone.
    showFrequencies();
    // The first speed box has the first focus, its text selected: a speed typed
    // straight away replaces the restored one.
    firstEntry->box()->setFocus();
    firstEntry->box()->selectAll();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(startPosition(screen->availableGeometry()));
    return true;
}

// Centred on the screen. On a screen narrower than the window (a small one at a scale of
// 2) the title strip, from "Mode" to the close button, stays on it, and where even that
// is too wide, its right end with "_" and "X"; the top never lies above the screen's.
QPoint ForkWindow::startPosition(const QRect& available) const
{
    const QPoint centred = available.center() - QPoint(Width / 2, height() / 2);
    const int stripLeft = modeLabel->x(), stripRight = closeButton->geometry().right();
    const int x = std::min(std::max(centred.x(), available.left() - stripLeft), available.right() - stripRight);
    return QPoint(x, std::max(centred.y(), available.top()));
}

void ForkWindow::unload(Ending ending)
{
    if (unloaded)
        return;
    unloaded = true;
    const auto notSaved = MainWindowSettings::save(*this);
    playback.unload(isMovingMode(), ending == Ending::DisplayLost);
    if (!notSaved)
        return;
    const QString message = NotSavedReport::atClose(*notSaved);
    // A box at a logout would hold it up until the session gives up on the program,
    // and no one may be there to read it (without a display none can be shown); stderr
    // ends in the session's log.
    if (ending == Ending::ByUser)
        NotSavedReport::show(this, message);
    else
        qWarning("Tinevox: %s", qUtf8Printable(message));
}

void ForkWindow::endAtSystemRequest()
{
    unload(Ending::BySystem);
    close();
    // Also ends the box of a close the user began: that close is still running, so
    // close() above does nothing.
    QCoreApplication::quit();
}

void ForkWindow::closeEvent(QCloseEvent* event)
{
    // A close from the close button, the window manager or the task bar: the same
    // unload, and then the program ends, whatever hidden window is left.
    unload();
    event->accept();
    QCoreApplication::quit();
}

void ForkWindow::lockSpeedEntry(bool locked)
{
    for (SpeedEntry* entry : {firstEntry, secondEntry})
        entry->setLocked(locked);
    bandFrame->setEnabled(!locked);
}
