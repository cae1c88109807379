#include "price/cheapest_run.h"

#include "price/hourly_prices.h"

#include <cmath>

namespace tarimo::price {

namespace {

constexpr qint64 hourMsecs = 3'600'000;

struct Priced
{
    qint64 start;
    double price;
};

} // namespace

std::optional<CheapestRun> cheapestRun(const std::vector<const SpotPriceModel *> &hours, const QDateTime &from,
                                       int length)
{
    if (length < 1)
        return std::nullopt;
    const qint64 first = localHour(from).start;

    // The priced hours from `from` on, cut into stretches where each hour
    // follows the one before.
    std::vector<Priced> priced;
    priced.reserve(hours.size());
    std::vector<std::size_t> stretchStart; // index into priced
    std::optional<qint64> lastStart;
    bool broken = true;
    for (const SpotPriceModel *hour : hours) {
        if (!hour->timeStart)
            continue;
        const qint64 start = hour->timeStart->toMSecsSinceEpoch();
        // Out of order or twice: not a later hour.
        if (start < first || (lastStart && start <= *lastStart))
            continue;
        if (!lastStart || start != *lastStart + hourMsecs)
            broken = true;
        lastStart = start;
        if (!hour->spotPriceSEK || !std::isfinite(*hour->spotPriceSEK)) {
            broken = true;
            continue;
        }
        if (broken)
            stretchStart.push_back(priced.size());
        broken = false;
        priced.push_back({start, *hour->spotPriceSEK});
    }
    stretchStart.push_back(priced.size());

    int longest = 0;
    for (std::size_t s = 0; s + 1 < stretchStart.size(); ++s)
        longest = std::max(longest, int(stretchStart[s + 1] - stretchStart[s]));
    const int runLength = std::min(length, longest);
    if (runLength == 0)
        return std::nullopt;

    // Each window of each stretch long enough, summed afresh (at most eight
    // hours): equal prices give equal sums, so a tie is seen as one.
    std::optional<std::pair<double, std::size_t>> best; // sum, index of the first hour
    for (std::size_t s = 0; s + 1 < stretchStart.size(); ++s) {
        for (std::size_t runFirst = stretchStart[s]; runFirst + std::size_t(runLength) <= stretchStart[s + 1]; ++runFirst) {
            double sum = 0;
            for (std::size_t i = runFirst; i < runFirst + std::size_t(runLength); ++i)
                sum += priced[i].price;
            // Cheaper by more than rounding noise: a tie keeps the earlier run.
            if (!best || sum < best->first - 1e-9)
                best = std::pair(sum, runFirst);
        }
    }
    const qint64 start = priced[best->second].start;
    return CheapestRun{QDateTime::fromMSecsSinceEpoch(start), QDateTime::fromMSecsSinceEpoch(start + runLength * hourMsecs),
                       runLength, best->first / runLength};
}

} // namespace tarimo::price
