#pragma once

#include <QDateTime>

#include <functional>

namespace tarimo::price {

// Gives the present instant. Injected wherever "now" is asked, so that tests
// and tools can set the time; empty means the system's clock.
using Clock = std::function<QDateTime()>;

inline Clock systemClockUnlessGiven(Clock clock)
{
    return clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); });
}

} // namespace tarimo::price
