#pragma once

#include "api_client/client.h"
#include "price/request_provider.h"
#include "price/spot_price_coding.h"

#include <QUrl>

#include <memory>

namespace tarimo::api_client {
class URLSessionProvider;
}

namespace tarimo::price {

// The live price source: the day's prices of one zone from the spot-price
// service, one GET request per fetch.
class Request : public RequestProvider
{
public:
    using Zone = price::Zone;
    using SpotPriceModel = price::SpotPriceModel;

    // The service's origin: https and the host the build names
    // (TARIMO_SERVICE_HOST in the top-level CMakeLists.txt).
    static const QUrl &baseURL();

    // The service, through the process's shared transport.
    Request();
    // Another origin or transport (tests point it at a loopback server); no
    // transport means the shared one.
    Request(QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession);

    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone) override;
    // A stop request aborts the transfer: CancellationError, and no line
    // after the request's.
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone,
                                                                  std::stop_token stop) override;
    // The same without the fetch's "🍀" line, for fetches that say what they
    // are in a line of their own.
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> download(QDateTime date, Zone zone,
                                                                     std::stop_token stop = {});

    // "/api/v1/prices/2024/01-05_SE3.json": the file of the local calendar
    // day of `date`.
    static QString path(const QDateTime &date, Zone zone);
    // How the client is set up for the service: keys as the service writes
    // them, ISO 8601 times, and its texts for non-finite numbers.
    api_client::Client::Configuration configuration() const;
    // How the service's answers are decoded, for whoever reads a day of
    // prices without a request (fixtures, the snapshot tool).
    static api_client::JsonDecoder decoder();

private:
    static api_client::Client::Configuration configuration(QUrl baseURL,
                                                           std::shared_ptr<api_client::URLSessionProvider> urlSession);

    QUrl m_baseURL;
    std::shared_ptr<api_client::URLSessionProvider> m_urlSession;
};

} // namespace tarimo::price
