// The main window's life: construction, start-up checks and shut-down.

#include "mainwindow/frmForksB.h"

#include "assets/Assets.h"
#include "mainwindow/ForkPalette.h"
#include "mainwindow/Form1.h"
#include "mainwindow/SpeedBox.h"
#include "platform/AppDirectory.h"
#include "platform/FileSystem.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>

frmForksB::frmForksB(const QString& applicationDirectory)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      skin(Assets::Skin),
      menuForm(std::make_unique<Form1>(*this, applicationDirectory)),
      playback(*this, applicationDirectory)
{
    setObjectName(QStringLiteral("frmForksB"));
    setWindowTitle(QStringLiteral("Tinevox"));
    setWindowIcon(QIcon(Assets::Icon));
    setFixedSize(Width, MovingHeight);
    // Before the controls, which take their colours from the window.
    setPalette(ForkPalette::make());
    createControls();

    connect(Option1, &QRadioButton::clicked, this, &frmForksB::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &frmForksB::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &frmForksB::Option3_Click);
    connect(Option4, &QRadioButton::clicked, this, &frmForksB::Option4_Click);
    connect(Command1, &QPushButton::clicked, this, &frmForksB::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmForksB::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmForksB::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmForksB::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmForksB::Command5_Click);
    connect(Command7, &QPushButton::clicked, this, &frmForksB::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &frmForksB::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &frmForksB::Command9_Click);
    connect(Text1, &QLineEdit::textChanged, this, &frmForksB::Text1_Change);
    connect(Text2, &QLineEdit::textChanged, this, &frmForksB::Text2_Change);
    connect(Text1, &TypedLineEdit::focusLost, this, &frmForksB::Text1_LostFocus);
    connect(Text2, &TypedLineEdit::focusLost, this, &frmForksB::Text2_LostFocus);
    for (QWidget* w : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label9)})
        w->installEventFilter(this);
}

frmForksB::~frmForksB() = default;

bool frmForksB::FileExists(const QString& sFile) const
{
    return Platform::pathExists(sFile);
}

bool frmForksB::Form_Load()
{
    if (!FileExists(playback.companionPath())) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"),
                        QStringLiteral("Error: Data or files are missing or corrupt.\r\nPlease re-install Tinevox!"),
                        QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.setWindowIcon(windowIcon());
        box.exec();
        return false;
    }
    applyShape();
    InitVolume();
    // The Slider reports the user's changes only after it shows the device's volume,
    // so starting the program never writes the volume back.
    connect(Slider1, &QSlider::valueChanged, this, &frmForksB::Slider1_Change);
    LoadSettings();
    // The first speed box has the first focus, its text selected: a speed typed
    // straight away replaces the restored one.
    Text1->setFocus();
    Text1->selectAll();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(Width / 2, height() / 2));
    return true;
}

void frmForksB::Form_Unload()
{
    if (unloaded)
        return;
    unloaded = true;
    SaveSettings();
    playback.Unload();
}

void frmForksB::closeEvent(QCloseEvent* event)
{
    // A close from the close button, the window manager or the task bar: the same
    // unload, and then the program ends, whatever hidden window is left.
    Form_Unload();
    event->accept();
    QCoreApplication::quit();
}
