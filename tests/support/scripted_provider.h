#pragma once

// A price source whose answers a test chooses, for tests of what is built on
// the provider interface (the view model, the display).

#include "price/request.h"
#include "price/request_provider.h"
#include "tests/support/price_day.h"

#include <QCoro/QCoroTimer>
#include <QList>

#include <chrono>
#include <functional>
#include <vector>

namespace tarimo::test_support {

// Decodes a day the way the live price request does.
inline std::vector<price::SpotPriceModel> decodeServiceDay(const QByteArray &json)
{
    return price::Request::decoder().decode<std::vector<price::SpotPriceModel>>(json);
}

// Answers each fetch with what `answer` gives (or throws), after a delay.
class ScriptedProvider : public price::RequestProvider
{
public:
    struct Call
    {
        QDateTime date;
        price::Zone zone;
    };
    using Answer = std::function<std::optional<std::vector<price::SpotPriceModel>>(const QDateTime &, price::Zone)>;

    explicit ScriptedProvider(Answer answer)
        : answer(std::move(answer))
    {}

    QCoro::Task<std::optional<std::vector<price::SpotPriceModel>>> fetch(QDateTime date, price::Zone zone) override
    {
        calls.push_back({date, zone});
        const auto wait = delays.empty() ? delay : delays.takeFirst();
        if (wait > std::chrono::milliseconds(0))
            co_await QCoro::sleepFor(wait);
        co_return answer(date, zone);
    }

    Answer answer;
    std::chrono::milliseconds delay{0};
    // Delays of the next calls, one each; then `delay`.
    QList<std::chrono::milliseconds> delays;
    std::vector<Call> calls;
};

// The local day of each asked date with hourNumberPrice prices: hour h costs
// h kronor (h + 0.15 on average over quarter hours).
inline ScriptedProvider::Answer hourNumberDays(int minutesPerRecord)
{
    return [minutesPerRecord](const QDateTime &date, price::Zone) {
        return std::optional(
            decodeServiceDay(serviceDay(date.toLocalTime().date(), minutesPerRecord, hourNumberPrice)));
    };
}

} // namespace tarimo::test_support
