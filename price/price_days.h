#pragma once

#include "price/spot_price_model.h"
#include "price/zone.h"

#include <QDate>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace tarimo::price {

// One day of prices of one zone as the program holds it: the records as
// delivered and the same day hour by hour.
class PriceDay
{
public:
    PriceDay(std::vector<SpotPriceModel> records, bool fromSavedCopy);

    // In the order delivered.
    const std::vector<SpotPriceModel> &records() const { return m_records; }
    // One entry per clock hour, in order: 24 on most days, 23 or 25 on the
    // daylight-saving days (see hourlyView()).
    const std::vector<SpotPriceModel> &hours() const { return m_hours; }
    // A copy saved earlier, handed out because the service failed.
    bool isFromSavedCopy() const { return m_fromSavedCopy; }

    // The hour whose interval holds `instant`, if any.
    const SpotPriceModel *hourAt(const QDateTime &instant) const;
    // The hour with that number (0 to 23), of whatever date: the one that
    // holds `instant` where there are two (the autumn day's 02), else the
    // first.
    const SpotPriceModel *hourNumbered(int hour, const QDateTime &instant) const;
    // The cheapest and the dearest finite price of an hour; none when no
    // hour has one.
    const std::optional<std::pair<double, double>> &priceRange() const { return m_priceRange; }
    // Where the record's price lies in this day's range: 0 for the cheapest
    // hour, 1 for the dearest; 0 without a price or a range. Equal prices
    // all day give 0 / 0: not a number.
    double relativePrice(const SpotPriceModel &record) const;

    // The day at a glance: its cheapest and dearest hour (the first of equal
    // ones), as indexes into hours(), and the mean of the priced hours.
    struct Summary
    {
        std::size_t lowest = 0;
        std::size_t highest = 0;
        double mean = 0;
    };
    // None when no hour has a price.
    const std::optional<Summary> &summary() const { return m_summary; }

private:
    struct Span
    {
        int hour;
        qint64 start;
        std::optional<qint64> end;
    };

    std::vector<SpotPriceModel> m_records;
    std::vector<SpotPriceModel> m_hours;
    // Per entry of m_hours: its hour number and where it lies in time, so
    // that lookups compare numbers instead of converting times.
    std::vector<Span> m_spans;
    std::optional<std::pair<double, double>> m_priceRange;
    std::optional<Summary> m_summary;
    bool m_fromSavedCopy;
};

// The days of prices the program has, by zone and local calendar date,
// whether a load or a saved copy brought them. Plain data: it knows no
// clock, network or view.
class PriceDays
{
public:
    struct Key
    {
        Zone zone;
        QDate date;
        friend auto operator<=>(const Key &a, const Key &b)
        {
            if (auto order = a.zone <=> b.zone; order != 0)
                return order;
            return a.date.toJulianDay() <=> b.date.toJulianDay();
        }
        friend bool operator==(const Key &, const Key &) = default;
    };

    // Replaces what was held for that zone and date.
    const PriceDay &put(Key key, PriceDay day);
    // Null when the day is not held.
    const PriceDay *find(Key key) const;
    // Keeps only the days from `first` to `last`, and `alsoKeep`.
    void keepOnly(QDate first, QDate last, const std::optional<Key> &alsoKeep = std::nullopt);
    std::size_t size() const { return m_days.size(); }

private:
    std::map<Key, PriceDay> m_days;
};

} // namespace tarimo::price
