#pragma once

#include "price/cancellation_error.h"
#include "price/spot_price_model.h"
#include "price/zone.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QString>

#include <optional>
#include <stop_token>
#include <vector>

namespace tarimo::price {

// What a fetch brought, and from where.
struct Delivery
{
    std::optional<std::vector<SpotPriceModel>> records;
    // Set when the records are a copy saved earlier, handed out because the
    // service could not give them: why it could not.
    std::optional<QString> savedCopyAfter;
};

// The line that tells of a saved copy handed out in place of the service's
// answer, and why.
inline QString savedCopyLine(QDate day, Zone zone, const QString &after)
{
    return QStringLiteral("💾 Prices from the saved copy %1 %2 after error %3")
        .arg(caseName(zone), day.toString(Qt::ISODate), after);
}

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

    // The same, saying where the records came from. A provider that keeps
    // copies says so here and leaves the telling to its caller, who knows
    // whether the answer still matters; by default every answer is fresh.
    virtual QCoro::Task<Delivery> fetchDay(QDateTime date, Zone zone, std::stop_token stop)
    {
        // Not inside a braced initialiser: g++ 12 mishandles co_await there.
        auto records = co_await fetch(std::move(date), zone, std::move(stop));
        Delivery delivery;
        delivery.records = std::move(records);
        co_return delivery;
    }

    // A day fetched ahead of need (tomorrow, once published), so that it is
    // at hand when it comes: a provider that keeps copies gives a sound
    // saved copy or fetches and saves one. Throws when the day cannot be
    // had (not published yet, no network). By default nothing is fetched.
    virtual QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetchAhead(QDate day, Zone zone)
    {
        Q_UNUSED(day);
        Q_UNUSED(zone);
        co_return std::nullopt;
    }
};

} // namespace tarimo::price
