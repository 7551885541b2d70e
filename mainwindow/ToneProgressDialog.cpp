#include "mainwindow/ToneProgressDialog.h"

#include "widgets/Twips.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {

constexpr int BarSteps = 10000; // 0..100 in hundredths, so every step shows

} // namespace

ToneProgressDialog::ToneProgressDialog(const QWidget* window)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), mainWindow(window)
{
    setObjectName(QStringLiteral("frmProgress"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(Twips::toPixels(4680), Twips::toPixels(840));

    auto* captionLabel = new QLabel(QStringLiteral("Generating Test Tone, Please Wait..."), this);
    captionLabel->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    captionLabel->setFont(font);
    captionLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    captionLabel->setGeometry(Twips::rect(180, 135, 4335, 330));

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar->setRange(0, BarSteps);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setGeometry(Twips::rect(135, 450, 4425, 330));

    // Designed below the lower edge, so it is not seen; a click (or its mnemonic)
    // abandons the tone being written.
    auto* cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("Command1"));
    cancelButton->setGeometry(Twips::rect(1635, 900, 1410, 375));
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        hide();
        emit cancelled();
    });
}

void ToneProgressDialog::showProgress(double fraction)
{
    show();
    placeNear(mainWindow);
    // The full bar is not painted: the dialog closes at once.
    if (fraction >= 1.0)
        return;
    // The bar spans 0 to 100, each step a single-precision value.
    const float value = static_cast<float>(100.0 * fraction);
    progressBar->setValue(static_cast<int>(std::lround(static_cast<double>(value) * (BarSteps / 100))));
}

void ToneProgressDialog::finishFile()
{
    hide();
    progressBar->setValue(0);
}

void ToneProgressDialog::placeNear(const QWidget* window)
{
    if (!window) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        return;
    }
    const QRect main = window->frameGeometry();
    // The offsets keep their fractions until the sum is rounded.
    const double left = (main.width() - width()) / 2.0 + main.left() + Twips::toExactPixels(3500);
    const double top = main.top() + Twips::toExactPixels(1800);
    move(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));
}
