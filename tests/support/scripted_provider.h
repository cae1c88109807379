#pragma once

// A price source whose answers a test chooses, for tests of what is built on
// the provider interface (the view model, the display).

#include "price/request.h"
#include "tests/support/price_day.h"

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTimer>
#include <QPromise>

namespace tarimo::test_support {

// Decodes a day the way the live price request does.
inline std::vector<price::SpotPriceModel> decodeServiceDay(const QByteArray &json)
{
    return price::Request::decoder().decode<std::vector<price::SpotPriceModel>>(json);
}

// Answers each fetch with what `answer` gives (or throws), after a delay or
// when the test releases it.
class ScriptedProvider : public price::RequestProvider
{
public:
    struct Call
    {
        QDateTime date;
        price::Zone zone;
        // Set while `holding`: the answer waits until release().
        std::shared_ptr<QPromise<void>> gate;
    };
    using Answer = std::function<std::optional<std::vector<price::SpotPriceModel>>(const QDateTime &, price::Zone)>;

    explicit ScriptedProvider(Answer answer) : answer(std::move(answer)) {}

    using price::RequestProvider::fetch;
    QCoro::Task<std::optional<std::vector<price::SpotPriceModel>>> fetch(QDateTime date, price::Zone zone) override
    {
        // A future, not a timer's signal: awaiting a private signal binds a
        // reference to null inside Qt.
        auto gate = holding ? std::make_shared<QPromise<void>>() : nullptr;
        calls.push_back({date, zone, gate});
        if (gate) {
            gate->start();
            co_await gate->future();
        }
        if (delay.count() > 0)
            co_await QCoro::sleepFor(delay);
        co_return answer(date, zone);
    }

    // Answers as a provider with copies would when it hands one out.
    QCoro::Task<price::Delivery> fetchDay(QDateTime date, price::Zone zone, std::stop_token) override
    {
        auto records = co_await fetch(std::move(date), zone);
        price::Delivery delivery;
        delivery.records = std::move(records);
        delivery.savedCopyAfter = savedCopyAfter;
        co_return delivery;
    }

    // Tomorrow fetched ahead, when `fetchesAhead`: the answer for noon of
    // that day; `aheadFailure` thrown instead when set.
    QCoro::Task<std::optional<std::vector<price::SpotPriceModel>>> fetchAhead(QDate day, price::Zone zone) override
    {
        aheadCalls.push_back({QDateTime(day, QTime(12, 0)), zone, nullptr});
        if (aheadFailure)
            std::rethrow_exception(aheadFailure);
        co_return fetchesAhead ? answer(QDateTime(day, QTime(12, 0)), zone) : std::nullopt;
    }

    // Lets call `index` give its answer now.
    void release(std::size_t index) { calls.at(index).gate->finish(); }

    Answer answer;
    // Each fetch waits for release() instead of a delay.
    bool holding = false;
    // Set: every answer is said to be a saved copy, for this reason.
    std::optional<QString> savedCopyAfter;
    std::chrono::milliseconds delay{0};
    std::vector<Call> calls;
    bool fetchesAhead = false;
    std::exception_ptr aheadFailure;
    std::vector<Call> aheadCalls;
};

// The local day of each asked date with hourNumberPrice prices: hour h costs
// h kronor (h + 0.15 on average over quarter hours).
inline ScriptedProvider::Answer hourNumberDays(int minutesPerRecord)
{
    return [minutesPerRecord](const QDateTime &date, price::Zone) {
        return std::optional(decodeServiceDay(serviceDay(date.toLocalTime().date(), minutesPerRecord, hourNumberPrice)));
    };
}

} // namespace tarimo::test_support
