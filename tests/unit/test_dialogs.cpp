// The settings dialog, the About dialog and the progress dialog, offscreen.

#include "Version.h"
#include "common/MessageBoxCatcher.h"
#include "common/ProgressControls.h"
#include "common/TestEnvironment.h"
#include "common/WindowControls.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/AboutNotice.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/StoredToneRequest.h"
#include "mainwindow/ToneProgressDialog.h"
#include "widgets/Fonts.h"
#include "tone/NumberText.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsKeys.h"
#include "widgets/TypedLineEdit.h"
#include "tone/DopplerModel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(TestEnvironment::UnwritableSettings::Way)

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
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
        QCOMPARE(dialog.size(), QSize(267, 387));
        QCOMPARE(controls.bandXCarrierList->currentText(), QStringLiteral("10.525"));
        QCOMPARE(controls.bandKCarrierList->currentText(), QStringLiteral("24.150"));
        QCOMPARE(controls.bandKaCarrierBox->text(), QStringLiteral("33.8"));
        QCOMPARE(controls.bytesPerCycleList->currentText(), QStringLiteral("10"));
        QVERIFY(controls.mphButton->isChecked());
        QVERIFY(!controls.showFrequencyBox->isChecked());
        QCOMPARE(controls.bandXCarrierList->count(), 3);
        QCOMPARE(controls.bytesPerCycleList->itemText(4), QStringLiteral("100"));
        QVERIFY(!controls.bandXCarrierList->isEditable());
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));

        // OK without changes writes exactly these six values.
        controls.okButton->click();
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
            SettingsDialog dialog(nullptr);
            const SettingsControls controls = settingsControls(dialog);
            QCOMPARE(controls.bandXCarrierList->currentText(), QStringLiteral("9.9"));
            QCOMPARE(controls.bandKCarrierList->currentText(), QStringLiteral("24.125"));
            QCOMPARE(controls.bytesPerCycleList->currentText(), QStringLiteral("100"));
            QVERIFY(controls.kphButton->isChecked()); // anything but "MPH" is KPH
            QVERIFY(controls.showFrequencyBox->isChecked());
        }
        Settings::write(Settings::XFreq, QStringLiteral("11"));
        Settings::write(Settings::Accuracy, QStringLiteral("7"));
        Settings::write(Settings::ShowFreq, QStringLiteral("yes"));
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        QCOMPARE(controls.bandXCarrierList->currentText(), QStringLiteral("10.525")); // the list's default entry
        QCOMPARE(controls.bytesPerCycleList->currentText(), QStringLiteral("10"));
        QVERIFY(!controls.showFrequencyBox->isChecked());
    }

    void cancelAndCloseWriteNothing()
    {
        for (int way = 0; way < 2; ++way) {
            TestEnvironment::clearSettings();
            SettingsDialog dialog(nullptr);
            const SettingsControls controls = settingsControls(dialog);
            controls.bandXCarrierList->setCurrentIndex(2);
            controls.kphButton->setChecked(true);
            controls.showFrequencyBox->setChecked(true);
            controls.bandKaCarrierBox->setText(QStringLiteral("35"));
            if (way == 0)
                controls.cancelButton->click();
            else
                dialog.close();
            QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
        }
    }

    // OK still closes and the values still apply for this run, but the user learns that
    // the next start will not have them, and where and why.
    void okSaysWhenTheStoreCannotBeWritten_data()
    {
        using Way = TestEnvironment::UnwritableSettings::Way;
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder under a file") << Way::FolderUnderAFile << "because <plain> is a file";
        QTest::newRow("folder named as the file") << Way::FolderNamedAsTheFile << "a folder has the file's name";
    }
    void okSaysWhenTheStoreCannotBeWritten()
    {
        QFETCH(TestEnvironment::UnwritableSettings::Way, way);
        QFETCH(QString, reason);
        const TestEnvironment::UnwritableSettings store(way);
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        dialog.show();
        controls.bandXCarrierList->setCurrentIndex(2);
        controls.kphButton->setChecked(true);
        MessageBoxCatcher catcher;
        catcher.arm();
        controls.okButton->click();
        QCOMPARE(catcher.seen, 1);
        QCOMPARE(catcher.icon, QMessageBox::Warning);
        QCOMPARE(catcher.format, Qt::PlainText);
        const QString plain = QFileInfo(store.file()).absolutePath().section(QLatin1Char('/'), 0, -2);
        QVERIFY2(catcher.text.contains(reason.replace(QStringLiteral("<plain>"), plain)), qPrintable(catcher.text));
        QVERIFY2(catcher.text.endsWith(QLatin1Char('\n') + QStringLiteral("Settings file: ") + store.file()),
                 qPrintable(catcher.text));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Settings::read(Settings::XFreq), QStringLiteral("9.9"));
        QCOMPARE(Settings::read(Settings::Unit), QStringLiteral("KPH"));
    }

    void carrierBoxFilter()
    {
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        controls.bandKaCarrierBox->setFocus();
        controls.bandKaCarrierBox->clear();
        QTest::keyClicks(controls.bandKaCarrierBox, QStringLiteral("3a4.5.6-"));
        QCOMPARE(controls.bandKaCarrierBox->text(), QStringLiteral("34.56")); // letters, signs, a second point refused
        // A point is refused even when the selected text holding the first would go.
        controls.bandKaCarrierBox->selectAll();
        QTest::keyClick(controls.bandKaCarrierBox, '.');
        QCOMPARE(controls.bandKaCarrierBox->text(), QStringLiteral("34.56"));
        QTest::keyClicks(controls.bandKaCarrierBox, QStringLiteral("7")); // replaces the selection
        QTest::keyClicks(controls.bandKaCarrierBox, QStringLiteral("4,12345")); // a decimal comma is the point
        QCOMPARE(controls.bandKaCarrierBox->text(), QStringLiteral("74.123")); // six characters at most
        QTest::keyClick(controls.bandKaCarrierBox, Qt::Key_Backspace);
        QCOMPARE(controls.bandKaCarrierBox->text(), QStringLiteral("74.12"));
    }

    void carrierClampOnFocusLoss_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("accessKey"); // Alt+O: OK without leaving the box
        for (bool accessKey : {false, true}) {
            const char* way = accessKey ? "Alt+O" : "click";
            QTest::addRow("below, %s", way) << "32" << "33" << accessKey;
            QTest::addRow("above, %s", way) << "40" << "36" << accessKey;
            QTest::addRow("inside, %s", way) << "35.9" << "35.9" << accessKey;
        }
        QTest::newRow("above by a half") << "36.5" << "36" << false;
        QTest::newRow("empty") << "" << "33" << false;
        QTest::newRow("not the hint's 33.4") << "33.2" << "33.2" << false;
        QTest::newRow("trailing point") << "34." << "34." << false;
    }
    void carrierClampOnFocusLoss()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(bool, accessKey);
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        controls.bandKaCarrierBox->setFocus();
        controls.bandKaCarrierBox->setText(typed);
        // Leaving the box for OK, or OK's access key, clamps it before it is saved.
        if (accessKey)
            QTest::keyClick(controls.bandKaCarrierBox, Qt::Key_O, Qt::AltModifier);
        else
            QTest::mouseClick(controls.okButton, Qt::LeftButton);
        QTRY_VERIFY(!dialog.isVisible()); // a pressed access key clicks a moment later
        QCOMPARE(Settings::read(Settings::KaFreq), after);
    }

    // A stored carrier that is no entry of its list is shown as the list's default,
    // and the tone is made from that same default.
    void dialogAndToneUseTheSameCarrier_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("used");
        const int x = int(Doppler::Band::X), k = int(Doppler::Band::K);
        QTest::newRow("X entry") << x << "9.41" << "9.41";
        QTest::newRow("X hand-edited") << x << "99" << "10.525";
        QTest::newRow("K entry") << k << "24.125" << "24.125";
        QTest::newRow("K hand-edited") << k << "99" << "24.150";
        QTest::newRow("K same number, other text") << k << "24.15" << "24.150";
        QTest::newRow("K with a blank") << k << "24.125 " << "24.150";
    }
    void dialogAndToneUseTheSameCarrier()
    {
        QFETCH(int, band);
        QFETCH(QString, stored);
        QFETCH(QString, used);
        const auto which = Doppler::Band(band);
        Settings::write(which == Doppler::Band::X ? Settings::XFreq : Settings::KFreq, stored);
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        QCOMPARE((which == Doppler::Band::X ? controls.bandXCarrierList : controls.bandKCarrierList)->currentText(), used);
        QCOMPARE(storedCarrier(which), used);
        ToneRequest request;
        request.band = which;
        QCOMPARE(Doppler::dopplerConstant(withStoredSettings(request)), NumberText::toDouble(Doppler::DopplerConst(used)));
    }

    // What GO and the readout take from the store besides the controls: the band's
    // carrier (without a key the band table's; Ku has none), the unit and "Accuracy",
    // each as stored at that moment.
    void toneRequestTakesTheStoreAsItIsNow_data()
    {
        QTest::addColumn<int>("band"); // -1: none selected
        QTest::addColumn<bool>("keysStored");
        QTest::addColumn<QString>("carrier");
        const int x = int(Doppler::Band::X), k = int(Doppler::Band::K), ka = int(Doppler::Band::Ka),
                  ku = int(Doppler::Band::Ku);
        QTest::newRow("X without a key") << x << false << "10.525";
        QTest::newRow("K without a key") << k << false << "24.150";
        QTest::newRow("Ka without a key") << ka << false << "33.8";
        QTest::newRow("Ka stored") << ka << true << "35.5";
        QTest::newRow("Ku reads no key") << ku << true << "13.45";
        QTest::newRow("no band, no carrier") << -1 << true << "";
    }
    void toneRequestTakesTheStoreAsItIsNow()
    {
        QFETCH(int, band);
        QFETCH(bool, keysStored);
        QFETCH(QString, carrier);
        if (keysStored) {
            Settings::write(Settings::XFreq, QStringLiteral("9.9"));
            Settings::write(Settings::KFreq, QStringLiteral("24.125"));
            Settings::write(Settings::KaFreq, QStringLiteral("35.5"));
        }
        ToneRequest controls;
        if (band >= 0)
            controls.band = Doppler::Band(band);
        controls.firstSpeed = QStringLiteral("12");
        controls.secondSpeed = QStringLiteral("34");
        controls.moving = true;
        ToneRequest request = withStoredSettings(controls);
        QCOMPARE(request.carrier, carrier);
        QVERIFY(request.milesPerHour);
        QCOMPARE(request.bytesPerCycle, QStringLiteral("10"));
        QCOMPARE(request.band, controls.band);
        QCOMPARE(request.firstSpeed, controls.firstSpeed);
        QCOMPARE(request.secondSpeed, controls.secondSpeed);
        QVERIFY(request.moving);

        Settings::write(Settings::Unit, QStringLiteral("kph"));
        Settings::write(Settings::Accuracy, QStringLiteral("25 bytes"));
        request = withStoredSettings(controls);
        QVERIFY(!request.milesPerHour); // only exactly "MPH" is miles per hour
        QCOMPARE(request.bytesPerCycle, QStringLiteral("25 bytes"));
    }

    // Text that arrives at once goes through the key filter of the speed boxes and of
    // the Ka box: pasted by the keyboard and by the context menu, committed by an input
    // method (compose and dead keys), typed by one key; the menu offers nothing else
    // that could put a refused character in.
    void pasteIsFiltered_data()
    {
        QTest::addColumn<bool>("carrierBox");
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::newRow("speed: letters dropped") << false << "" << false << "1a2b3c4" << "123";
        QTest::newRow("speed: up to three") << false << "5" << false << "x9 9-9" << "599";
        QTest::newRow("speed: nothing left") << false << "12" << true << "abc" << "12";
        QTest::newRow("speed: replaces selection") << false << "12" << true << "7\n" << "7";
        QTest::newRow("speed: composed characters") << false << "" << false << "1\u00e9\u00a92" << "12";
        QTest::newRow("speed: accented digits") << false << "5" << false << "7\u03019\u03018" << "579";
        QTest::newRow("Ka: one point") << true << "" << false << "3.4.5x" << "3.45";
        QTest::newRow("Ka: point already there") << true << "33." << false << "5.5" << "33.55";
        QTest::newRow("Ka: point in the selection") << true << "34.5" << true << "3.6" << "36";
        QTest::newRow("Ka: six at most") << true << "" << false << "35.123456" << "35.123";
        QTest::newRow("Ka: decimal comma") << true << "" << false << "33,5" << "33.5";
        QTest::newRow("Ka: comma after a point") << true << "3.3" << false << ",5,." << "3.35";
    }
    void pasteIsFiltered()
    {
        QFETCH(bool, carrierBox);
        QFETCH(QString, before);
        QFETCH(bool, selectAll);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        SpeedBox speedBox(&dialog);
        TypedLineEdit* box = carrierBox ? controls.bandKaCarrierBox : &speedBox;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QGuiApplication::clipboard()->setText(pasted);

        // Nothing in the menu but these.
        const QStringList offered {QStringLiteral("edit-undo"), QStringLiteral("edit-redo"), QStringLiteral("edit-cut"),
                                   QStringLiteral("edit-copy"), QStringLiteral("edit-paste"), QStringLiteral("edit-delete"),
                                   QStringLiteral("select-all")};
        for (int way = 0; way < 4; ++way) {
            box->setFocus();
            box->setText(before);
            if (selectAll)
                box->selectAll();
            if (way == 0) {
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            } else if (way == 2) {
                QInputMethodEvent event;
                event.setCommitString(pasted);
                QApplication::sendEvent(box, &event);
            } else if (way == 3) {
                QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, pasted);
                QApplication::sendEvent(box, &event);
            } else {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(box, &event);
                QMenu* menu = box->findChild<QMenu*>();
                QVERIFY(menu);
                QAction* paste = nullptr;
                for (QAction* action : menu->actions()) {
                    QVERIFY2(action->isSeparator() || offered.contains(action->objectName()), qPrintable(action->text()));
                    if (action->objectName() == QLatin1String("edit-paste"))
                        paste = action;
                }
                QVERIFY(paste && paste->isEnabled());
                paste->trigger();
                menu->close();
            }
            QVERIFY2(box->text() == after, qPrintable(QStringLiteral("way %1: %2").arg(way).arg(box->text())));
        }
        // A locked box takes nothing.
        box->setText(before);
        box->setReadOnly(true);
        box->pasteTyped();
        QCOMPARE(box->text(), before);
    }

    void enterAndEscapeDoNothing()
    {
        SettingsDialog dialog(nullptr);
        const SettingsControls controls = settingsControls(dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(&dialog, static_cast<Qt::Key>(key));
            QVERIFY(dialog.isVisible());
        }
        QVERIFY(!controls.okButton->isDefault() && !controls.okButton->autoDefault());
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
        QCOMPARE(dialog.focusWidget(), controls.mphButton); // opens in the unit group
    }
};

class TestAboutDialog : public QObject {
    Q_OBJECT

    // The contrast of two colours, from 1 (the same) to 21 (black on white), as the
    // accessibility guidelines reckon it.
    static double contrast(const QColor& a, const QColor& b)
    {
        auto luminance = [](const QColor& c) {
            auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
        };
        const double la = luminance(a), lb = luminance(b);
        return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
    }

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

    // The box holds each paragraph unbroken, word for word, and wraps it once, at its
    // own width: every line but a paragraph's last is full, its next word would not fit.
    void noticeWrapsOnceAtTheBoxWidth()
    {
        AboutDialog about(nullptr);
        const QPlainTextEdit* box = aboutControls(about).noticeBox;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QFontMetricsF metrics(box->document()->defaultFont());
        QStringList paragraphs;
        int lines = 0;
        for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
            if (block.text().isEmpty())
                continue;
            paragraphs << block.text();
            const QTextLayout* layout = block.layout();
            lines += layout->lineCount();
            for (int i = 0; i + 1 < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const QTextLine next = layout->lineAt(i + 1);
                const QString text = block.text().mid(line.textStart(), line.textLength()).trimmed();
                const QString nextWord = block.text().mid(next.textStart(), next.textLength()).section(QLatin1Char(' '), 0, 0);
                QVERIFY2(metrics.horizontalAdvance(text + QLatin1Char(' ') + nextWord) > line.width(),
                         qPrintable(QStringLiteral("\"%1\" leaves room for \"%2\"").arg(text, nextWord)));
            }
        }
        QCOMPARE(paragraphs, AboutNotice::paragraphs());
        QVERIFY(lines > paragraphs.size()); // the box is narrower than the longer paragraphs
    }

    // The black radar gun stands out on any theme: on a dark one it gets a backing, on
    // a light one the dialog looks as it always did.
    void radarGunStandsOut_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<bool>("backed");
        QTest::newRow("light") << QColor(239, 239, 239) << false;
        QTest::newRow("mid grey") << QColor(128, 128, 128) << false;
        QTest::newRow("dark") << QColor(53, 53, 53) << true;
        QTest::newRow("black") << QColor(0, 0, 0) << true;
    }
    void radarGunStandsOut()
    {
        QFETCH(QColor, window);
        QFETCH(bool, backed);
        AboutDialog about(nullptr);
        QPalette palette = about.palette();
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, window.lightness() < 128 ? Qt::white : Qt::black);
        about.setPalette(palette);
        const QPoint picture = aboutControls(about).radarGunPicture->pos();
        const QImage shot = about.grab().toImage();
        const QColor gun = shot.pixelColor(picture + QPoint(30, 19));    // the barrel
        const QColor around = shot.pixelColor(picture + QPoint(95, 48)); // clear of the gun, low right
        QCOMPARE(around != window, backed);
        QVERIFY2(contrast(gun, around) >= 4.5, qPrintable(QStringLiteral("%1 on %2: %3").arg(gun.name(), around.name()).arg(contrast(gun, around))));
    }

    void wrapBreaksAtBlanks()
    {
        const QString word = QString(40, QLatin1Char('a'));
        QCOMPARE(AboutNotice::wrap(word + QLatin1Char(' ') + word), (QStringList {word + QLatin1Char(' '), word}));
        QCOMPARE(AboutNotice::wrap(QStringLiteral("short")), QStringList {QStringLiteral("short")});
    }

    void dialog()
    {
        AboutDialog about(nullptr);
        const AboutControls controls = aboutControls(about);
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // The notice wraps within the box: no line is wider than it, no horizontal bar.
        QVERIFY(!controls.noticeBox->horizontalScrollBar()->isVisible());
        QCOMPARE(controls.noticeBox->horizontalScrollBar()->maximum(), 0);
        int wrapped = 0;
        for (QTextBlock block = controls.noticeBox->document()->begin(); block.isValid(); block = block.next()) {
            QTextLayout* layout = block.layout();
            wrapped += layout->lineCount() > 1;
            for (int i = 0; i < layout->lineCount(); ++i)
                QVERIFY(layout->lineAt(i).naturalTextWidth() <= controls.noticeBox->viewport()->width());
        }
        QVERIFY(wrapped > 0);
        about.hide();
        QCOMPARE(about.size(), QSize(384, 247));
        QCOMPARE(controls.versionLabel->text(), QStringLiteral("v%1.%2.%3").arg(Platform::VersionMajor).arg(Platform::VersionMinor).arg(Platform::VersionRevision));
        QCOMPARE(AboutDialog::versionText(), QStringLiteral("v1.0.0"));
        QCOMPARE(controls.titleLabel->text(), QStringLiteral("Tinevox"));
        QVERIFY(controls.noticeBox->isReadOnly());
        const QString shown = AboutNotice::flowingText().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(controls.noticeBox->toPlainText(), shown);

        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.focusWidget(), controls.okButton);
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(about.isVisible());
        controls.noticeBox->setFocus();
        QTest::keyClick(controls.noticeBox, Qt::Key_Return);
        QVERIFY(about.isVisible());
        QCOMPARE(controls.noticeBox->toPlainText(), shown);
        controls.okButton->setFocus();
        QTest::keyClick(controls.okButton, Qt::Key_Return);
        QVERIFY(!about.isVisible());
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        controls.okButton->setFocus();
        QTest::keyClick(controls.okButton, Qt::Key_Space);
        QVERIFY(!about.isVisible());
    }
};

// The progress dialog: its layout and place, and how it follows the writer.
class TestProgressDialog : public QObject {
    Q_OBJECT

private slots:
    void layout()
    {
        ToneProgressDialog dialog;
        const ProgressControls controls = progressControls(dialog);
        QCOMPARE(dialog.size(), QSize(312, 56));
        QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY((dialog.windowFlags() & Qt::WindowType_Mask) == Qt::Tool);
        QVERIFY(!dialog.parentWidget()); // no owner window
        QCOMPARE(controls.captionLabel->text(), QStringLiteral("Generating Test Tone, Please Wait..."));
        QCOMPARE(controls.captionLabel->geometry(), QRect(12, 9, 289, 22));
        QVERIFY(controls.captionLabel->font().bold());
        QCOMPARE(controls.captionLabel->font().pointSizeF(), 9.75);
        QCOMPARE(controls.progressBar->geometry(), QRect(9, 30, 295, 22));
        // The Cancel button lies below the lower edge.
        QVERIFY(controls.cancelButton->geometry().top() >= dialog.height());
    }

    // The offsets of 3500 and 1800 twips keep their fractions until the sum is rounded:
    // cut down to 233 px first, a main window half a pixel off centre far to the left
    // would put the dialog a pixel further left.
    void placedNearTheMainWindow_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("even width") << QRect(100, 50, 528, 443) << QPoint(441, 170);
        QTest::newRow("odd width") << QRect(100, 50, 529, 443) << QPoint(442, 170);
        QTest::newRow("odd width, far left") << QRect(-1001, -7, 529, 443) << QPoint(-659, 113);
    }
    void placedNearTheMainWindow()
    {
        QFETCH(QRect, main);
        QFETCH(QPoint, placed);
        QWidget mainWindow;
        mainWindow.setGeometry(main);
        ToneProgressDialog dialog(&mainWindow);
        dialog.placeNear(&mainWindow);
        QCOMPARE(dialog.pos(), placed);
    }

    // The first step of a file shows the dialog near the main window, and each step of
    // the largest file still shows as its own; the file done, the dialog hides with an
    // empty bar.
    void everyStepShows()
    {
        QWidget main;
        main.setGeometry(100, 50, 528, 443);
        ToneProgressDialog dialog(&main);
        const ProgressControls controls = progressControls(dialog);
        int previous = 0;
        for (int t : {1, 2}) {
            dialog.showProgress(t / 10030.0);
            QVERIFY(dialog.isVisible());
            QVERIFY2(controls.progressBar->value() > previous, qPrintable(QString::number(controls.progressBar->value())));
            previous = controls.progressBar->value();
            dialog.finishFile();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(controls.progressBar->value(), 0);
        }
        // (main width - dialog width) / 2 + main left + 3500 twips; main top + 1800 twips.
        const QRect frame = main.frameGeometry();
        QCOMPARE(dialog.pos().x(), qRound((frame.width() - 312) / 2.0 + frame.left() + 3500 / 15.0));
        QCOMPARE(dialog.pos().y(), frame.top() + 120);
    }

    // Its Cancel asks for the file to be abandoned, and hides the dialog.
    void cancelAsksToAbandonAndHides()
    {
        ToneProgressDialog dialog;
        const ProgressControls controls = progressControls(dialog);
        QSignalSpy cancels(&dialog, &ToneProgressDialog::cancelled);
        dialog.showProgress(0.25);
        controls.cancelButton->click();
        QCOMPARE(cancels.size(), 1);
        QVERIFY(!dialog.isVisible());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    return TestEnvironment::runAll<TestSettingsDialog, TestAboutDialog, TestProgressDialog>(argc, argv);
}

#include "test_dialogs.moc"
