#pragma once

#include "price/price_cache.h"
#include "price/request_provider.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QUrl>

#include <memory>

namespace tarimo::api_client {
class URLSessionProvider;
}

namespace tarimo::price {

// The live price request with a memory. The network always comes first: each
// day it delivers is saved, and only when a fetch fails does the saved day
// take its place. Tomorrow can be fetched ahead, once the service has
// published it, so that midnight needs no network.
class CachingRequest : public RequestProvider, public std::enable_shared_from_this<CachingRequest>
{
public:
    using Clock = PriceCache::Clock;

    // The hour from which the service has tomorrow's prices (local time).
    static constexpr int publicationHour = 13;

    // The service, through the process's shared transport, saving in the
    // user's cache folder, on the real clock.
    CachingRequest();
    // Another origin or transport (none: the shared one), folder and clock.
    CachingRequest(QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession, QString folder,
                   Clock clock = {});

    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone) override;
    // A stop request aborts the transfer: CancellationError, and neither the
    // saved copy nor a line about it.
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone,
                                                                  std::stop_token stop) override;

    // For a tick each minute: from the publication hour on, fetches and saves
    // tomorrow's prices of `zone` unless they are saved, at most once an
    // hour. Never throws, and says nothing when tomorrow is not out yet.
    QCoro::Task<> prefetchTomorrow(Zone zone);

    const PriceCache &cache() const { return m_cache; }

private:
    struct Answer
    {
        std::optional<std::vector<SpotPriceModel>> records;
        QByteArray body;
    };
    static QCoro::Task<Answer> fetchLive(QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession,
                                         QDateTime date, Zone zone, std::stop_token stop = {});
    void keep(QDate day, Zone zone, const Answer &answer);

    QUrl m_baseURL;
    std::shared_ptr<api_client::URLSessionProvider> m_urlSession;
    Clock m_clock;
    PriceCache m_cache;
    bool m_prefetching = false;
    QDateTime m_lastPrefetch;
};

} // namespace tarimo::price
