// API client benchmarks. The transfer benchmarks fetch from the loopback
// test server, which runs in the same thread as the client; the time is the
// wall time of one whole transfer seen from the caller.

#include "bench/benchmark_main.h"
#include "api_client/api_client.h"
#include "tests/support/run_task.h"
#include "tests/support/test_server.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>

using namespace tarimo::api_client;
using namespace tarimo::test_support;

namespace {

constexpr qint64 hundredKiB = 100 * 1024;

struct PriceRecord
{
    std::optional<double> sekPerKwh;
    std::optional<double> eurPerKwh;
    std::optional<double> exr;
    std::optional<QDateTime> timeStart;
    std::optional<QDateTime> timeEnd;

    static constexpr auto codingFields = std::tuple{
        JsonField{"SEK_per_kWh", &PriceRecord::sekPerKwh},
        JsonField{"EUR_per_kWh", &PriceRecord::eurPerKwh},
        JsonField{"EXR", &PriceRecord::exr},
        JsonField{"time_start", &PriceRecord::timeStart},
        JsonField{"time_end", &PriceRecord::timeEnd},
    };
};

// A day of 96 quarter-hour records, as the price service sends them.
QByteArray dayOfPrices()
{
    QByteArray json = "[";
    const QDateTime start(QDate(2025, 10, 27), QTime(0, 0), Qt::OffsetFromUTC, 3600);
    for (int i = 0; i < 96; ++i) {
        if (i > 0)
            json += ',';
        const QDateTime from = start.addSecs(i * 900);
        json += QStringLiteral(R"({"SEK_per_kWh":%1,"EUR_per_kWh":%2,"EXR":11.0254,"time_start":"%3","time_end":"%4"})")
                    .arg(0.1 + i * 0.013)
                    .arg(0.009 + i * 0.001)
                    .arg(from.toString(Qt::ISODate), from.addSecs(900).toString(Qt::ISODate))
                    .toUtf8();
    }
    return json + ']';
}

void fetchLoop(benchmark::State &state, TestServer &server, bool freshConnection)
{
    server.serve(QStringLiteral("/body"), Answer::generated(hundredKiB));
    URLRequest request(server.url(QStringLiteral("/body")));
    auto session = server.makeTransport();
    for (auto _ : state) {
        if (freshConnection)
            session = server.makeTransport();
        const auto outcome = runTask(session->data(request));
        if (!outcome.succeeded() || outcome.value().data.size() != hundredKiB) {
            state.SkipWithError(outcome.errorText().toUtf8().constData());
            return;
        }
        benchmark::DoNotOptimize(outcome.value().data.constData());
    }
    state.SetBytesProcessed(state.iterations() * hundredKiB);
}

// The connection stays open between iterations, as with the shared transport.
void BM_Fetch100KiB_Https(benchmark::State &state)
{
    auto server = TestServer::https();
    fetchLoop(state, *server, false);
}
BENCHMARK(BM_Fetch100KiB_Https)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(9);

// Every iteration pays for a new TLS connection.
void BM_Fetch100KiB_HttpsNewConnection(benchmark::State &state)
{
    auto server = TestServer::https();
    fetchLoop(state, *server, true);
}
BENCHMARK(BM_Fetch100KiB_HttpsNewConnection)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_Fetch100KiB_Http(benchmark::State &state)
{
    auto server = TestServer::http();
    fetchLoop(state, *server, false);
}
BENCHMARK(BM_Fetch100KiB_Http)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);

// Build, send, check and decode a day of prices, the way the price request does.
void BM_DispatchDayOfPrices_Https(benchmark::State &state)
{
    auto server = TestServer::https();
    server->serveJson(QStringLiteral("/api/v1/prices/2025/10-27_SE3.json"), dayOfPrices());
    const Client client(Client::Configuration{
        server->baseUrl(), nullptr, server->makeTransport(), KeyDecodingStrategy::useDefaultKeys,
        DateDecodingStrategy::iso8601,
        NonConformingFloatStrategy::convertingToString(QStringLiteral("+Infinity"), QStringLiteral("-Infinity"),
                                                       QStringLiteral("NaN")),
        std::nullopt});
    // The client logs every dispatch; keep the console out of the figure.
    std::ostringstream sink;
    std::streambuf *console = std::cout.rdbuf(sink.rdbuf());
    for (auto _ : state) {
        auto dispatch = [&]() -> QCoro::Task<Client::Response<std::vector<PriceRecord>>> {
            const Client::Request request
                = co_await client.makeGetRequest(QStringLiteral("/api/v1/prices/2025/10-27_SE3.json"), std::nullopt);
            co_return co_await request.dispatch<std::vector<PriceRecord>>();
        };
        const auto outcome = runTask(dispatch());
        sink.str({});
        if (!outcome.succeeded() || outcome.value().model->size() != 96) {
            std::cout.rdbuf(console);
            state.SkipWithError(outcome.errorText().toUtf8().constData());
            return;
        }
    }
    std::cout.rdbuf(console);
}
BENCHMARK(BM_DispatchDayOfPrices_Https)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_PercentEncode(benchmark::State &state)
{
    const QString text = QStringLiteral("Spotpris f\u00F6r SE3 - 2025-10-27 kl. 14:00 (\u00F6re/kWh)");
    for (auto _ : state)
        benchmark::DoNotOptimize(percentEncoded(text));
}
BENCHMARK(BM_PercentEncode);

void BM_UrlWithQuery(benchmark::State &state)
{
    const URLRequest request(QUrl(QStringLiteral("https://h.example/api/items?page=2&sort=name&filter=a%20b")));
    const QuerystringState::KeyValues parameters{{"page_size", {"50"}}, {"q", {"spot price", "zone"}}};
    for (auto _ : state)
        benchmark::DoNotOptimize(urlWithQuery(request, parameters));
}
BENCHMARK(BM_UrlWithQuery);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
