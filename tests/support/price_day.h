#pragma once

// Days of prices as the spot-price service writes them, for tests that serve
// or decode them.

#include <QDateTime>

#include <functional>

namespace tarimo::test_support {

// Local time with its UTC offset: "2025-10-26T02:00:00+01:00".
inline QString serviceTime(const QDateTime &instant)
{
    const QDateTime local = instant.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

// The price of record `index` of the day; its start is given in local time.
using PriceOfRecord = std::function<double(int index, const QDateTime &localStart)>;

// A JSON array of records covering the local calendar day `day` in steps of
// `minutesPerRecord`: 96 quarter hours on an ordinary day, 92 or 100 on the
// daylight-saving days of the local time zone.
inline QByteArray serviceDay(QDate day, int minutesPerRecord, const PriceOfRecord &price, double exr = 11.0)
{
    const QDateTime start = QDateTime(day, QTime(0, 0)).toUTC();
    const QDateTime end = QDateTime(day.addDays(1), QTime(0, 0)).toUTC();
    QByteArray json = "[";
    int index = 0;
    for (QDateTime t = start; t < end; t = t.addSecs(minutesPerRecord * 60), ++index) {
        const double sek = price(index, t.toLocalTime());
        json += (index ? "," : "")
                + QStringLiteral(R"({"SEK_per_kWh":%1,"EUR_per_kWh":%2,"EXR":%3,"time_start":"%4","time_end":"%5"})")
                      .arg(sek, 0, 'g', 10).arg(sek / exr, 0, 'g', 10).arg(exr, 0, 'g', 10)
                      .arg(serviceTime(t), serviceTime(t.addSecs(minutesPerRecord * 60)))
                      .toUtf8();
    }
    return json + ']';
}

// One price per local hour: the hour's number in kronor, plus a tenth of the
// quarter (0.0, 0.1, 0.2, 0.3) for quarter-hour records, so that the hourly
// mean of hour h is h + 0.15 and of whole hours just h.
inline double hourNumberPrice(int, const QDateTime &localStart)
{
    return localStart.time().hour() + (localStart.time().minute() / 15) * 0.1;
}

} // namespace tarimo::test_support
