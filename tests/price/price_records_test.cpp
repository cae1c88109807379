#include "price/hourly_prices.h"
#include "price/spot_price_model.h"
#include "price/zone.h"

#include <QFile>
#include <QTest>

#include <cmath>

using namespace tarimo::price;
using tarimo::api_client::DateDecodingStrategy;
using tarimo::api_client::DecodingError;
using tarimo::api_client::JsonDecoder;
using tarimo::api_client::JsonEncoder;
using tarimo::api_client::KeyDecodingStrategy;
using tarimo::api_client::NonConformingFloatStrategy;

Q_DECLARE_METATYPE(std::optional<Zone>)

namespace {

// Decodes the way the live price request does: keys as declared, ISO 8601
// dates, and the service's three texts for non-finite numbers.
JsonDecoder serviceDecoder()
{
    JsonDecoder decoder;
    decoder.keyDecodingStrategy = KeyDecodingStrategy::useDefaultKeys;
    decoder.dateDecodingStrategy = DateDecodingStrategy::iso8601;
    decoder.nonConformingFloatDecodingStrategy = NonConformingFloatStrategy::convertingToString(
        QStringLiteral("+Infinity"), QStringLiteral("-Infinity"), QStringLiteral("NaN"));
    return decoder;
}

std::vector<SpotPriceModel> decodeDay(const QByteArray &body)
{
    return serviceDecoder().decode<std::vector<SpotPriceModel>>(body);
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(":/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

QDateTime stockholm(int y, int m, int d, int h, int min, int offsetHours)
{
    return QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC).addSecs(-offsetHours * 3600);
}

} // namespace

class PriceRecordsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void zoneFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Zone>>("zone");
        QTest::newRow("SE1") << "SE1" << std::optional(Zone::se1);
        QTest::newRow("SE4") << "SE4" << std::optional(Zone::se4);
        QTest::newRow("lower case") << "se4" << std::optional<Zone>();
        QTest::newRow("other number") << "SE5" << std::optional<Zone>();
        QTest::newRow("empty") << "" << std::optional<Zone>();
        QTest::newRow("spaces") << " SE3" << std::optional<Zone>();
    }
    void zoneFromText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Zone>, zone);
        QCOMPARE(zoneFromRawValue(text), zone);
    }

    void zoneTexts()
    {
        QCOMPARE(rawValue(Zone::se3), QStringLiteral("SE3"));
        QCOMPARE(caseName(Zone::se3), QStringLiteral("se3"));
    }

    // The service's real answer shapes: quarter hours since October 2025, one
    // hour less or more on the daylight-saving days, whole hours before.
    void decodesServiceDays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDateTime>("firstStart");
        QTest::addColumn<QDateTime>("lastEnd");
        QTest::newRow("96 quarter hours") << "day-96-quarter-hours.json" << 96
                                          << stockholm(2025, 11, 12, 0, 0, 1) << stockholm(2025, 11, 13, 0, 0, 1);
        QTest::newRow("spring forward, 92") << "dst-spring-92-quarter-hours.json" << 92
                                            << stockholm(2025, 3, 30, 0, 0, 1) << stockholm(2025, 3, 31, 0, 0, 2);
        QTest::newRow("fall back, 100") << "dst-autumn-100-quarter-hours.json" << 100
                                        << stockholm(2025, 10, 26, 0, 0, 2) << stockholm(2025, 10, 27, 0, 0, 1);
        QTest::newRow("24 hours") << "day-24-hourly.json" << 24
                                  << stockholm(2024, 1, 5, 0, 0, 1) << stockholm(2024, 1, 6, 0, 0, 1);
    }
    void decodesServiceDays()
    {
        QFETCH(QString, file);
        QFETCH(int, count);
        QFETCH(QDateTime, firstStart);
        QFETCH(QDateTime, lastEnd);

        const auto day = decodeDay(fixture(file));
        QCOMPARE(int(day.size()), count);
        QCOMPARE(*day.front().timeStart, firstStart);
        QCOMPARE(*day.back().timeEnd, lastEnd);
        for (const SpotPriceModel &record : day) {
            QVERIFY(record.spotPriceSEK && record.spotPriceEUR && record.exr);
            QVERIFY(*record.timeEnd > *record.timeStart);
        }
        // Records are kept in the order delivered, ids are all different.
        QSet<QUuid> ids;
        for (std::size_t i = 1; i < day.size(); ++i)
            QVERIFY(*day[i].timeStart == *day[i - 1].timeEnd);
        for (const auto &record : day)
            ids.insert(record.id);
        QCOMPARE(int(ids.size()), count);
    }

    void autumnKeepsBothTwoOClockHours()
    {
        const auto day = decodeDay(fixture(QStringLiteral("dst-autumn-100-quarter-hours.json")));
        // 02:00 summer time and 02:00 winter time are an hour apart.
        QCOMPARE(*day[8].timeStart, stockholm(2025, 10, 26, 2, 0, 2));
        QCOMPARE(*day[12].timeStart, stockholm(2025, 10, 26, 2, 0, 1));
        QCOMPARE(day[8].timeStart->secsTo(*day[12].timeStart), 3600);
    }

    void negativePricesStayNegative()
    {
        const auto day = decodeDay(fixture(QStringLiteral("negative-prices-hourly.json")));
        QCOMPARE(*day[1].spotPriceSEK, -0.1);
        QVERIFY(*day[1].spotPriceEUR < 0);
    }

    void missingAndNullKeys()
    {
        const auto day = decodeDay(R"([{}, {"SEK_per_kWh":null,"EXR":11.2,"unknown":[1,2]}, {"time_start":null}])");
        QCOMPARE(day.size(), std::size_t(3));
        QVERIFY(!day[0].spotPriceSEK && !day[0].spotPriceEUR && !day[0].exr && !day[0].timeStart && !day[0].timeEnd);
        QVERIFY(!day[0].id.isNull());
        QVERIFY(!day[1].spotPriceSEK);
        QCOMPARE(day[1].exr, std::optional(11.2));
        QVERIFY(!day[2].timeStart);
    }

    void emptyArrayIsAnEmptyList()
    {
        QVERIFY(decodeDay("[]").empty());
    }

    void oneBadRecordFailsTheAnswer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("string price")
            << QByteArray(R"([{"SEK_per_kWh":1.0},{"SEK_per_kWh":"1,25"}])")
            << "Cannot decode [1].SEK_per_kWh: expected a number but found a string (\"1,25\")";
        QTest::newRow("lower-case nan")
            << QByteArray(R"([{"EUR_per_kWh":"nan"}])")
            << "Cannot decode [0].EUR_per_kWh: expected a number but found a string (\"nan\")";
        QTest::newRow("number as time")
            << QByteArray(R"([{"time_end":1730000000}])")
            << "Cannot decode [0].time_end: expected an ISO 8601 date-time text but found a number (1730000000)";
        QTest::newRow("time without offset")
            << QByteArray(R"([{"time_start":"2025-10-26 02:00"}])")
            << "Cannot decode [0].time_start: expected an ISO 8601 date-time with a UTC offset but found a string (\"2025-10-26 02:00\")";
        QTest::newRow("object instead of list")
            << QByteArray(R"({"SEK_per_kWh":1.0})")
            << "Cannot decode the top level: expected an array but found an object";
    }
    void oneBadRecordFailsTheAnswer()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        try {
            decodeDay(body);
            QFAIL("a bad record was accepted");
        } catch (const DecodingError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
    }

    void nonFiniteTextsOnlyWithTheStrategy()
    {
        const QByteArray body = R"([{"SEK_per_kWh":"NaN","EUR_per_kWh":"+Infinity","EXR":"-Infinity"}])";
        const auto day = decodeDay(body);
        QVERIFY(std::isnan(*day[0].spotPriceSEK));
        QCOMPARE(*day[0].spotPriceEUR, std::numeric_limits<double>::infinity());
        QCOMPARE(*day[0].exr, -std::numeric_limits<double>::infinity());

        JsonDecoder strict;
        strict.dateDecodingStrategy = DateDecodingStrategy::iso8601;
        QVERIFY_THROWS_EXCEPTION(DecodingError, strict.decode<std::vector<SpotPriceModel>>(body));
    }

    void encodesPresentFieldsInKeyOrder()
    {
        SpotPriceModel onlyExr;
        onlyExr.exr = 11.5;
        QCOMPARE(JsonEncoder().encode(onlyExr), QByteArray(R"({"EXR":11.5})"));

        SpotPriceModel full;
        full.exr = 11.5;
        full.timeEnd = stockholm(2025, 10, 26, 3, 0, 1);
        full.timeStart = stockholm(2025, 10, 26, 2, 0, 1);
        full.spotPriceEUR = 0.1;
        full.spotPriceSEK = 1.15;
        JsonEncoder encoder;
        encoder.dateEncodingStrategy = tarimo::api_client::DateEncodingStrategy::iso8601;
        QCOMPARE(encoder.encode(full),
                 QByteArray(R"({"SEK_per_kWh":1.15,"EUR_per_kWh":0.1,"time_start":"2025-10-26T01:00:00Z",)"
                            R"("time_end":"2025-10-26T02:00:00Z","EXR":11.5})"));
    }

    void codingKeys()
    {
        using Key = SpotPriceModel::CodingKeys;
        QCOMPARE(SpotPriceModel::codingKey(u"SEK_per_kWh"), std::optional(Key::spotPriceSEK));
        QCOMPARE(SpotPriceModel::codingKey(u"EXR"), std::optional(Key::exr));
        QCOMPARE(SpotPriceModel::codingKey(u"exr"), std::optional<Key>());
        QCOMPARE(SpotPriceModel::stringValue(Key::timeEnd), QStringLiteral("time_end"));
    }

    // The display works hour by hour whatever the length of the records.
    void hourlyViewOfServiceDays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("hours");
        QTest::newRow("96") << "day-96-quarter-hours.json" << 24;
        QTest::newRow("92") << "dst-spring-92-quarter-hours.json" << 23;
        QTest::newRow("100") << "dst-autumn-100-quarter-hours.json" << 25;
        QTest::newRow("24") << "day-24-hourly.json" << 24;
    }
    void hourlyViewOfServiceDays()
    {
        QFETCH(QString, file);
        QFETCH(int, hours);
        const auto day = decodeDay(fixture(file));
        const auto view = hourlyView(day);
        QCOMPARE(int(view.size()), hours);
        const std::size_t perHour = day.size() / view.size();
        for (std::size_t h = 0; h < view.size(); ++h) {
            double sum = 0;
            for (std::size_t q = 0; q < perHour; ++q)
                sum += *day[h * perHour + q].spotPriceSEK;
            QCOMPARE(*view[h].spotPriceSEK, sum / double(perHour));
            QCOMPARE(*view[h].timeStart, *day[h * perHour].timeStart);
            QCOMPARE(*view[h].timeEnd, *day[h * perHour + perHour - 1].timeEnd);
            QCOMPARE(view[h].timeStart->secsTo(*view[h].timeEnd), 3600);
        }
        if (perHour == 1) {
            // Whole hours are left as they are.
            QCOMPARE(view[5].id, day[5].id);
            QCOMPARE(view[5].spotPriceEUR, day[5].spotPriceEUR);
        }
    }

    void hourlyViewOfGappyRecords()
    {
        const auto day = decodeDay(R"([
            {"SEK_per_kWh":1.0,"time_start":"2025-11-12T10:00:00+01:00","time_end":"2025-11-12T10:15:00+01:00"},
            {"SEK_per_kWh":2.0,"time_end":"2025-11-12T10:30:00+01:00"},
            {"EXR":11.1,"time_start":"2025-11-12T10:30:00+01:00","time_end":"2025-11-12T10:45:00+01:00"},
            {"SEK_per_kWh":4.0,"EXR":11.2,"EUR_per_kWh":0.4,"time_start":"2025-11-12T10:45:00+01:00"},
            {"time_start":"2025-11-12T12:00:00+01:00","time_end":"2025-11-12T13:00:00+01:00"}])");
        const auto view = hourlyView(day);
        QCOMPARE(view.size(), std::size_t(2));
        QCOMPARE(view[0].spotPriceSEK, std::optional(2.5)); // the record without a start counts nowhere
        QCOMPARE(view[0].spotPriceEUR, std::optional(0.4));
        QCOMPARE(view[0].exr, std::optional(11.1));
        QVERIFY(!view[0].timeEnd); // its last record has no end
        QVERIFY(!view[1].spotPriceSEK && !view[1].spotPriceEUR);
        QCOMPARE(*view[1].timeStart, stockholm(2025, 11, 12, 12, 0, 1));
    }

    void decodingTwiceGivesNewIdentities()
    {
        const QByteArray body = R"([{"SEK_per_kWh":1.0}])";
        QVERIFY(decodeDay(body)[0].id != decodeDay(body)[0].id);
    }
};

QTEST_GUILESS_MAIN(PriceRecordsTest)
#include "price_records_test.moc"
