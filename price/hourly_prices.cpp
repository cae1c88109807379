#include "price/hourly_prices.h"

#include <cmath>
#include <ctime>
#include <unordered_map>

namespace tarimo::price {

namespace {

struct Mean
{
    double sum = 0;
    int count = 0;
    // One broken quarter (NaN, an infinity) must not blank its whole hour.
    void add(const std::optional<double> &value)
    {
        if (value && std::isfinite(*value)) {
            sum += *value;
            ++count;
        }
    }
    std::optional<double> value() const
    {
        return count ? std::optional(sum / count) : std::nullopt;
    }
};

} // namespace

LocalHour localHour(const QDateTime &instant)
{
    // The C library's conversion, which Qt's local time rests on too, but
    // without the zone check Qt makes before each one: with TZ unset that
    // check looks at the system's zone file every time, ten times the cost
    // of the conversion, and a big answer needs one per record.
    const qint64 msecs = instant.toMSecsSinceEpoch();
    const qint64 msecsIntoSecond = (msecs % 1000 + 1000) % 1000;
    const std::time_t seconds = std::time_t((msecs - msecsIntoSecond) / 1000);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) {
        const QTime time = instant.toLocalTime().time();
        return {msecs - (time.minute() * 60'000 + time.second() * 1000 + time.msec()), time.hour()};
    }
    // Subtracting the local minutes keeps the instant's own offset, so the
    // two 02 hours of the autumn day stay apart.
    return {msecs - ((local.tm_min * 60 + local.tm_sec) * 1000 + msecsIntoSecond), local.tm_hour};
}

std::vector<SpotPriceModel> hourlyView(const std::vector<SpotPriceModel> &records)
{
    struct Hour
    {
        SpotPriceModel entry;
        Mean sek;
        Mean eur;
    };
    std::vector<Hour> hours;
    // A big answer may hold hundreds of thousands of hours: find each one
    // by its start, never by scanning the hours found so far.
    std::unordered_map<qint64, std::size_t> hourAt;
    qint64 lastStart = 0;
    std::size_t last = 0;

    for (const SpotPriceModel &record : records) {
        if (!record.timeStart)
            continue;
        const qint64 start = localHour(*record.timeStart).start;
        // Records come in order as a rule: most belong to the previous one's hour.
        if (hours.empty() || start != lastStart) {
            const auto [found, isNew] = hourAt.try_emplace(start, hours.size());
            if (isNew) {
                Hour &hour = hours.emplace_back(Hour{record, {}, {}});
                hour.entry.timeStart = QDateTime::fromMSecsSinceEpoch(start, Qt::UTC);
            }
            lastStart = start;
            last = found->second;
        }
        Hour &hour = hours[last];
        hour.sek.add(record.spotPriceSEK);
        hour.eur.add(record.spotPriceEUR);
        if (!hour.entry.exr)
            hour.entry.exr = record.exr;
        hour.entry.timeEnd = record.timeEnd;
    }

    std::vector<SpotPriceModel> view;
    view.reserve(hours.size());
    for (Hour &hour : hours) {
        hour.entry.spotPriceSEK = hour.sek.value();
        hour.entry.spotPriceEUR = hour.eur.value();
        view.push_back(std::move(hour.entry));
    }
    return view;
}

} // namespace tarimo::price
