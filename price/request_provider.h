#pragma once

#include "price/cancellation_error.h"
#include "price/spot_price_model.h"
#include "price/zone.h"

#include <QCoro/QCoroTask>
#include <QDateTime>

#include <optional>
#include <stop_token>
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
    // The same, for a load that may be superseded: once `stop` is requested
    // the fetch may end early with CancellationError, printing nothing more.
    // Here the token is ignored; sources that can abort override this.
    virtual QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone,
                                                                          [[maybe_unused]] std::stop_token stop)
    {
        return fetch(std::move(date), zone);
    }
};

} // namespace tarimo::price
