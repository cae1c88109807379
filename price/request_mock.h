#pragma once

#include "price/cancellation_error.h"
#include "price/request_provider.h"

#include <QCoro/QCoroTask>

#include <chrono>
#include <stop_token>

namespace tarimo::price {

// Answers after `timeout` with one made-up record for the present hour; needs
// no network. For tests and for trying the display without the service.
class RequestMock : public RequestProvider
{
public:
    explicit RequestMock(std::chrono::nanoseconds timeout)
        : timeout(timeout)
    {}

    // Read once per fetch.
    std::chrono::nanoseconds timeout;

    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone) override;
    // A stop request ends a pending wait at once: fetch then fails with
    // CancellationError and produces no record.
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone,
                                                                  std::stop_token stop) override;

    // A uniformly drawn price in [-99, 99], both ends included.
    static double randomPrice();
};

} // namespace tarimo::price
