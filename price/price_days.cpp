#include "price/price_days.h"

#include "price/hourly_prices.h"

#include <algorithm>
#include <cmath>

namespace tarimo::price {

PriceDay::PriceDay(std::vector<SpotPriceModel> records, bool fromSavedCopy)
    : m_records(std::move(records))
    , m_hours(hourlyView(m_records))
    , m_fromSavedCopy(fromSavedCopy)
{
    m_spans.reserve(m_hours.size());
    double sum = 0;
    int priced = 0;
    for (std::size_t i = 0; i < m_hours.size(); ++i) {
        const SpotPriceModel &entry = m_hours[i];
        const LocalHour hour = localHour(*entry.timeStart);
        m_spans.push_back({hour.hour, hour.start,
                           entry.timeEnd ? std::optional(entry.timeEnd->toMSecsSinceEpoch()) : std::nullopt});
        if (!entry.spotPriceSEK || !std::isfinite(*entry.spotPriceSEK))
            continue;
        const double price = *entry.spotPriceSEK;
        if (!m_summary) {
            m_priceRange = std::pair(price, price);
            m_summary = Summary{i, i, 0};
        }
        if (price < m_priceRange->first) {
            m_priceRange->first = price;
            m_summary->lowest = i;
        }
        if (price > m_priceRange->second) {
            m_priceRange->second = price;
            m_summary->highest = i;
        }
        sum += price;
        ++priced;
    }
    if (m_summary)
        m_summary->mean = sum / priced;
}

const SpotPriceModel *PriceDay::hourAt(const QDateTime &instant) const
{
    // An entry stands for its whole clock hour, whatever its records span.
    const qint64 start = localHour(instant).start;
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        if (m_spans[i].start == start)
            return &m_hours[i];
    }
    return nullptr;
}

double PriceDay::relativePrice(const SpotPriceModel &record) const
{
    if (!m_priceRange || !record.spotPriceSEK)
        return 0.0;
    const auto [lowest, highest] = *m_priceRange;
    return (*record.spotPriceSEK - lowest) / (highest - lowest);
}

const SpotPriceModel *PriceDay::hourNumbered(int hour, const QDateTime &instant) const
{
    const qint64 at = instant.toMSecsSinceEpoch();
    const SpotPriceModel *first = nullptr;
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        const Span &span = m_spans[i];
        if (span.hour != hour)
            continue;
        if (span.start <= at && span.end && at < *span.end)
            return &m_hours[i];
        if (!first)
            first = &m_hours[i];
    }
    return first;
}

const PriceDay &PriceDays::put(Key key, PriceDay day)
{
    return m_days.insert_or_assign(key, std::move(day)).first->second;
}

const PriceDay *PriceDays::find(Key key) const
{
    const auto found = m_days.find(key);
    return found == m_days.end() ? nullptr : &found->second;
}

void PriceDays::keepOnly(QDate first, QDate last, const std::optional<Key> &alsoKeep)
{
    std::erase_if(m_days, [&](const auto &entry) {
        const Key &key = entry.first;
        return (key.date < first || key.date > last) && key != alsoKeep;
    });
}

} // namespace tarimo::price
