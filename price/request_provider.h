#pragma once

#include "price/spot_price_model.h"
#include "price/zone.h"

#include <QCoro/QCoroFwd>
#include <QDateTime>

#include <optional>
#include <vector>

namespace tarimo::price {

// Where the view model gets a day of prices from.
class RequestProvider
{
public:
    virtual ~RequestProvider() = default;

    // The records of `zone` for the local calendar day of `date`. An absent
    // list and an empty list are different answers.
    virtual QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone) = 0;
};

} // namespace tarimo::price
