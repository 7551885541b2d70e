// The Doppler tone model: the numbers a technician checks the radar against.

#include "common/TestEnvironment.h"
#include "settings/SettingsKeys.h"
#include "tone/DopplerModel.h"
#include "settings/NumberText.h"

#include <QtTest>

using Doppler::Band;

class TestDoppler : public QObject {
    Q_OBJECT

    static double toneFor(Band band, const QString& speed)
    {
        return NumberText::roundHalfEven(Doppler::toneFrequency(Doppler::dopplerConstantFor(band), speed));
    }

private slots:
    void init() { TestEnvironment::clearSettings(); }

    void constantsAsText_data()
    {
        QTest::addColumn<QString>("carrier");
        QTest::addColumn<QString>("text");
        QTest::newRow("X default") << "10.525" << "31.3890218012089";
        QTest::newRow("K default") << "24.150" << "72.0232661756955";
        QTest::newRow("Ka default") << "33.8" << "100.80274934735";
        QTest::newRow("Ku fixed") << "13.45" << "40.1123366485757";
        QTest::newRow("X 9.41") << "9.41" << "28.0637240046913";
    }
    void constantsAsText()
    {
        QFETCH(QString, carrier);
        QFETCH(QString, text);
        QCOMPARE(Doppler::DopplerConst(carrier), text);
        QCOMPARE(Doppler::DopplerConst(NumberText::leadingValue(carrier)), text);
    }

    void wavelength()
    {
        QCOMPARE(Doppler::WaveLength(10.525), 299792458.0 / 10525000000.0);
        QCOMPARE(Doppler::WaveLength(QStringLiteral("10.525")), Doppler::WaveLength(10.525));
    }

    // The constant is used as its 15-digit text says, not at full precision.
    void constantIsTheRoundTrippedText()
    {
        const double full = Doppler::DopplerFactor / Doppler::WaveLength(10.525);
        const double used = Doppler::dopplerConstantFor(Band::X);
        QCOMPARE(used, NumberText::toDouble(QStringLiteral("31.3890218012089")));
        QVERIFY(used != full);
    }

    void workedTones_data()
    {
        QTest::addColumn<Band>("band");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<double>("tone");
        QTest::newRow("X 100 MPH") << Band::X << "MPH" << "100" << 3139.0;
        QTest::newRow("X 100 KPH") << Band::X << "KPH" << "100" << 1951.0;
        QTest::newRow("X 1 KPH") << Band::X << "KPH" << "1" << 20.0;
        QTest::newRow("K 50 MPH") << Band::K << "MPH" << "50" << 3601.0;
        QTest::newRow("Ka 35 MPH") << Band::Ka << "MPH" << "35" << 3528.0;
        QTest::newRow("Ka 199 MPH") << Band::Ka << "MPH" << "199" << 20060.0;
        QTest::newRow("Ku 60 MPH") << Band::Ku << "MPH" << "60" << 2407.0;
    }
    void workedTones()
    {
        QFETCH(Band, band);
        QFETCH(QString, unit);
        QFETCH(QString, speed);
        QFETCH(double, tone);
        Settings::write(Settings::Unit, unit);
        QCOMPARE(toneFor(band, speed), tone);
    }

    void unpreciseValuesBeforeRounding()
    {
        const double x = Doppler::dopplerConstantFor(Band::X);
        QVERIFY(qAbs(Doppler::toneFrequency(x, QStringLiteral("100")) - 3138.902) < 0.001);
        Settings::write(Settings::Unit, QStringLiteral("KPH"));
        QVERIFY(qAbs(Doppler::toneFrequency(x, QStringLiteral("100")) - 1950.514) < 0.001);
        QCOMPARE(Doppler::speedInMph(QStringLiteral("100")), 100 * 0.6214);
    }

    void carrierLookup()
    {
        // No keys: the band table's defaults.
        QCOMPARE(Doppler::carrierText(Band::X), QStringLiteral("10.525"));
        QCOMPARE(Doppler::carrierText(Band::K), QStringLiteral("24.150"));
        QCOMPARE(Doppler::carrierText(Band::Ka), QStringLiteral("33.8"));
        // A stored carrier is read at the moment of use.
        Settings::write(Settings::XFreq, QStringLiteral("9.41"));
        QCOMPARE(toneFor(Band::X, QStringLiteral("100")), 2806.0);
        // Ku reads no key, whatever the others hold.
        Settings::write(Settings::KFreq, QStringLiteral("1"));
        Settings::write(Settings::KaFreq, QStringLiteral("1"));
        QCOMPARE(toneFor(Band::Ku, QStringLiteral("60")), 2407.0);
        // A K carrier that is no entry of its list is the list's default, as the
        // settings dialog shows it.
        QCOMPARE(toneFor(Band::K, QStringLiteral("100")), NumberText::roundHalfEven(100 * 0.89408 / (0.299792458 / 24.150)));
    }

    void unitRuleIsExactAndCaseSensitive_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("tone");
        QTest::newRow("MPH") << "MPH" << 3139.0;
        QTest::newRow("KPH") << "KPH" << 1951.0;
        QTest::newRow("lower case") << "mph" << 1951.0;
        QTest::newRow("empty") << "" << 1951.0;
        QTest::newRow("trailing blank") << "MPH " << 1951.0;
    }
    void unitRuleIsExactAndCaseSensitive()
    {
        QFETCH(QString, unit);
        QFETCH(double, tone);
        Settings::write(Settings::Unit, unit);
        QCOMPARE(toneFor(Band::X, QStringLiteral("100")), tone);
    }

    void speedsWithoutNumbersGiveNoTone()
    {
        QCOMPARE(toneFor(Band::X, QString()), 0.0);
        QCOMPARE(toneFor(Band::X, QStringLiteral("abc")), 0.0);
        QVERIFY(toneFor(Band::X, QStringLiteral("-1")) < 0);
        // No band selected: no carrier, no tone, no division by zero.
        QCOMPARE(Doppler::dopplerConstantFor(std::nullopt), 0.0);
        // A Ka carrier that is no number gives no Doppler shift rather than a failure.
        Settings::write(Settings::KaFreq, QStringLiteral("none"));
        QCOMPARE(Doppler::dopplerConstantFor(Band::Ka), 0.0);
    }

    void equalSpeedsGiveEqualTones()
    {
        const double k = Doppler::dopplerConstantFor(Band::Ka);
        QCOMPARE(Doppler::toneFrequency(k, QStringLiteral("77")), Doppler::toneFrequency(k, QStringLiteral("77")));
    }

    void bandNames()
    {
        for (Band band : {Band::X, Band::K, Band::Ka, Band::Ku})
            QCOMPARE(Doppler::bandFromName(Doppler::bandName(band)), std::optional<Band>(band));
        QCOMPARE(Doppler::bandFromName(QStringLiteral("x")), std::nullopt);
        QCOMPARE(Doppler::bandFromName(QStringLiteral("KA")), std::nullopt);
        QCOMPARE(Doppler::bandFromName(QString()), std::nullopt);
    }
};

// Leading numbers, rounding and the text of constants.
class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void leadingValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("digits") << "55" << 55.0;
        QTest::newRow("decimals") << "12.5" << 12.5;
        QTest::newRow("trailing text") << "10 bytes" << 10.0;
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("leading blanks") << "  33.8" << 33.8;
        QTest::newRow("fraction only") << ".5" << 0.5;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("comma is no decimal point") << "10,525" << 10.0;
        QTest::newRow("two points") << "1.2.3" << 1.2;
        QTest::newRow("zeros") << "000" << 0.0;
        QTest::newRow("far too many digits") << QString(400, QLatin1Char('9')) << 0.0;
    }
    void leadingValue()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(NumberText::leadingValue(text), value);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("3.5") << 3.5 << 4.0;
        QTest::newRow("2406.5") << 2406.5 << 2406.0;
        QTest::newRow("2407.5") << 2407.5 << 2408.0;
        QTest::newRow("3138.902") << 3138.902 << 3139.0;
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1.5") << 1.5 << 2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("-3.5") << -3.5 << -4.0;
        QTest::newRow("just over half") << 2.5000001 << 3.0;
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(NumberText::roundHalfEven(value), rounded);
    }

    void textOfNumbers()
    {
        QCOMPARE(NumberText::fromDouble(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(NumberText::toDouble(NumberText::fromDouble(1.0 / 3.0)), 0.333333333333333);
        QCOMPARE(NumberText::toDouble(QStringLiteral("x")), 0.0);
        QCOMPARE(NumberText::wholeNumber(3139), QStringLiteral("3139"));
        QCOMPARE(NumberText::wholeNumber(1234567), QStringLiteral("1234567"));
        QCOMPARE(NumberText::wholeNumber(-0.0), QStringLiteral("0"));
        // Speeds are kept and stepped in plain digits, never with an exponent.
        QCOMPARE(NumberText::plainDecimal(13), QStringLiteral("13"));
        QCOMPARE(NumberText::plainDecimal(13.5), QStringLiteral("13.5"));
        QCOMPARE(NumberText::plainDecimal(-1), QStringLiteral("-1"));
        QCOMPARE(NumberText::plainDecimal(-0.0), QStringLiteral("0"));
        QCOMPARE(NumberText::plainDecimal(1e20), QStringLiteral("100000000000000000000"));
        QCOMPARE(NumberText::plainDecimal(8.57306917e-14), QStringLiteral("0.0000000000000857306917"));
        QCOMPARE(NumberText::plainDecimal(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(NumberText::wholeNumber(NumberText::roundHalfEven(-0.4)), QStringLiteral("0"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return TestEnvironment::runAll<TestDoppler, TestNumberText>(argc, argv);
}

#include "test_doppler.moc"
