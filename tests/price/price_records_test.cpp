#include "price/hourly_prices.h"
#include "price/spot_price_model.h"
#include "price/zone.h"

#include "tests/support/scripted_provider.h"

#include <QFile>
#include <QTest>

using namespace tarimo::price;
using tarimo::api_client::DecodingError;
using tarimo::test_support::decodeServiceDay;

Q_DECLARE_METATYPE(std::optional<Zone>)

namespace {

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(":/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

QDateTime stockholm(int y, int m, int d, int h, int offsetHours)
{
    return QDateTime(QDate(y, m, d), QTime(h, 0), Qt::UTC).addSecs(-offsetHours * 3600);
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
        QTest::newRow("spaces") << " SE3" << std::optional<Zone>();
    }
    void zoneFromText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Zone>, zone);
        QCOMPARE(zoneFromRawValue(text), zone);
    }

    // The service's real answer shapes: quarter hours since October 2025, one
    // hour less or more on the daylight-saving days, whole hours before. The
    // display works on the hourly view: each hour the mean of its records.
    void serviceDays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("hours");
        QTest::addColumn<QDateTime>("firstStart");
        QTest::addColumn<QDateTime>("lastEnd");
        QTest::addColumn<double>("secondPrice");
        QTest::newRow("96 quarter hours") << "day-96-quarter-hours.json" << 96 << 24 << stockholm(2025, 11, 12, 0, 1)
                                          << stockholm(2025, 11, 13, 0, 1) << 0.38004;
        QTest::newRow("spring forward, 92") << "dst-spring-92-quarter-hours.json" << 92 << 23
                                            << stockholm(2025, 3, 30, 0, 1) << stockholm(2025, 3, 31, 0, 2) << 0.38004;
        QTest::newRow("fall back, 100") << "dst-autumn-100-quarter-hours.json" << 100 << 25
                                        << stockholm(2025, 10, 26, 0, 2) << stockholm(2025, 10, 27, 0, 1) << 0.38004;
        QTest::newRow("24 hours") << "day-24-hourly.json" << 24 << 24 << stockholm(2024, 1, 5, 0, 1)
                                  << stockholm(2024, 1, 6, 0, 1) << 0.38026;
        QTest::newRow("negative prices") << "negative-prices-hourly.json" << 24 << 24 << stockholm(2024, 6, 15, 0, 2)
                                         << stockholm(2024, 6, 16, 0, 2) << -0.1;
    }
    void serviceDays()
    {
        QFETCH(QString, file);
        QFETCH(int, count);
        QFETCH(int, hours);
        QFETCH(QDateTime, firstStart);
        QFETCH(QDateTime, lastEnd);
        QFETCH(double, secondPrice);

        const auto day = decodeServiceDay(fixture(file));
        QCOMPARE(int(day.size()), count);
        QCOMPARE(*day.front().timeStart, firstStart);
        QCOMPARE(*day.back().timeEnd, lastEnd);
        QCOMPARE(*day[1].spotPriceSEK, secondPrice);
        QSet<QUuid> ids;
        for (std::size_t i = 0; i < day.size(); ++i) {
            QVERIFY(day[i].spotPriceSEK && day[i].spotPriceEUR && day[i].exr);
            QVERIFY(i == 0 || *day[i].timeStart == *day[i - 1].timeEnd);
            ids.insert(day[i].id);
        }
        QCOMPARE(int(ids.size()), count);

        const auto view = hourlyView(day);
        QCOMPARE(int(view.size()), hours);
        const std::size_t perHour = day.size() / view.size();
        for (std::size_t h = 0; h < view.size(); ++h) {
            double sum = 0;
            for (std::size_t q = 0; q < perHour; ++q)
                sum += *day[h * perHour + q].spotPriceSEK;
            QCOMPARE(*view[h].spotPriceSEK, sum / double(perHour));
            QCOMPARE(*view[h].timeStart, *day[h * perHour].timeStart);
            QCOMPARE(view[h].timeStart->secsTo(*view[h].timeEnd), 3600);
        }
    }

    void missingAndNullKeys()
    {
        QVERIFY(decodeServiceDay("[]").empty());
        const auto day = decodeServiceDay(R"([{}, {"SEK_per_kWh":null,"EXR":11.2,"unknown":[1,2]}])");
        QCOMPARE(day.size(), std::size_t(2));
        QVERIFY(!day[0].spotPriceSEK && !day[0].spotPriceEUR && !day[0].exr && !day[0].timeStart && !day[0].timeEnd);
        QVERIFY(!day[0].id.isNull());
        QVERIFY(!day[1].spotPriceSEK);
        QCOMPARE(day[1].exr, std::optional(11.2));
    }

    void oneBadRecordFailsTheAnswer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("string price")
            << QByteArray(R"([{"SEK_per_kWh":1.0},{"SEK_per_kWh":"1,25"}])")
            << "Cannot decode [1].SEK_per_kWh: expected a number but found a string (\"1,25\")";
        QTest::newRow("number as time")
            << QByteArray(R"([{"time_end":1730000000}])")
            << "Cannot decode [0].time_end: expected an ISO 8601 date-time text but found a number (1730000000)";
        QTest::newRow("number beyond a double")
            << QByteArray(R"([{"SEK_per_kWh":1.0},{"EXR":[2],"SEK_per_kWh":-1e400}])")
            << "Cannot decode [1].SEK_per_kWh: the number -1e400 does not fit in a double";
    }
    void oneBadRecordFailsTheAnswer()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        try {
            decodeServiceDay(body);
            QFAIL("a bad record was accepted");
        } catch (const DecodingError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
    }

    void hourlyViewOfGappyRecords()
    {
        const auto day = decodeServiceDay(R"([
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
        QCOMPARE(*view[1].timeStart, stockholm(2025, 11, 12, 12, 1));
    }
};

QTEST_GUILESS_MAIN(PriceRecordsTest)
#include "price_records_test.moc"
