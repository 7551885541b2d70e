// The settings dialog and the About dialog, offscreen.

#include "Version.h"
#include "common/TestEnvironment.h"
#include "mainwindow/AboutNotice.h"
#include "mainwindow/frmAbout.h"
#include "platform/Fonts.h"
#include "settings/SettingsKeys.h"
#include "settings/TypedLineEdit.h"
#include "settings/frmSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

class TestSettingsDialog : public QObject {
    Q_OBJECT

    // The keys in the settings file.
    static QStringList storedKeys()
    {
        const QByteArray file = TestEnvironment::readAll(TestEnvironment::settingsFile());
        QStringList keys;
        for (const QByteArray& line : file.split('\n')) {
            if (line.contains('='))
                keys << QString::fromUtf8(line.left(line.indexOf('=')));
        }
        return keys;
    }

private slots:
    void init() { TestEnvironment::clearSettings(); }

    void emptyStoreShowsTheDefaults()
    {
        frmSettings dialog(nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
        QCOMPARE(dialog.size(), QSize(267, 387));
        QCOMPARE(dialog.Combo1->currentText(), QStringLiteral("10.525"));
        QCOMPARE(dialog.Combo2->currentText(), QStringLiteral("24.150"));
        QCOMPARE(dialog.Text3->text(), QStringLiteral("33.8"));
        QCOMPARE(dialog.Combo3->currentText(), QStringLiteral("10"));
        QVERIFY(dialog.Option1->isChecked());
        QVERIFY(!dialog.Check1->isChecked());
        QCOMPARE(dialog.Combo1->count(), 3);
        QCOMPARE(dialog.Combo3->itemText(4), QStringLiteral("100"));
        QVERIFY(!dialog.Combo1->isEditable());
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));

        // OK without changes writes exactly these six values.
        dialog.Command1->click();
        QCOMPARE(storedKeys().size(), 6);
        QCOMPARE(Settings::read(Settings::XFreq), QStringLiteral("10.525"));
        QCOMPARE(Settings::read(Settings::KFreq), QStringLiteral("24.150"));
        QCOMPARE(Settings::read(Settings::KaFreq), QStringLiteral("33.8"));
        QCOMPARE(Settings::read(Settings::Accuracy), QStringLiteral("10"));
        QCOMPARE(Settings::read(Settings::Unit), QStringLiteral("MPH"));
        QCOMPARE(Settings::read(Settings::ShowFreq), QStringLiteral("0"));
    }

    void storedValuesAndOnesTheProgramNeverWrites()
    {
        Settings::write(Settings::XFreq, QStringLiteral("9.9"));
        Settings::write(Settings::KFreq, QStringLiteral("24.125"));
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        Settings::write(Settings::Unit, QStringLiteral("mph"));
        Settings::write(Settings::ShowFreq, QStringLiteral("1"));
        {
            frmSettings dialog(nullptr);
            QCOMPARE(dialog.Combo1->currentText(), QStringLiteral("9.9"));
            QCOMPARE(dialog.Combo2->currentText(), QStringLiteral("24.125"));
            QCOMPARE(dialog.Combo3->currentText(), QStringLiteral("100"));
            QVERIFY(dialog.Option2->isChecked()); // anything but "MPH" is KPH
            QVERIFY(dialog.Check1->isChecked());
        }
        Settings::write(Settings::XFreq, QStringLiteral("11"));
        Settings::write(Settings::Accuracy, QStringLiteral("7"));
        Settings::write(Settings::ShowFreq, QStringLiteral("yes"));
        frmSettings dialog(nullptr);
        QCOMPARE(dialog.Combo1->currentText(), QStringLiteral("10.525")); // the list's default entry
        QCOMPARE(dialog.Combo3->currentText(), QStringLiteral("10"));
        QVERIFY(!dialog.Check1->isChecked());
    }

    void cancelAndCloseWriteNothing()
    {
        for (int way = 0; way < 2; ++way) {
            TestEnvironment::clearSettings();
            frmSettings dialog(nullptr);
            dialog.Combo1->setCurrentIndex(2);
            dialog.Option2->setChecked(true);
            dialog.Check1->setChecked(true);
            dialog.Text3->setText(QStringLiteral("35"));
            if (way == 0)
                dialog.Command2->click();
            else
                dialog.close();
            QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
        }
    }

    void carrierBoxFilter()
    {
        frmSettings dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.Text3->setFocus();
        dialog.Text3->clear();
        QTest::keyClicks(dialog.Text3, QStringLiteral("3a4.5.6-"));
        QCOMPARE(dialog.Text3->text(), QStringLiteral("34.56")); // letters, signs, a second point refused
        // A point is refused even when the selected text holding the first would go.
        dialog.Text3->selectAll();
        QTest::keyClick(dialog.Text3, '.');
        QCOMPARE(dialog.Text3->text(), QStringLiteral("34.56"));
        QTest::keyClicks(dialog.Text3, QStringLiteral("7")); // replaces the selection
        QTest::keyClicks(dialog.Text3, QStringLiteral("4.12345"));
        QCOMPARE(dialog.Text3->text(), QStringLiteral("74.123")); // six characters at most
        QTest::keyClick(dialog.Text3, Qt::Key_Backspace);
        QCOMPARE(dialog.Text3->text(), QStringLiteral("74.12"));
    }

    void carrierClampOnFocusLoss_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("below") << "32" << "33";
        QTest::newRow("above") << "36.5" << "36";
        QTest::newRow("empty") << "" << "33";
        QTest::newRow("not the hint's 33.4") << "33.2" << "33.2";
        QTest::newRow("inside") << "35.9" << "35.9";
        QTest::newRow("trailing point") << "34." << "34.";
    }
    void carrierClampOnFocusLoss()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        frmSettings dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.Text3->setFocus();
        dialog.Text3->setText(typed);
        // Leaving the box for OK clamps it before it is saved.
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QCOMPARE(Settings::read(Settings::KaFreq), after);
    }

    void enterAndEscapeDoNothing()
    {
        frmSettings dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(&dialog, static_cast<Qt::Key>(key));
            QVERIFY(dialog.isVisible());
        }
        QVERIFY(!dialog.Command1->isDefault() && !dialog.Command1->autoDefault());
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
        QCOMPARE(dialog.focusWidget(), dialog.Option1); // opens in the unit group
    }
};

class TestAboutDialog : public QObject {
    Q_OBJECT
private slots:
    void noticeStructure()
    {
        const QString text = AboutNotice::text();
        QCOMPARE(text.size(), 1489);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
        const QStringList paragraphs = text.chopped(2).split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(paragraphs.size(), 7);
        QCOMPARE(paragraphs.first(), QStringLiteral("Tinevox"));
        QVERIFY(!paragraphs[1].contains(QStringLiteral("\r\n"))); // the one-line rights notice
        for (const QString& paragraph : paragraphs) {
            const QStringList lines = paragraph.split(QStringLiteral("\r\n"));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                QVERIFY2(lines[i].size() <= 76, qPrintable(lines[i]));
                QVERIFY(!lines[i].isEmpty());
                // Broken lines keep their blank; a paragraph's last line has none.
                QCOMPARE(lines[i].endsWith(QLatin1Char(' ')), i + 1 < lines.size());
            }
        }
    }

    void wrapBreaksAtBlanks()
    {
        const QString word = QString(40, QLatin1Char('a'));
        QCOMPARE(AboutNotice::wrap(word + QLatin1Char(' ') + word), (QStringList {word + QLatin1Char(' '), word}));
        QCOMPARE(AboutNotice::wrap(QStringLiteral("short")), QStringList {QStringLiteral("short")});
    }

    void dialog()
    {
        frmAbout about(nullptr);
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.size(), QSize(384, 247));
        QCOMPARE(about.Label3->text(), QStringLiteral("v%1.%2.%3").arg(Platform::VersionMajor).arg(Platform::VersionMinor).arg(Platform::VersionRevision));
        QCOMPARE(frmAbout::versionText(), QStringLiteral("v1.0.0"));
        QCOMPARE(about.Label1->text(), QStringLiteral("Tinevox"));
        QVERIFY(about.Text1->isReadOnly());
        const QString shown = AboutNotice::text().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(about.Text1->toPlainText(), shown);

        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.focusWidget(), about.Command1);
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(about.isVisible());
        about.Text1->setFocus();
        QTest::keyClick(about.Text1, Qt::Key_Return);
        QVERIFY(about.isVisible());
        QCOMPARE(about.Text1->toPlainText(), shown);
        about.Command1->setFocus();
        QTest::keyClick(about.Command1, Qt::Key_Return);
        QVERIFY(!about.isVisible());
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        about.Command1->setFocus();
        QTest::keyClick(about.Command1, Qt::Key_Space);
        QVERIFY(!about.isVisible());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    return TestEnvironment::runAll<TestSettingsDialog, TestAboutDialog>(argc, argv);
}

#include "test_dialogs.moc"
