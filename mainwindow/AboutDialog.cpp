#include "mainwindow/AboutDialog.h"

#include "Version.h"
#include "assets/Assets.h"
#include "mainwindow/AboutNotice.h"
#include "mainwindow/BackedPictureLabel.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

AboutDialog::AboutDialog(QWidget* owner)
    : OwnerCentredDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    using Twips::rect;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(Assets::programIcon());
    setFixedSize(Twips::toPixels(5760), Twips::toPixels(3705));
    setFont(Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, false));

    noticeBox = new QPlainTextEdit(this);
    noticeBox->setObjectName(QStringLiteral("Text1"));
    noticeBox->setAccessibleName(QStringLiteral("Disclaimer and terms of use"));
    noticeBox->setGeometry(rect(150, 1665, 5460, 1320));
    noticeBox->setReadOnly(true);
    noticeBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Lines wrap at the box's width, as in a multi-line text box: only a vertical
    // scroll bar. The box holds each paragraph as one line: the notice's own breaks
    // at 76 characters, wrapped again at a narrower box, would leave a word or two on
    // a line of its own.
    noticeBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    noticeBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    noticeBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    noticeBox->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    noticeBox->setPlainText(AboutNotice::flowingText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    okButton = new QPushButton(QStringLiteral("&OK"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setGeometry(QRect(146, 213, 91, 25)); // 2198 twips: half a pixel left of centre
    // Neither a default nor a cancel button: Enter and the space bar press it only
    // while it has the focus.
    okButton->setDefault(false);
    okButton->setAutoDefault(false);

    versionLabel = new QLabel(QStringLiteral("Label3"), this);
    versionLabel->setObjectName(QStringLiteral("Label3"));
    versionLabel->setGeometry(rect(4320, 810, 1275, 240));

    radarGunPicture = new BackedPictureLabel(this);
    radarGunPicture->setObjectName(QStringLiteral("Image2"));
    radarGunPicture->setGeometry(rect(180, 45, 1530, 795));
    radarGunPicture->setPixmap(Assets::picture(Assets::RadarGun));

    creditLabel = new QLabel(QStringLiteral("by Tinevox"), this);
    creditLabel->setObjectName(QStringLiteral("Label2"));
    creditLabel->setGeometry(rect(1905, 1215, 1950, 240));
    creditLabel->setFont(Fonts::designed(QStringLiteral("Arial"), 9.75, true));
    creditLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    titleLabel = new QLabel(QStringLiteral("Tinevox"), this);
    titleLabel->setObjectName(QStringLiteral("Label1"));
    titleLabel->setGeometry(rect(1530, 45, 3795, 690));
    titleLabel->setFont(Fonts::designed(QStringLiteral("Impact"), 30, false, true));
    titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    setTabOrder(okButton, noticeBox);
    connect(okButton, &QPushButton::clicked, this, &AboutDialog::onOkClicked);
    load();
    okButton->setFocus();
}

QString AboutDialog::versionText()
{
    return QStringLiteral("v%1.%2.%3").arg(Platform::VersionMajor).arg(Platform::VersionMinor).arg(Platform::VersionRevision);
}

void AboutDialog::load()
{
    versionLabel->setText(versionText());
}

void AboutDialog::onOkClicked()
{
    accept();
}

void AboutDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept(); // OK is no cancel button
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusWidget() == okButton)
            okButton->click();
        event->accept();
        return;
    default:
        break;
    }
    OwnerCentredDialog::keyPressEvent(event);
}
