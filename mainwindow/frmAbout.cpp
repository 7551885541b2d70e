#include "mainwindow/frmAbout.h"

#include "Version.h"
#include "assets/Assets.h"
#include "mainwindow/AboutNotice.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

frmAbout::frmAbout(QWidget* owner)
    : OwnerCentredDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    using Twips::rect;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QIcon(Assets::Icon));
    setFixedSize(Twips::toPixels(5760), Twips::toPixels(3705));
    setFont(Fonts::designed(QStringLiteral("MS Sans Serif"), 8.25, false));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(rect(150, 1665, 5460, 1320));
    Text1->setReadOnly(true);
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Lines wrap at the box's width, as in a multi-line text box: only a vertical
    // scroll bar.
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Text1->setPlainText(AboutNotice::text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(QRect(146, 213, 91, 25)); // 2198 twips: half a pixel left of centre
    // Neither a default nor a cancel button: Enter and the space bar press it only
    // while it has the focus.
    Command1->setDefault(false);
    Command1->setAutoDefault(false);

    Label3 = new QLabel(QStringLiteral("Label3"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(rect(4320, 810, 1275, 240));

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(rect(180, 45, 1530, 795));
    Image2->setPixmap(QPixmap(Assets::RadarGun));

    Label2 = new QLabel(QStringLiteral("by Tinevox"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(rect(1905, 1215, 1950, 240));
    Label2->setFont(Fonts::designed(QStringLiteral("Arial"), 9.75, true));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    Label1 = new QLabel(QStringLiteral("Tinevox"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(rect(1530, 45, 3795, 690));
    Label1->setFont(Fonts::designed(QStringLiteral("Impact"), 30, false, true));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    setTabOrder(Command1, Text1);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    Form_Load();
    Command1->setFocus();
}

QString frmAbout::versionText()
{
    return QStringLiteral("v%1.%2.%3").arg(Platform::VersionMajor).arg(Platform::VersionMinor).arg(Platform::VersionRevision);
}

void frmAbout::Form_Load()
{
    Label3->setText(versionText());
}

void frmAbout::Command1_Click()
{
    accept();
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept(); // OK is no cancel button
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusWidget() == Command1)
            Command1->click();
        event->accept();
        return;
    default:
        break;
    }
    OwnerCentredDialog::keyPressEvent(event);
}
