// The Doppler tone model: the numbers a technician checks the radar against, worked
// out from tone requests alone.

#include "common/TestEnvironment.h"
#include "tone/NumberText.h"
#include "tone/DopplerModel.h"
#include "tone/FrequencyReadout.h"
#include "tone/ToneRequest.h"

#include <QtTest>

#include <limits>

using Doppler::Band;

namespace {

ToneRequest requestFor(Band band, const QString& carrier, bool milesPerHour, const QString& speed)
{
    ToneRequest request;
    request.band = band;
    request.carrier = carrier;
    request.milesPerHour = milesPerHour;
    request.firstSpeed = speed;
    return request;
}

// The usual X band in mph.
ToneRequest xBand(const QString& speed)
{
    return requestFor(Band::X, QStringLiteral("10.525"), true, speed);
}

double toneOf(const ToneRequest& request, WhichTone tone = WhichTone::First)
{
    return NumberText::roundHalfEven(Doppler::toneFrequency(request, tone));
}

} // namespace

class TestDoppler : public QObject {
    Q_OBJECT

private slots:
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
        const double used = Doppler::dopplerConstant(xBand(QStringLiteral("100")));
        QCOMPARE(used, NumberText::toDouble(QStringLiteral("31.3890218012089")));
        QVERIFY(used != full);
    }

    void workedTones_data()
    {
        QTest::addColumn<Band>("band");
        QTest::addColumn<QString>("carrier");
        QTest::addColumn<bool>("milesPerHour");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<double>("tone");
        QTest::newRow("X 100 MPH") << Band::X << "10.525" << true << "100" << 3139.0;
        QTest::newRow("X 100 KPH") << Band::X << "10.525" << false << "100" << 1951.0;
        QTest::newRow("X 1 KPH") << Band::X << "10.525" << false << "1" << 20.0;
        QTest::newRow("K 50 MPH") << Band::K << "24.150" << true << "50" << 3601.0;
        QTest::newRow("Ka 35 MPH") << Band::Ka << "33.8" << true << "35" << 3528.0;
        QTest::newRow("Ka 199 MPH") << Band::Ka << "33.8" << true << "199" << 20060.0;
        QTest::newRow("Ku 60 MPH") << Band::Ku << "13.45" << true << "60" << 2407.0;
        QTest::newRow("X at 9.41, 100 MPH") << Band::X << "9.41" << true << "100" << 2806.0;
        // Speeds without a number give no tone; a negative one a negative frequency.
        QTest::newRow("empty speed") << Band::X << "10.525" << true << "" << 0.0;
        QTest::newRow("letters") << Band::X << "10.525" << true << "abc" << 0.0;
        QTest::newRow("negative speed") << Band::X << "10.525" << true << "-1" << -31.0;
        // A carrier that is no number gives no Doppler shift rather than a failure.
        QTest::newRow("carrier no number") << Band::Ka << "none" << true << "100" << 0.0;
    }
    void workedTones()
    {
        QFETCH(Band, band);
        QFETCH(QString, carrier);
        QFETCH(bool, milesPerHour);
        QFETCH(QString, speed);
        QFETCH(double, tone);
        QCOMPARE(toneOf(requestFor(band, carrier, milesPerHour, speed)), tone);
    }

    void unpreciseValuesBeforeRounding()
    {
        ToneRequest request = xBand(QStringLiteral("100"));
        QVERIFY(qAbs(Doppler::toneFrequency(request, WhichTone::First) - 3138.902) < 0.001);
        request.milesPerHour = false;
        QVERIFY(qAbs(Doppler::toneFrequency(request, WhichTone::First) - 1950.514) < 0.001);
        QCOMPARE(Doppler::speedInMph(QStringLiteral("100"), false), 100 * 0.6214);
    }

    // No band selected: no carrier, no tone, no division by zero, whatever the carrier.
    void noBandGivesNoTone()
    {
        ToneRequest request = xBand(QStringLiteral("100"));
        request.band.reset();
        QCOMPARE(Doppler::dopplerConstant(request), 0.0);
        QCOMPARE(toneOf(request), 0.0);
    }

    // Each tone of moving mode is its own speed at the same band and unit; no sum or
    // difference of the two is formed.
    void eachToneHasItsOwnSpeed()
    {
        ToneRequest request = xBand(QStringLiteral("100"));
        request.secondSpeed = QStringLiteral("50");
        QCOMPARE(toneOf(request, WhichTone::First), 3139.0);
        QCOMPARE(toneOf(request, WhichTone::Second), 1569.0);
        request.secondSpeed = request.firstSpeed;
        QCOMPARE(Doppler::toneFrequency(request, WhichTone::Second), Doppler::toneFrequency(request, WhichTone::First));
    }

    void bandNames()
    {
        for (Band band : {Band::X, Band::K, Band::Ka, Band::Ku})
            QCOMPARE(Doppler::bandFromName(Doppler::bandName(band)), std::optional<Band>(band));
        QCOMPARE(Doppler::bandFromName(QStringLiteral("x")), std::nullopt);
        QCOMPARE(Doppler::bandFromName(QStringLiteral("KA")), std::nullopt);
        QCOMPARE(Doppler::bandFromName(QString()), std::nullopt);
    }

    // The readout's caption: whole hertz half to even, or in words when the label
    // cannot hold it (here: more than eight characters) or it is no finite number.
    void readoutCaption_data()
    {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        QTest::addColumn<double>("frequency");
        QTest::addColumn<QString>("caption");
        QTest::newRow("rounded") << 3138.902 << "3139 Hz";
        QTest::newRow("half down to even") << 2406.5 << "2406 Hz";
        QTest::newRow("half up to even") << 2407.5 << "2408 Hz";
        QTest::newRow("nothing") << 0.0 << "0 Hz";
        QTest::newRow("just below nothing") << -0.4 << "0 Hz";
        QTest::newRow("negative") << -31.4 << "-31 Hz";
        QTest::newRow("too wide") << 123456.0 << "too high";
        QTest::newRow("too wide, negative") << -123456.0 << "too low";
        QTest::newRow("infinite") << infinity << "too high";
        QTest::newRow("minus infinite") << -infinity << "too low";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "too high";
    }
    void readoutCaption()
    {
        QFETCH(double, frequency);
        QFETCH(QString, caption);
        QCOMPARE(FrequencyReadout::caption(frequency, [](const QString& text) { return text.size() <= 8; }), caption);
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
