#include "price/request.h"

#include "api_client/request.h"
#include "api_client/response.h"
#include "api_client/url_session.h"
#include "console/console.h"
#include "price/cancellation_error.h"

namespace tarimo::price {

const QUrl &Request::baseURL()
{
    // Made once, on first use; the initialisation of a function's static is
    // thread-safe.
    static const QUrl url(QStringLiteral("https://" TARIMO_SERVICE_HOST));
    return url;
}

Request::Request()
    : Request(baseURL(), nullptr)
{}

Request::Request(QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession)
    : m_baseURL(std::move(baseURL))
    , m_urlSession(std::move(urlSession))
{}

QString Request::path(const QDateTime &date, Zone zone)
{
    // The user's calendar day: late in the evening is still today here even
    // where it is tomorrow in UTC.
    const QString day = date.toLocalTime().date().toString(QStringLiteral("yyyy/MM-dd"));
    return QStringLiteral("/api/v1/prices/%1_%2.json").arg(day, rawValue(zone));
}

api_client::Client::Configuration Request::configuration() const
{
    // The shared transport is made on first use, not at start-up: the first
    // frame of the window should not wait for the network stack.
    return configuration(m_baseURL, m_urlSession ? m_urlSession : api_client::URLSession::shared());
}

api_client::JsonDecoder Request::decoder()
{
    return configuration(baseURL(), nullptr).decoder();
}

api_client::Client::Configuration Request::configuration(QUrl baseURL,
                                                         std::shared_ptr<api_client::URLSessionProvider> urlSession)
{
    return {std::move(baseURL),
            nullptr,
            std::move(urlSession),
            api_client::KeyDecodingStrategy::useDefaultKeys,
            api_client::DateDecodingStrategy::iso8601,
            api_client::NonConformingFloatStrategy::convertingToString(
                QStringLiteral("+Infinity"), QStringLiteral("-Infinity"), QStringLiteral("NaN")),
            std::nullopt};
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> Request::fetch(QDateTime date, Zone zone)
{
    return fetch(std::move(date), zone, std::stop_token());
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> Request::fetch(QDateTime date, Zone zone,
                                                                       std::stop_token stop)
{
    if (stop.stop_requested())
        throw CancellationError();
    console::printLine(QStringLiteral("🍀 %1").arg(caseName(zone)));
    return download(std::move(date), zone, std::move(stop));
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> Request::download(QDateTime date, Zone zone,
                                                                          std::stop_token stop)
{
    const QString dayPath = path(date, zone);
    const api_client::Client client(configuration());
    const auto request = (co_await client.makeGetRequest(dayPath, std::nullopt)).withStopToken(std::move(stop));
    try {
        auto response = co_await request.dispatch<std::vector<SpotPriceModel>>();
        co_return std::move(response.model);
    } catch (const api_client::TransferCancelled &) {
        throw CancellationError();
    }
}

} // namespace tarimo::price
