#include "mainwindow/AboutDialog.h"

#include "Version.h"
#include "assets/Assets.h"
#include "mainwindow/AboutNotice.h"
#include "mainwindow/BackedPictureLabel.h"
#include "widgets/Controls.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using Controls::make;

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* l = make<QLabel>(parent, name, place);
    l->setText(caption);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return l;
}

} // namespace

AboutDialog::AboutDialog(QWidget* owner)
    : OwnerCentredDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    using Twips::rect;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(Assets::programIcon());
    setFixedSize(Twips::toPixels(5760), Twips::toPixels(3705));
    setFont(Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, false));

    auto* noticeBox = make<QPlainTextEdit>(this, "Text1", rect(150, 1665, 5460, 1320));
    noticeBox->setAccessibleName(QStringLiteral("Disclaimer and terms of use"));
    noticeBox->setReadOnly(true);
    noticeBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Each paragraph is one line that wraps at the box's width, under a vertical scroll
    // bar only: the notice's own breaks, wrapped again, would leave words on lines alone.
    noticeBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    noticeBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    noticeBox->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    noticeBox->setPlainText(AboutNotice::flowingText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    // 2198 twips: half a pixel left of centre. Neither a default nor a cancel button.
    okButton = make<QPushButton>(this, "Command1", QRect(146, 213, 91, 25));
    okButton->setText(QStringLiteral("&OK"));
    okButton->setAutoDefault(false);

    make<QLabel>(this, "Label3", rect(4320, 810, 1275, 240))->setText(versionText());
    make<BackedPictureLabel>(this, "Image2", rect(180, 45, 1530, 795))->setPixmap(Assets::picture(Assets::RadarGun));
    label(this, "Label2", QStringLiteral("by Tinevox"), rect(1905, 1215, 1950, 240))
        ->setFont(Fonts::designed(QStringLiteral("Arial"), 9.75, true));
    label(this, "Label1", QStringLiteral("Tinevox"), rect(1530, 45, 3795, 690))
        ->setFont(Fonts::designed(QStringLiteral("Impact"), 30, false, true));

    setTabOrder(okButton, noticeBox);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    okButton->setFocus();
}

QString AboutDialog::versionText()
{
    return QStringLiteral("v%1.%2.%3").arg(Platform::VersionMajor).arg(Platform::VersionMinor).arg(Platform::VersionRevision);
}

// Escape does not close it (OK is no cancel button); Enter presses OK only while it has
// the focus.
void AboutDialog::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter)
        return OwnerCentredDialog::keyPressEvent(event);
    if (key != Qt::Key_Escape && focusWidget() == okButton)
        okButton->click();
    event->accept();
}
