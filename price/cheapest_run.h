#pragma once

#include "price/spot_price_model.h"

#include <QDateTime>

#include <optional>
#include <vector>

namespace tarimo::price {

// The cheapest stretch of consecutive hours: when to run the dishwasher.
struct CheapestRun
{
    // Of the first hour, and the end of the last (local clock hours).
    QDateTime start;
    QDateTime end;
    int length = 0;
    // The mean of the hours' prices, kronor per kWh.
    double meanPrice = 0;

    friend bool operator==(const CheapestRun &, const CheapestRun &) = default;
};

// The cheapest run of `length` consecutive hours among `hours` (hourly
// entries, in time order; see hourlyView()) that starts in the hour holding
// `from` or later. Hours follow each other when they start an hour apart; an
// hour without a price breaks a run. Ties go to the earliest run. When no
// run is as long as `length`, the longest that exists is taken; with no
// priced hour left there is none. One pass over the hours.
std::optional<CheapestRun> cheapestRun(const std::vector<const SpotPriceModel *> &hours, const QDateTime &from,
                                       int length);

} // namespace tarimo::price
