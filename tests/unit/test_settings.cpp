// The settings store and the rules by which its texts are understood.

#include "common/TestEnvironment.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsKeys.h"

#include <QFile>
#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { TestEnvironment::clearSettings(); }

    void emptyStoreGivesEveryDefault()
    {
        QCOMPARE(Settings::read(Settings::Band), QStringLiteral("X"));
        QCOMPARE(Settings::read(Settings::Speed), QStringLiteral("10"));
        QCOMPARE(Settings::read(Settings::Speed2), QStringLiteral("10"));
        QCOMPARE(Settings::read(Settings::Mode), QStringLiteral("Stationary"));
        QCOMPARE(Settings::read(Settings::Unit), QStringLiteral("MPH"));
        QCOMPARE(Settings::read(Settings::XFreq), QStringLiteral("10.525"));
        QCOMPARE(Settings::read(Settings::KFreq), QStringLiteral("24.150"));
        QCOMPARE(Settings::read(Settings::KaFreq), QStringLiteral("33.8"));
        QCOMPARE(Settings::read(Settings::Accuracy), QStringLiteral("10"));
        QCOMPARE(Settings::read(Settings::ShowFreq), QStringLiteral("0"));
        // Reading writes nothing.
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
    }

    void valuesRoundTripExactly()
    {
        const QStringList keys {QStringLiteral("MPH/KPH"), QStringLiteral("KFreq"), QStringLiteral("Speed")};
        const QStringList values {QStringLiteral("KPH"), QStringLiteral("24.150"), QStringLiteral("12.5")};
        for (int i = 0; i < keys.size(); ++i)
            Platform::SaveSetting(QStringLiteral("Tinecheck"), QStringLiteral("Settings"), keys[i], values[i]);
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(Platform::GetSetting(QStringLiteral("Tinecheck"), QStringLiteral("Settings"), keys[i], QStringLiteral("?")), values[i]);
        // A later save replaces the value; the trailing zero of a list entry stays.
        Settings::write(Settings::Unit, QStringLiteral("MPH"));
        QCOMPARE(Settings::read(Settings::Unit), QStringLiteral("MPH"));
        QCOMPARE(Settings::read(Settings::KFreq), QStringLiteral("24.150"));
        // Texts that the file format treats specially come back as they went in.
        for (const QString& text : {QStringLiteral("33,8"), QStringLiteral("a=b"), QStringLiteral(" 5 "),
                                    QStringLiteral("@Variant"), QStringLiteral("Müller"), QString()}) {
            Settings::write(Settings::KaFreq, text);
            QCOMPARE(Settings::read(Settings::KaFreq), text);
        }
    }

    void storeLivesInTheUsersConfigFolder()
    {
        Settings::write(Settings::Band, QStringLiteral("Ka"));
        Settings::write(Settings::Unit, QStringLiteral("KPH"));
        const QByteArray text = TestEnvironment::readAll(TestEnvironment::settingsFile());
        QVERIFY(text.contains("[Settings]"));
        QVERIFY(text.contains("Band=Ka"));
        QVERIFY(text.contains("KPH=KPH"));
    }

    // No copy in memory: a change made by anyone is seen at the next read.
    void nothingIsCached()
    {
        Settings::write(Settings::Accuracy, QStringLiteral("25"));
        QCOMPARE(Settings::read(Settings::Accuracy), QStringLiteral("25"));
        QFile file(TestEnvironment::settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Settings]\nAccuracy=100\nBand=K\n");
        file.close();
        QCOMPARE(Settings::read(Settings::Accuracy), QStringLiteral("100"));
        QCOMPARE(Settings::read(Settings::Band), QStringLiteral("K"));
        QFile::remove(TestEnvironment::settingsFile());
        QCOMPARE(Settings::read(Settings::Accuracy), QStringLiteral("10"));
    }

    // A value the store refused still reads back for this run, and the first later save
    // that reaches the disk takes it along: a mode refused at the menu is kept at close.
    void refusedValueCountsUntilItIsWritten()
    {
        const TestEnvironment::UnwritableSettings store(TestEnvironment::UnwritableSettings::Way::FolderNamedAsTheFile);
        const auto refused = Settings::write(Settings::Mode, QStringLiteral("Moving"));
        QVERIFY(refused);
        QCOMPARE(refused->file, store.file());
        QCOMPARE(refused->reason, QStringLiteral("a folder has the file's name"));
        QCOMPARE(Settings::read(Settings::Mode), QStringLiteral("Moving"));

        QVERIFY(QDir(store.file()).removeRecursively());
        QVERIFY(!Settings::write(Settings::Band, QStringLiteral("K")));
        const QByteArray text = TestEnvironment::readAll(store.file());
        QVERIFY2(text.contains("Mode=Moving") && text.contains("Band=K"), text.constData());
    }

    void handWrittenValuesReadAsText()
    {
        QFile file(TestEnvironment::settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Settings]\nKaFreq=33,8\nBand=\nSpeed=@Variant(garbage\n");
        file.close();
        QCOMPARE(Settings::read(Settings::KaFreq), QStringLiteral("33,8"));
        QCOMPARE(Settings::read(Settings::Band), QString());
        Settings::read(Settings::Speed); // any text, no crash
    }

    void comparisonRules()
    {
        QVERIFY(Settings::unitIsMph(QStringLiteral("MPH")));
        QCOMPARE(Settings::unitCaption(QStringLiteral("MPH")), QStringLiteral("MPH"));
        for (const QString& kph : {QStringLiteral("KPH"), QStringLiteral("mph"), QStringLiteral(""), QStringLiteral(" MPH")}) {
            QVERIFY2(!Settings::unitIsMph(kph), qPrintable(kph));
            QCOMPARE(Settings::unitCaption(kph), QStringLiteral("KPH"));
        }

        QVERIFY(Settings::modeIsStationary(QStringLiteral("Stationary")));
        for (const QString& moving : {QStringLiteral("Moving"), QStringLiteral("stationary"), QStringLiteral("")})
            QVERIFY2(!Settings::modeIsStationary(moving), qPrintable(moving));

        for (const QString& on : {QStringLiteral("1"), QStringLiteral("-1"), QStringLiteral("2"), QStringLiteral("0.5")})
            QVERIFY2(Settings::showFreqIsOn(on), qPrintable(on));
        for (const QString& off : {QStringLiteral("0"), QStringLiteral("0.0"), QStringLiteral(""), QStringLiteral("yes")})
            QVERIFY2(!Settings::showFreqIsOn(off), qPrintable(off));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
