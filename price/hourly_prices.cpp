#include "price/hourly_prices.h"

#include <algorithm>

namespace tarimo::price {

namespace {

// The start of the local clock hour that contains `instant`. Subtracting the
// local minutes keeps the instant's own offset, so the two 02 hours of the
// autumn day stay apart.
QDateTime hourStart(const QDateTime &instant)
{
    const QTime local = instant.toLocalTime().time();
    return instant.addMSecs(-qint64(local.minute() * 60'000 + local.second() * 1000 + local.msec())).toUTC();
}

struct Mean
{
    double sum = 0;
    int count = 0;
    void add(const std::optional<double> &value)
    {
        if (value) {
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

std::vector<SpotPriceModel> hourlyView(const std::vector<SpotPriceModel> &records)
{
    struct Hour
    {
        SpotPriceModel entry;
        Mean sek;
        Mean eur;
    };
    std::vector<Hour> hours;
    hours.reserve(25);

    for (const SpotPriceModel &record : records) {
        if (!record.timeStart)
            continue;
        const QDateTime start = hourStart(*record.timeStart);
        auto hour = std::find_if(hours.begin(), hours.end(),
                                 [&](const Hour &h) { return *h.entry.timeStart == start; });
        if (hour == hours.end()) {
            Hour fresh;
            fresh.entry.id = record.id;
            fresh.entry.timeStart = start;
            hours.push_back(std::move(fresh));
            hour = hours.end() - 1;
        }
        hour->sek.add(record.spotPriceSEK);
        hour->eur.add(record.spotPriceEUR);
        if (!hour->entry.exr)
            hour->entry.exr = record.exr;
        hour->entry.timeEnd = record.timeEnd;
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
