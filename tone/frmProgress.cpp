#include "tone/frmProgress.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {

// Layouts are designed in twips, 15 to the pixel.
constexpr double TwipsPerPixel = 15.0;
int px(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

constexpr int BarSteps = 10000; // 0..100 in hundredths, so every step shows

} // namespace

frmProgress::frmProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(px(4680), px(840));

    Label1 = new QLabel(QStringLiteral("Generating Test Tone, Please Wait..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    Label1->setFont(font);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(px(180), px(135), px(4335), px(330));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, BarSteps);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(px(135), px(450), px(4425), px(330));

    // Designed below the lower edge, so it is not seen; a click (or its mnemonic)
    // abandons the tone being written.
    Command1 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(px(1635), px(900), px(1410), px(375));
    connect(Command1, &QPushButton::clicked, this, &frmProgress::Command1_Click);
}

void frmProgress::restart()
{
    value = 0.0f;
    cancelled = false;
    ProgressBar1->setValue(0);
}

void frmProgress::setProgressValue(float newValue)
{
    value = newValue;
}

void frmProgress::showProgress()
{
    ProgressBar1->setValue(static_cast<int>(std::lround(static_cast<double>(value) * (BarSteps / 100))));
}

void frmProgress::placeNear(const QWidget* mainWindow)
{
    if (!mainWindow) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        return;
    }
    const QRect main = mainWindow->frameGeometry();
    const double left = (main.width() - width()) / 2.0 + main.left() + 3500.0 / TwipsPerPixel;
    const double top = main.top() + 1800.0 / TwipsPerPixel;
    move(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));
}

void frmProgress::Command1_Click()
{
    cancelled = true;
    hide();
}
