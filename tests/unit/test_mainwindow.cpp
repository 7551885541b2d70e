// The main window offscreen: its shape and layout, speed entry, band and play
// controls, readout, mode, and the settings it brings back and keeps.

#include "assets/Assets.h"
#include "common/ForkWindowPlaces.h"
#include "common/MessageBoxCatcher.h"
#include "common/ProgressControls.h"
#include "common/TestEnvironment.h"
#include "common/WindowControls.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/ForkOutline.h"
#include "mainwindow/ForkWindow.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/ToneProgressDialog.h"
#include "widgets/Fonts.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtEndian>
#include <QtTest>

namespace {

// A dark desktop in the extreme: every colour of every role and state inverted, so
// that any colour the window takes from the desktop shows.
QPalette inverted(const QPalette& source)
{
    QPalette palette = source;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const QColor c = source.color(group, QPalette::ColorRole(role));
            palette.setColor(group, QPalette::ColorRole(role),
                             QColor(255 - c.red(), 255 - c.green(), 255 - c.blue(), c.alpha()));
        }
    }
    return palette;
}

// The volume as a sound server reports it; offscreen there is none.
void soundServerAnswers(ForkWindow& window, int volume)
{
    QVERIFY(QMetaObject::invokeMethod(ForkControls(&window).volumeSlider, "onSinkVolumeChanged", Q_ARG(int, volume)));
}

enum class Look { Stationary, MovingWithVolume, Frozen, MenuLabelPressed };

void putOn(ForkWindow& window, Look look)
{
    switch (look) {
    case Look::Stationary:
        window.menus().stationaryAction->trigger();
        break;
    case Look::MovingWithVolume:
        window.menus().movingAction->trigger();
        soundServerAnswers(window, 40000);
        break;
    case Look::Frozen:
        window.lockSpeedEntry();
        break;
    case Look::MenuLabelPressed:
        QTest::mousePress(forkControls(window).modeLabel, Qt::RightButton, {}, QPoint(-5, -5));
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Look)
Q_DECLARE_METATYPE(ForkWindow::Ending)

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment::AppDir> dir;
    std::unique_ptr<ForkWindow> window;
    // The window's controls, found by their designed names.
    ForkControls ui() const { return forkControls(window); }

    void load()
    {
        window = std::make_unique<ForkWindow>(dir->path());
        QVERIFY(window->load());
    }

    QList<QWidget*> upperForkControls() const
    {
        const ForkControls c = ui();
        return {c.bandFrame, c.minimiseButton, c.closeButton, c.goButton, c.stopButton, c.firstSpeedBox,
                c.firstSpeedUpButton, c.firstSpeedDownButton, c.volumeSlider, c.helpLabel, c.firstFrequencyLabel,
                c.modeLabel, c.creditLabel, c.radarGunPicture, c.volumeLabel, c.settingsLabel, c.firstUnitLabel,
                c.titleLabel};
    }
    QList<QWidget*> lowerForkControls() const
    {
        const ForkControls c = ui();
        return {c.secondSpeedDownButton, c.secondSpeedUpButton, c.secondSpeedBox, c.secondFrequencyLabel,
                c.secondUnitLabel};
    }

private slots:
    void initTestCase() { Fonts::installSubstitutes(); }

    void init()
    {
        TestEnvironment::clearSettings();
        dir = std::make_unique<TestEnvironment::AppDir>(true);
    }

    void cleanup()
    {
        if (window)
            window->unload();
        window.reset();
    }

    void maskIsTheOutline()
    {
        load();
        const QRegion mask = window->mask();
        for (QPoint inside : {QPoint(4, 128), QPoint(5, 127), QPoint(790, 95), QPoint(789, 96)})
            QVERIFY2(mask.contains(inside), qPrintable(QStringLiteral("(%1, %2)").arg(inside.x()).arg(inside.y())));
        for (QPoint outside : {QPoint(3, 128), QPoint(4, 127), QPoint(790, 96), QPoint(500, 150)})
            QVERIFY2(!mask.contains(outside), qPrintable(QStringLiteral("(%1, %2)").arg(outside.x()).arg(outside.y())));
        for (int y = 285; y <= 292; ++y)
            QVERIFY(!mask.intersects(QRect(0, y, 792, 1)));
        // Pixel for pixel the table, and nothing else.
        qint64 area = 0;
        for (const QRect& r : mask)
            area += qint64(r.width()) * r.height();
        QCOMPARE(area, 220687);
    }

    void layout()
    {
        load();
        QCOMPARE(window->width(), 792);
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->windowTitle(), QStringLiteral("Tinevox"));
        QCOMPARE(window->windowIcon().availableSizes().size(), 8); // 16 to 256 px, for the desktop to choose
        QCOMPARE(ui().firstSpeedBox->geometry(), QRect(267, 105, 103, 65));
        QCOMPARE(ui().secondSpeedBox->geometry(), QRect(270, 324, 103, 65));
        QCOMPARE(ui().goButton->geometry(), QRect(333, 219, 94, 55));
        QCOMPARE(ui().stopButton->geometry(), QRect(231, 219, 94, 55));
        QCOMPARE(ui().volumeSlider->geometry(), QRect(501, 216, 238, 42));
        QCOMPARE(ui().bandKa->geometry(), QRect(6, 45, 37, 19));
        QCOMPARE(ui().bandX->text(), QStringLiteral("X "));
        QCOMPARE(ui().titleLabel->text(), QStringLiteral("Tinevox"));
        QCOMPARE(ui().modeLabel->text(), QStringLiteral("Mode"));
        QCOMPARE(ui().settingsLabel->text(), QStringLiteral("Settings"));
        QCOMPARE(ui().helpLabel->text(), QStringLiteral("Help"));
        QCOMPARE(ui().volumeLabel->text(), QStringLiteral("Volume"));
        QCOMPARE(ui().closeButton->text(), QStringLiteral("X"));
        QCOMPARE(ui().minimiseButton->text(), QStringLiteral("_"));
        QCOMPARE(ui().volumeSlider->maximum(), 65535);
        QCOMPARE(ui().volumeSlider->pageStep(), 5);
        QCOMPARE(ui().volumeSlider->tickInterval(), 5000);
        QCOMPARE(ui().modeLabel->palette().color(QPalette::Window), QColor(132, 132, 132));
        // The designed faces where the machine has them (many have Microsoft's core
        // fonts), else the stand-ins meant for them, never some other fallback.
        QVERIFY2(QStringList({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")})
                     .contains(QFontInfo(ui().firstSpeedBox->font()).family()),
                 qPrintable(QFontInfo(ui().firstSpeedBox->font()).family()));
        QVERIFY2(QStringList({QStringLiteral("Impact"), QStringLiteral("Liberation Sans Narrow")})
                     .contains(QFontInfo(ui().titleLabel->font()).family()),
                 qPrintable(QFontInfo(ui().titleLabel->font()).family()));
    }

    // Every designed control is in the table the end-to-end tests click by, where its
    // place on its parent puts it in the window.
    void placesTableIsTheLayout()
    {
        load();
        QStringList listed;
        for (const ForkWindowPlaces::Place* place : ForkWindowPlaces::Table) {
            const QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(place->name));
            QVERIFY2(w, place->name);
            QCOMPARE(QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size()), ForkWindowPlaces::rect(*place));
            listed << QString::fromLatin1(place->name);
        }
        static const QRegularExpression designed(QStringLiteral("^(Command|Option|Text|Label|Frame|Slider|Image)\\d+$"));
        for (const QWidget* w : window->findChildren<QWidget*>(designed))
            QVERIFY2(listed.contains(w->objectName()), qPrintable(w->objectName() + QStringLiteral(" is not in the table")));
    }

    // No control reaches outside a fork, so the shape never cuts one; the stationary
    // height cuts nothing off the upper fork.
    void everyControlLiesOnAFork()
    {
        load();
        const QRegion mask = window->mask();
        for (QWidget* w : upperForkControls() + lowerForkControls()) {
            const QRect r(w->mapTo(window.get(), QPoint(0, 0)), w->size());
            QVERIFY2(QRegion(r).subtracted(mask).isEmpty(), qPrintable(w->objectName()));
        }
        for (QWidget* w : upperForkControls())
            QVERIFY2(w->geometry().bottom() < ForkWindow::StationaryHeight, qPrintable(w->objectName()));
        for (QWidget* w : lowerForkControls())
            QVERIFY2(w->geometry().top() >= ForkWindow::StationaryHeight, qPrintable(w->objectName()));
    }

    // The unit captions keep a few pixels of face between their last letter and the
    // outline of the notch beside them, whatever the unit.
    void unitCaptionsClearTheNotch_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("caption");
        for (const char* label : {"Label5", "Label8"})
            for (const char* caption : {"MPH", "KPH"})
                QTest::addRow("%s %s", label, caption) << label << caption;
    }
    void unitCaptionsClearTheNotch()
    {
        QFETCH(QString, label);
        QFETCH(QString, caption);
        load();
        auto* unit = window->findChild<QLabel*>(label);
        unit->setText(caption);
        // The caption as drawn, and the skin beside it: count the face pixels between
        // the last dark pixel of each row of letters and the notch's first dark pixel.
        const QImage drawn = unit->grab().toImage();
        const QImage skin(Assets::Skin);
        const QColor face(132, 132, 132);
        int clearance = INT_MAX;
        for (int y = 0; y < drawn.height(); ++y) {
            int last = -1;
            for (int x = 0; x < drawn.width(); ++x)
                if (qGray(drawn.pixel(x, y)) < 100)
                    last = x;
            if (last < 0)
                continue;
            int x = unit->x() + last + 1;
            while (skin.pixelColor(x, unit->y() + y) == face)
                ++x;
            clearance = qMin(clearance, x - (unit->x() + last + 1));
        }
        QVERIFY(clearance != INT_MAX);
        QVERIFY2(clearance >= 4, qPrintable(QStringLiteral("%1 px").arg(clearance)));
    }

    // Tab passes the controls in the designed order, then the three menu labels, and
    // comes back to the first speed box, which has the first focus. The band buttons are
    // one stop, on the chosen band, as every group of option buttons; the arrow keys
    // choose among them, from the last back to the first. What
    // the window's height cuts off Tab passes over, also after a change of mode.
    void tabOrder_data()
    {
        QTest::addColumn<QString>("storedMode");
        QTest::addColumn<QString>("chosenMode"); // through the Mode menu after load; empty: none
        QTest::addColumn<QStringList>("stops");
        // No sound server answers here, so the volume slider is disabled and no stop.
        const QStringList upper {"Text1", "Command4", "Command3", "Command2", "Command1", "Command5"};
        const QStringList lower {"Text2", "Command8", "Command7"};
        const QStringList rest {"Command9", "Option1", "Label4", "Label3", "Label9", "Text1"};
        QTest::newRow("stationary") << "Stationary" << "" << upper + rest;
        QTest::newRow("moving") << "Moving" << "" << upper + lower + rest;
        QTest::newRow("stationary chosen in moving mode") << "Moving" << "Stationary" << upper + rest;
        QTest::newRow("moving chosen in stationary mode") << "Stationary" << "Moving" << upper + lower + rest;
    }
    void tabOrder()
    {
        QFETCH(QString, storedMode);
        QFETCH(QString, chosenMode);
        QFETCH(QStringList, stops);
        Settings::write(Settings::Mode, storedMode);
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        if (!chosenMode.isEmpty())
            (chosenMode == QLatin1String("Moving") ? window->menus().movingAction : window->menus().stationaryAction)->trigger();
        QCOMPARE(QApplication::focusWidget(), ui().firstSpeedBox);
        for (qsizetype i = 1; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(QApplication::focusWidget(), qPrintable(stops[i - 1]));
            QCOMPARE(QApplication::focusWidget()->objectName(), stops[i]);
            if (stops[i] == QLatin1String("Option1")) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
                QVERIFY(ui().bandKu->isChecked() && ui().bandKu->hasFocus());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
                QVERIFY(ui().bandX->isChecked() && ui().bandX->hasFocus());
            }
        }
        QCOMPARE(ui().firstFrequencyLabel->focusPolicy(), Qt::NoFocus);
        // The first speed box, entered again, has its text selected for a new speed.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("42"));
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("42"));
    }

    // The focus in the second speed box passes on when stationary mode cuts the box off:
    // keys typed then do not change the hidden speed, which is back as it was in moving mode.
    void focusLeavesWhatTheHeightCutsOff()
    {
        Settings::write(Settings::Mode, QStringLiteral("Moving"));
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        ui().secondSpeedBox->setFocus();
        window->menus().stationaryAction->trigger();
        QVERIFY(QApplication::focusWidget() && QApplication::focusWidget() != ui().secondSpeedBox);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
        for (QWidget* w : {static_cast<QWidget*>(ui().secondSpeedBox), static_cast<QWidget*>(ui().secondSpeedUpButton),
                           static_cast<QWidget*>(ui().secondSpeedDownButton)})
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        window->menus().movingAction->trigger();
        QVERIFY(ui().secondSpeedBox->isVisible() && ui().secondSpeedUpButton->isVisible());
        QCOMPARE(ui().secondSpeedBox->text(), QStringLiteral("10"));
    }

    // The menu labels open from the keyboard: their access keys from anywhere in the
    // window, F10 the first menu, Enter, Space, Down or the menu key on the label that
    // has the focus. A menu opens under its label; other keys open nothing.
    void menuLabelsOpenFromTheKeyboard_data()
    {
        QTest::addColumn<QString>("focused"); // empty: the first speed box keeps the focus
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("opened"); // empty: nothing
        QTest::addColumn<QString>("under");  // the label a menu opens under
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        QTest::newRow("Alt+M") << "" << int(Qt::Key_M) << Qt::KeyboardModifiers(Qt::AltModifier) << "mnuMode" << "Label4";
        QTest::newRow("Alt+S") << "" << int(Qt::Key_S) << Qt::KeyboardModifiers(Qt::AltModifier) << "frmSettings" << "";
        QTest::newRow("Alt+H") << "" << int(Qt::Key_H) << Qt::KeyboardModifiers(Qt::AltModifier) << "mnuHelp" << "Label9";
        QTest::newRow("F10") << "" << int(Qt::Key_F10) << none << "mnuMode" << "Label4";
        QTest::newRow("Return on Mode") << "Label4" << int(Qt::Key_Return) << none << "mnuMode" << "Label4";
        QTest::newRow("Space on Help") << "Label9" << int(Qt::Key_Space) << none << "mnuHelp" << "Label9";
        QTest::newRow("Down on Mode") << "Label4" << int(Qt::Key_Down) << none << "mnuMode" << "Label4";
        QTest::newRow("menu key on Help") << "Label9" << int(Qt::Key_Menu) << none << "mnuHelp" << "Label9";
        QTest::newRow("Enter on Settings") << "Label3" << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "frmSettings" << "";
        QTest::newRow("a letter on Mode") << "Label4" << int(Qt::Key_A) << none << "" << "";
        QTest::newRow("M alone") << "" << int(Qt::Key_M) << none << "" << "";
    }
    void menuLabelsOpenFromTheKeyboard()
    {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, opened);
        QFETCH(QString, under);
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        if (!focused.isEmpty())
            window->findChild<QWidget*>(focused)->setFocus(Qt::TabFocusReason);
        // The popup or dialog, seen while it runs, then closed.
        QString seen;
        QPoint seenAt;
        QTimer watch;
        watch.setInterval(10);
        connect(&watch, &QTimer::timeout, [&] {
            QWidget* w = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
            if (!w)
                return;
            seen = w->objectName();
            seenAt = w->pos();
            w->close();
        });
        watch.start();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        QCOMPARE(seen, opened);
        if (!under.isEmpty()) {
            const QWidget* label = window->findChild<QWidget*>(under);
            QCOMPARE(seenAt, label->mapToGlobal(QPoint(0, label->height())));
        }
    }

    void restoresAnEmptyStore()
    {
        load();
        QVERIFY(ui().bandX->isChecked());
        QCOMPARE(ui().firstUnitLabel->text(), QStringLiteral("MPH"));
        QCOMPARE(ui().secondUnitLabel->text(), QStringLiteral("MPH"));
        QCOMPARE(window->height(), ForkWindow::StationaryHeight);
        QVERIFY(!window->isMovingMode());
        QVERIFY(window->menus().stationaryAction->isChecked());
        QVERIFY(!window->menus().movingAction->isChecked());
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("10"));
        QCOMPARE(ui().secondSpeedBox->text(), QStringLiteral("10"));
        QVERIFY(ui().firstFrequencyLabel->isHidden());
        QVERIFY(ui().secondFrequencyLabel->isHidden());
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("314 Hz"));
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile())); // loading writes nothing
    }

    void restoresStoredChoices()
    {
        Settings::write(Settings::Band, QStringLiteral("Ku"));
        Settings::write(Settings::Unit, QStringLiteral("mph"));
        Settings::write(Settings::Mode, QStringLiteral("stationary"));
        Settings::write(Settings::Speed, QStringLiteral("250"));
        Settings::write(Settings::Speed2, QStringLiteral("12.5"));
        Settings::write(Settings::ShowFreq, QStringLiteral("1"));
        load();
        QVERIFY(ui().bandKu->isChecked());
        QCOMPARE(ui().firstUnitLabel->text(), QStringLiteral("KPH"));
        QCOMPARE(ui().secondUnitLabel->text(), QStringLiteral("KPH"));
        QVERIFY(window->isMovingMode()); // only "Stationary" means stationary
        QCOMPARE(window->height(), ForkWindow::MovingHeight);
        QVERIFY(window->menus().movingAction->isChecked());
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("250")); // no range check at load
        QCOMPARE(ui().secondSpeedBox->text(), QStringLiteral("12.5"));
        QVERIFY(!ui().firstFrequencyLabel->isHidden());
        // Ku, 250 kph: 155.35 mph times 40.1123366485757
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("6231 Hz"));
    }

    void unrecognisedBandKeepsX()
    {
        Settings::write(Settings::Band, QStringLiteral("x"));
        load();
        QVERIFY(ui().bandX->isChecked());
    }

    void savesBandAndSpeeds()
    {
        load();
        ui().bandKa->click();
        ui().firstSpeedBox->setText(QString());
        ui().secondSpeedBox->setText(QStringLiteral("007"));
        window->unload();
        QCOMPARE(Settings::read(Settings::Band), QStringLiteral("Ka"));
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("0"));
        QCOMPARE(Settings::read(Settings::Speed2), QStringLiteral("7"));
        QVERIFY(!Settings::read(Settings::Mode).isEmpty());
    }

    // At a close by the user a box says what the next start will lack; at an end by the
    // system no box holds up a session that is ending, and stderr says it instead.
    void closeSaysWhenTheStoreCannotBeWritten_data()
    {
        QTest::addColumn<ForkWindow::Ending>("ending");
        QTest::newRow("closed by the user") << ForkWindow::Ending::ByUser;
        QTest::newRow("ended by the system") << ForkWindow::Ending::BySystem;
    }
    void closeSaysWhenTheStoreCannotBeWritten()
    {
        QFETCH(ForkWindow::Ending, ending);
        const TestEnvironment::UnwritableSettings store(TestEnvironment::UnwritableSettings::Way::FolderUnderAFile);
        load();
        window->menus().movingAction->trigger();
        ui().bandKa->click();
        const QRegularExpression report(QStringLiteral("The band, the speeds and the mode could not be saved: .*\n"
                                                       "Settings file: ")
                                        + QRegularExpression::escape(store.file()) + QLatin1Char('$'));
        if (ending == ForkWindow::Ending::BySystem)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Tinevox: ") + report.pattern()));
        else
            QTest::failOnWarning(report);
        MessageBoxCatcher catcher;
        catcher.arm();
        window->unload(ending);
        QCOMPARE(catcher.seen, ending == ForkWindow::Ending::ByUser ? 1 : 0);
        if (catcher.seen) {
            QVERIFY2(report.match(catcher.text).hasMatch(), qPrintable(catcher.text));
            QCOMPARE(catcher.icon, QMessageBox::Warning);
        }
    }

    void modeMenu()
    {
        load();
        ui().secondSpeedBox->setText(QStringLiteral("77"));
        window->menus().movingAction->trigger();
        QCOMPARE(window->height(), ForkWindow::MovingHeight);
        QVERIFY(window->menus().movingAction->isChecked() && !window->menus().stationaryAction->isChecked());
        QCOMPARE(Settings::read(Settings::Mode), QStringLiteral("Moving"));
        window->menus().stationaryAction->trigger();
        QCOMPARE(window->height(), ForkWindow::StationaryHeight);
        QVERIFY(window->menus().stationaryAction->isChecked() && !window->menus().movingAction->isChecked());
        QCOMPARE(Settings::read(Settings::Mode), QStringLiteral("Stationary"));
        // Choosing the checked entry again still writes the setting.
        QFile::remove(TestEnvironment::settingsFile());
        window->menus().stationaryAction->trigger();
        QVERIFY(window->menus().stationaryAction->isChecked());
        QCOMPARE(Settings::read(Settings::Mode), QStringLiteral("Stationary"));
        QVERIFY(QFile::exists(TestEnvironment::settingsFile()));
        window->menus().movingAction->trigger();
        QCOMPARE(ui().secondSpeedBox->text(), QStringLiteral("77")); // back with its contents

        // A window manager that ignores the fixed size (a tiling layout) does not switch
        // the mode: it is what the menu chose.
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (const bool moving : {true, false}) {
            (moving ? window->menus().movingAction : window->menus().stationaryAction)->trigger();
            const int imposed = moving ? ForkWindow::StationaryHeight : ForkWindow::MovingHeight;
            window->windowHandle()->resize(ForkWindow::Width, imposed);
            QTRY_COMPARE(window->height(), imposed);
            QCOMPARE(window->isMovingMode(), moving);
            // Squeezed, the second speed is cut off; stretched, it stays hidden as the
            // stationary height hides it.
            QVERIFY(!ui().secondSpeedBox->isVisible());
        }
    }

    void keyFilterAndLength()
    {
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        ui().firstSpeedBox->setFocus();
        ui().firstSpeedBox->clear();
        QTest::keyClicks(ui().firstSpeedBox, QStringLiteral("a1-. 2x34"));
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("123"));
        QTest::keyClick(ui().firstSpeedBox, Qt::Key_Backspace);
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("12"));
        QVERIFY(!SpeedBox::admits(QLatin1Char('-')) && SpeedBox::admits(QChar(8)) && SpeedBox::admits(QLatin1Char('0')));
        // Text set by the program may be longer, and can still be shortened by typing.
        ui().firstSpeedBox->setText(QStringLiteral("12.5"));
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("12.5"));
        ui().firstSpeedBox->end(false);
        QTest::keyClick(ui().firstSpeedBox, Qt::Key_Backspace);
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("12."));
    }

    void rangeRuleOnFocusLoss_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("over the bound") << "250" << "199";
        QTest::newRow("zero") << "0" << "1";
        QTest::newRow("zeros") << "000" << "1";
        QTest::newRow("empty") << "" << "1";
        QTest::newRow("in range") << "55" << "55";
    }
    void rangeRuleOnFocusLoss()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        Settings::write(Settings::Mode, QStringLiteral("Moving")); // where the second box can take the focus
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        for (SpeedBox* box : {ui().firstSpeedBox, ui().secondSpeedBox}) {
            box->setFocus();
            box->clear();
            QTest::keyClicks(box, typed);
            ui().goButton->setFocus(); // the focus moves on
            QCOMPARE(box->text(), after);
        }
    }

    void focusLossCorrectsBeforeAStep()
    {
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        ui().firstSpeedBox->setFocus();
        ui().firstSpeedBox->setText(QStringLiteral("250"));
        QTest::mouseClick(ui().firstSpeedDownButton, Qt::LeftButton);
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("198"));
    }

    void steps()
    {
        load();
        ui().firstSpeedBox->setText(QStringLiteral("199"));
        QSignalSpy changes(ui().firstSpeedBox, &QLineEdit::textChanged);
        ui().firstSpeedUpButton->click();
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("199"));
        QCOMPARE(changes.size(), 2); // 200 for an instant, then corrected
        ui().firstSpeedBox->setText(QStringLiteral("1"));
        ui().firstSpeedDownButton->click();
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("1"));
        ui().secondSpeedBox->setText(QString());
        ui().secondSpeedUpButton->click();
        QCOMPARE(ui().secondSpeedBox->text(), QStringLiteral("1"));
        ui().secondSpeedBox->setText(QString());
        ui().secondSpeedDownButton->click();
        QCOMPARE(ui().secondSpeedBox->text(), QStringLiteral("-1")); // no lower clamp
        for (QPushButton* b : {ui().secondSpeedDownButton, ui().secondSpeedUpButton}) {
            ui().secondSpeedBox->setText(QStringLiteral("250"));
            b->click();
            QCOMPARE(ui().secondSpeedBox->text(), QStringLiteral("199"));
        }
        ui().firstSpeedBox->setText(QStringLiteral("12.5"));
        ui().firstSpeedUpButton->click();
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("13.5"));
        ui().firstSpeedDownButton->click();
        ui().firstSpeedDownButton->click();
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("11.5"));
    }

    void readoutFollowsEveryChange()
    {
        load();
        ui().firstSpeedBox->setText(QStringLiteral("100"));
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("3139 Hz"));
        ui().bandK->click();
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("7202 Hz"));
        ui().bandX->click();
        Settings::write(Settings::Unit, QStringLiteral("KPH"));
        window->showFrequencies();
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("1951 Hz"));
        ui().secondSpeedBox->setText(QString());
        QCOMPARE(ui().secondFrequencyLabel->text(), QStringLiteral("0 Hz"));
        QVERIFY(ui().firstFrequencyLabel->isHidden()); // refreshed while hidden too
    }

    // Stored speeds and carriers of any size: the caption is never "inf" nor wider
    // than its label.
    void readoutOfAbsurdValuesFitsItsLabel_data()
    {
        QTest::addColumn<QString>("carrier");
        QTest::addColumn<QString>("speed");
        QTest::newRow("300-digit speed") << "10.525" << QString(300, QLatin1Char('9'));
        QTest::newRow("300-digit negative speed") << "10.525" << QLatin1Char('-') + QString(300, QLatin1Char('9'));
        QTest::newRow("overflows to infinity") << QLatin1Char('1') + QString(298, QLatin1Char('0')) << "99999999999";
        QTest::newRow("just too wide") << "10.525" << "999999999999";
    }
    void readoutOfAbsurdValuesFitsItsLabel()
    {
        QFETCH(QString, carrier);
        QFETCH(QString, speed);
        Settings::write(Settings::XFreq, carrier);
        load();
        ui().firstSpeedBox->setText(speed);
        ui().secondSpeedBox->setText(speed);
        for (QLabel* label : {ui().firstFrequencyLabel, ui().secondFrequencyLabel}) {
            const QString caption = label->text();
            QVERIFY2(!caption.contains(QStringLiteral("inf")) && !caption.contains(QStringLiteral("nan")), qPrintable(caption));
            QVERIFY2(label->fontMetrics().horizontalAdvance(caption) <= label->contentsRect().width(), qPrintable(caption));
        }
    }

    void frozenWhilePlaying()
    {
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        soundServerAnswers(*window, 30000);
        ui().firstSpeedBox->setText(QStringLiteral("100"));
        ui().goButton->click();
        QVERIFY(window->isTonePlaying());
        QTRY_VERIFY(QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        for (QWidget* w : {static_cast<QWidget*>(ui().firstSpeedUpButton), static_cast<QWidget*>(ui().firstSpeedDownButton),
                           static_cast<QWidget*>(ui().secondSpeedDownButton), static_cast<QWidget*>(ui().secondSpeedUpButton),
                           static_cast<QWidget*>(ui().bandFrame)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!ui().bandK->isEnabled());
        QVERIFY(ui().goButton->isEnabled() && ui().stopButton->isEnabled() && ui().volumeSlider->isEnabled());
        // A locked box keeps focus and selection, but typing does not change it.
        window->activateWindow(); // the offscreen platform hands activation to the progress dialog
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        ui().firstSpeedBox->setFocus();
        ui().firstSpeedBox->selectAll();
        QTest::keyClicks(ui().firstSpeedBox, QStringLiteral("5"));
        QCOMPARE(ui().firstSpeedBox->text(), QStringLiteral("100"));
        QVERIFY(ui().firstSpeedBox->hasFocus());
        QVERIFY(ui().firstSpeedBox->hasSelectedText());
        // A second GO changes nothing; STOP returns everything.
        ui().goButton->click();
        QVERIFY(window->isTonePlaying());
        ui().stopButton->click();
        QVERIFY(!window->isTonePlaying());
        QVERIFY(ui().firstSpeedUpButton->isEnabled() && ui().bandFrame->isEnabled() && !ui().firstSpeedBox->isReadOnly());
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
    }

    // GO takes the settings as stored at that moment, whatever the readout showed, and
    // the readout and the units then name the tone that plays.
    void goReadsTheStoreAtThatMoment()
    {
        load();
        ui().firstSpeedBox->setText(QStringLiteral("100"));
        Settings::write(Settings::Unit, QStringLiteral("KPH"));
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("3139 Hz")); // not refreshed since
        ui().goButton->click();
        QVERIFY(window->isTonePlaying());
        QTRY_VERIFY(QFile::exists(dir->file(QStringLiteral("temp.wav"))));
        const QByteArray file = TestEnvironment::readAll(dir->file(QStringLiteral("temp.wav")));
        QVERIFY(file.size() > 44);
        QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 24), 195100u); // 1951 Hz at 100 bytes a cycle
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("1951 Hz"));
        QCOMPARE(ui().firstUnitLabel->text(), QStringLiteral("KPH"));
        ui().stopButton->click();
    }

    // While GO writes the tone file the progress dialog is up from its first step, and
    // its Cancel, taken while the file is written, gives back an editable window with
    // nothing playing and no file.
    void goShowsTheProgressAndItsCancelAbandons()
    {
        Settings::write(Settings::Band, QStringLiteral("Ka"));
        Settings::write(Settings::Speed, QStringLiteral("199"));
        Settings::write(Settings::Accuracy, QStringLiteral("100"));
        load();
        ui().goButton->click();
        QVERIFY(window->isTonePlaying());
        ToneProgressDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<ToneProgressDialog*>(w))
                dialog = progress;
        }
        QVERIFY(dialog);
        const ProgressControls controls = progressControls(dialog);
        int shownAtFirstStep = 0;
        connect(controls.progressBar, &QProgressBar::valueChanged, this, [&](int value) {
            if (value > 0 && dialog->isVisible()) {
                ++shownAtFirstStep;
                controls.cancelButton->click();
            }
        });
        QTRY_VERIFY(!window->isTonePlaying());
        QCOMPARE(shownAtFirstStep, 1);
        QVERIFY(ui().firstSpeedUpButton->isEnabled() && ui().bandFrame->isEnabled() && !ui().firstSpeedBox->isReadOnly());
        QTRY_VERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));
    }

    void toneThatCannotBeMadeIsShown()
    {
        load();
        ui().firstSpeedBox->setText(QString());
        MessageBoxCatcher catcher;
        catcher.arm();
        ui().goButton->click();
        QCOMPARE(catcher.seen, 1);
        QVERIFY2(catcher.text.contains(QStringLiteral("first speed box is empty")), qPrintable(catcher.text));
        QCOMPARE(catcher.icon, QMessageBox::Warning);
        QVERIFY(!window->isTonePlaying());
        QVERIFY(ui().firstSpeedUpButton->isEnabled() && !ui().firstSpeedBox->isReadOnly());
        QVERIFY(!QFile::exists(dir->file(QStringLiteral("temp.wav"))));

        // A stored speed that looks like markup is quoted as it is, never rendered.
        const QString markup = QStringLiteral("<h1 style=\"color:red\">9</h1>");
        ui().firstSpeedBox->setText(markup);
        catcher.arm();
        ui().goButton->click();
        QCOMPARE(catcher.seen, 2);
        QCOMPARE(catcher.format, Qt::PlainText);
        QVERIFY2(catcher.text.contains(markup), qPrintable(catcher.text));
    }

    void menuLabelsLookPressed()
    {
        load();
        const QColor grey(132, 132, 132);
        for (QLabel* label : {ui().settingsLabel, ui().modeLabel, ui().helpLabel}) {
            QTest::mousePress(label, Qt::RightButton, {}, QPoint(-5, -5)); // outside: no click follows
            QCOMPARE(label->palette().color(QPalette::Window), window->palette().color(QPalette::Button));
            QTest::mouseRelease(label, Qt::RightButton, {}, QPoint(-5, -5));
            QCOMPARE(label->palette().color(QPalette::Window), grey);
        }
    }

    // Without a window manager that moves windows (as here, offscreen) the window
    // follows the mouse by itself, for any button; a press on a control does not move it.
    void dragWithoutAWindowManager()
    {
        load();
        window->move(100, 100);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QPoint start = window->pos();
        QTest::mousePress(window.get(), Qt::RightButton, {}, QPoint(240, 70));
        QMouseEvent move(QEvent::MouseMove, QPointF(260, 80), QPointF(window->mapToGlobal(QPoint(260, 80))),
                         Qt::NoButton, Qt::RightButton, {});
        QApplication::sendEvent(window.get(), &move);
        QTest::mouseRelease(window.get(), Qt::RightButton, {}, QPoint(260, 80));
        QCOMPARE(window->pos(), start + QPoint(20, 10));
        // Released, the window stays; a move without the button that started the drag
        // ends it too (its release went elsewhere).
        QMouseEvent after(QEvent::MouseMove, QPointF(280, 90), QPointF(window->mapToGlobal(QPoint(280, 90))),
                          Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(window.get(), &after);
        QCOMPARE(window->pos(), start + QPoint(20, 10));
        QTest::mousePress(window.get(), Qt::MiddleButton, {}, QPoint(240, 70));
        QMouseEvent withoutIt(QEvent::MouseMove, QPointF(250, 75), QPointF(window->mapToGlobal(QPoint(250, 75))),
                              Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &withoutIt);
        QApplication::sendEvent(window.get(), &after);
        QCOMPARE(window->pos(), start + QPoint(20, 10));
        QVERIFY(!QWidget::mouseGrabber());

        const QPoint before = window->pos();
        QTest::mousePress(ui().volumeLabel, Qt::LeftButton, {}, QPoint(5, 5)); // "Volume": no drag handle
        QMouseEvent again(QEvent::MouseMove, QPointF(300, 100), QPointF(window->mapToGlobal(QPoint(300, 100))),
                          Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &again);
        QTest::mouseRelease(ui().volumeLabel, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(window->pos(), before);
    }

    // Every tick of the volume slider is a dark mark on the grey face, not a faint dot.
    void volumeTicksAreVisible()
    {
        load();
        const QImage drawn = ui().volumeSlider->grab().toImage();
        const QList<int> ticks = ui().volumeSlider->tickPositions();
        QVERIFY(ticks.size() >= 65535 / 5000 + 1); // every 5000 from 0
        for (int x : ticks) {
            int dark = 0;
            for (int y = drawn.height() / 2; y < drawn.height(); ++y)
                dark += qGray(drawn.pixel(x, y)) < 64;
            QVERIFY2(dark >= 3, qPrintable(QStringLiteral("x %1: %2 dark pixels").arg(x).arg(dark)));
        }
    }

    void minimiseButton()
    {
        load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        ui().minimiseButton->click();
        QVERIFY(window->windowState() & Qt::WindowMinimized);
    }

    void withoutASoundServerTheVolumeIsHarmless()
    {
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/tinevox/native");
        load();
        QCOMPARE(ui().volumeSlider->value(), 0);
        ui().volumeSlider->setValue(30000);
        ui().volumeSlider->setValue(65535);
        QCOMPARE(ui().volumeSlider->value(), 65535);
        window->unload();
        window.reset();
        if (server.isEmpty())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", server);
    }

    // The Settings label opens the dialog; once it closes, whichever way, the readout,
    // its visibility and the unit captions follow the store.
    void settingsDialogUpdatesTheWindow()
    {
        load();
        ui().firstSpeedBox->setText(QStringLiteral("100"));
        auto withDialog = [](std::function<void(SettingsDialog&)> act) {
            QTimer::singleShot(0, [act] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* dialog = qobject_cast<SettingsDialog*>(w); dialog && dialog->isVisible())
                        act(*dialog);
            });
        };
        withDialog([](SettingsDialog& d) {
            settingsControls(d).kphButton->setChecked(true);
            settingsControls(d).showFrequencyBox->setChecked(true);
            settingsControls(d).okButton->click();
        });
        QTest::mouseClick(ui().settingsLabel, Qt::LeftButton);
        QCOMPARE(ui().firstUnitLabel->text(), QStringLiteral("KPH"));
        QCOMPARE(ui().secondUnitLabel->text(), QStringLiteral("KPH"));
        QVERIFY(!ui().firstFrequencyLabel->isHidden());
        QCOMPARE(ui().firstFrequencyLabel->text(), QStringLiteral("1951 Hz"));

        withDialog([](SettingsDialog& d) {
            settingsControls(d).mphButton->setChecked(true);
            settingsControls(d).cancelButton->click(); // Cancel: nothing changes
        });
        QTest::mouseClick(ui().settingsLabel, Qt::LeftButton);
        QCOMPARE(ui().firstUnitLabel->text(), QStringLiteral("KPH"));

        // While a tone plays the label only looks pressed.
        ui().goButton->click();
        QVERIFY(window->isTonePlaying());
        bool opened = false;
        withDialog([&opened](SettingsDialog& d) {
            opened = true;
            settingsControls(d).cancelButton->click();
        });
        QTest::mouseClick(ui().settingsLabel, Qt::LeftButton);
        QTest::qWait(50);
        QVERIFY(!opened);
        ui().stopButton->click();
    }

    void looksTheSameUnderAnyTheme_data()
    {
        QTest::addColumn<Look>("look");
        QTest::newRow("stationary") << Look::Stationary;
        QTest::newRow("moving, volume up") << Look::MovingWithVolume;
        QTest::newRow("frozen while a tone plays") << Look::Frozen;
        QTest::newRow("menu label pressed") << Look::MenuLabelPressed;
    }

    // The fork window sets every colour it shows: under a dark desktop it looks pixel for
    // pixel as under the default, whether made under it or switched while open. Dialogs
    // follow the desktop.
    void looksTheSameUnderAnyTheme()
    {
        QFETCH(Look, look);
        const auto shown = [&] {
            load();
            putOn(*window, look);
            window->show();
            return QTest::qWaitForWindowExposed(window.get());
        };
        const QPalette desktop = QApplication::palette();
        QVERIFY(shown());
        const QImage underDefault = window->grab().toImage();

        const QPalette dark = inverted(desktop);
        QApplication::setPalette(dark);
        const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });
        QCOMPARE(window->grab().toImage(), underDefault);
        window->unload();
        window.reset();
        QVERIFY(shown());
        QCOMPARE(window->grab().toImage(), underDefault);

        AboutDialog about(window.get());
        QCOMPARE(about.palette().color(QPalette::Window), dark.color(QPalette::Window));
        SettingsDialog settings(window.get());
        QCOMPARE(settings.palette().color(QPalette::Base), dark.color(QPalette::Base));
    }

    void readMeThatCannotBeOpenedIsReported_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<QString>("launcher"); // what the desktop's launcher does; empty: there is none
        QTest::addColumn<QString>("message");  // how the message begins; empty: no message
        QTest::newRow("opened") << true << "exit 0" << QString();
        QTest::newRow("no program takes it") << true << "exit 3" << "No program";
        QTest::newRow("launcher dies") << true << "kill -9 $$" << "No program";
        QTest::newRow("no launcher") << true << QString() << "No program";
        QTest::newRow("file missing") << false << "exit 0" << "The read-me file is missing";
    }

    // Help > ReadMe hands the read-me's full path to the desktop's launcher (xdg-open, a
    // stand-in here); when that cannot open it, a plain-text message gives the full path.
    void readMeThatCannotBeOpenedIsReported()
    {
        QFETCH(bool, fileThere);
        QFETCH(QString, launcher);
        QFETCH(QString, message);
        load();
        const QString readMe = dir->file(QStringLiteral("readme.txt"));
        if (fileThere) {
            QFile file(readMe);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("read me\n") > 0);
        }
        QTemporaryDir bin(TestEnvironment::scratchRoot() + QStringLiteral("/bin-XXXXXX"));
        const QString asked = bin.filePath(QStringLiteral("asked"));
        if (!launcher.isEmpty()) {
            QFile script(bin.filePath(QStringLiteral("xdg-open")));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" >'%1'\n%2\n").arg(asked, launcher).toLocal8Bit());
            script.close();
            QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });

        MessageBoxCatcher catcher;
        catcher.arm();
        window->menus().readMeAction->trigger();
        if (message.isEmpty()) {
            QTRY_COMPARE(TestEnvironment::readAll(asked), readMe.toLocal8Bit());
            QTest::qWait(300);
            QCOMPARE(catcher.seen, 0);
            return;
        }
        QTRY_COMPARE(catcher.seen, 1);
        QVERIFY2(catcher.text.startsWith(message) && catcher.text.endsWith(QLatin1Char('\n') + readMe),
                 qPrintable(catcher.text));
        QCOMPARE(catcher.icon, QMessageBox::Warning);
        QCOMPARE(QFile::exists(asked), fileThere && !launcher.isEmpty());
    }

    void missingCompanionEndsTheProgram()
    {
        TestEnvironment::AppDir empty(false);
        ForkWindow withoutCompanion(empty.path());
        MessageBoxCatcher catcher;
        catcher.arm();
        QVERIFY(!withoutCompanion.load());
        QCOMPARE(catcher.text, QStringLiteral("Error: Data or files are missing or corrupt.\r\nPlease re-install Tinevox!"));
        QCOMPARE(catcher.title, QStringLiteral("Error"));
        QCOMPARE(catcher.icon, QMessageBox::Warning);
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));

        // A folder of that name passes.
        QVERIFY(QDir(empty.path()).mkdir(QStringLiteral("echolet.dll")));
        ForkWindow again(empty.path());
        QVERIFY(again.load());
        again.unload();
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
