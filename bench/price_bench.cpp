// Costs of the price side: decoding a day of prices as the live request does,
// the hour-by-hour view of it, the cheapest run over two days, and the
// digits of a price.

#include "bench/benchmark_main.h"
#include "price/cheapest_run.h"
#include "price/digit_model.h"
#include "price/hourly_prices.h"
#include "price/request.h"
#include "tests/support/price_day.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace tarimo;

namespace {

// An ordinary day: 96 quarter hours with a morning and an evening peak.
const QDate ordinaryDay(2025, 11, 12);

double dayCurve(int index, const QDateTime &)
{
    return 0.6 + 0.45 * std::sin(index * 0.13) + 0.3 * std::sin(index * 0.05 + 1.0);
}

QByteArray dayJson()
{
    return test_support::serviceDay(ordinaryDay, 15, dayCurve);
}

// Parse and decode, as the request does with the body of the answer.
void decodeDay(benchmark::State &state)
{
    const QByteArray json = dayJson();
    const api_client::JsonDecoder decoder = price::Request::decoder();
    for (auto _ : state) {
        auto records = decoder.decode<std::vector<price::SpotPriceModel>>(json);
        if (records.size() != 96) {
            state.SkipWithError("the day did not have 96 records");
            return;
        }
        benchmark::DoNotOptimize(records.data());
    }
    state.SetItemsProcessed(state.iterations() * 96);
    state.SetBytesProcessed(state.iterations() * json.size());
}
BENCHMARK(decodeDay)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The JSON parse alone, to see what the typed decoding adds.
void parseDay(benchmark::State &state)
{
    const QByteArray json = dayJson();
    for (auto _ : state)
        benchmark::DoNotOptimize(api_client::JsonDecoder::parse(json));
    state.SetBytesProcessed(state.iterations() * json.size());
}
BENCHMARK(parseDay)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The 96 quarter hours folded into 24 hours, done for every loaded day.
void hourlyViewOfDay(benchmark::State &state)
{
    const auto records = price::Request::decoder().decode<std::vector<price::SpotPriceModel>>(dayJson());
    for (auto _ : state) {
        auto hours = price::hourlyView(records);
        if (hours.size() != 24) {
            state.SkipWithError("the day did not have 24 hours");
            return;
        }
        benchmark::DoNotOptimize(hours.data());
    }
    state.SetItemsProcessed(state.iterations() * 96);
}
BENCHMARK(hourlyViewOfDay)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The cheapest run of 3 hours over today from 00:00 and tomorrow: what the
// view model works out whenever the hour or the days held change.
void cheapestRunOverTwoDays(benchmark::State &state)
{
    const auto decode = [](QDate day) {
        return price::hourlyView(price::Request::decoder().decode<std::vector<price::SpotPriceModel>>(
            test_support::serviceDay(day, 15, dayCurve)));
    };
    const auto today = decode(ordinaryDay);
    const auto tomorrow = decode(ordinaryDay.addDays(1));
    const QDateTime from(ordinaryDay, QTime(0, 0));
    for (auto _ : state) {
        std::vector<const price::SpotPriceModel *> hours;
        hours.reserve(today.size() + tomorrow.size());
        for (const auto *day : {&today, &tomorrow}) {
            for (const auto &hour : *day)
                hours.push_back(&hour);
        }
        auto run = price::cheapestRun(hours, from, 3);
        if (!run) {
            state.SkipWithError("no run");
            return;
        }
        benchmark::DoNotOptimize(run);
    }
    state.SetItemsProcessed(state.iterations() * 48);
}
BENCHMARK(cheapestRunOverTwoDays)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The biggest answers the body cap lets through hold hundreds of thousands
// of records, each hour distinct: grouping them must not freeze the window.
void hourlyViewOfManyHours(benchmark::State &state)
{
    const auto count = std::size_t(state.range(0));
    std::vector<price::SpotPriceModel> records(count);
    const QDateTime first(ordinaryDay, QTime(0, 0));
    for (std::size_t i = 0; i < count; ++i) {
        records[i].spotPriceSEK = dayCurve(int(i), first);
        records[i].timeStart = first.addSecs(qint64(i) * 3600).toUTC();
        records[i].timeEnd = first.addSecs(qint64(i + 1) * 3600).toUTC();
    }
    for (auto _ : state) {
        auto hours = price::hourlyView(records);
        if (hours.size() != count) {
            state.SkipWithError("some hours were merged");
            return;
        }
        benchmark::DoNotOptimize(hours.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(count));
}
BENCHMARK(hourlyViewOfManyHours)->Arg(100'000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// A price in kronor to the five digit codes: wholeOre then makeDigitModel,
// over prices of one to six digits, negative ones included.
void digitsOfPrice(benchmark::State &state)
{
    const std::array<double, 8> prices{0.07, 1.2345, -0.305, 12.5, 999.99, -1234.5, 0.0, 3.14159};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto ore = price::wholeOre(prices[i++ % prices.size()]);
        benchmark::DoNotOptimize(price::makeDigitModel(ore.value_or(0)));
    }
}
BENCHMARK(digitsOfPrice)->Repetitions(5)->ReportAggregatesOnly();

void makeDigitModel(benchmark::State &state)
{
    const std::array<qint64, 8> values{7, 123, -31, 1250, 99999, -123456, 0, 314};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(price::makeDigitModel(values[i++ % values.size()]));
}
BENCHMARK(makeDigitModel)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
