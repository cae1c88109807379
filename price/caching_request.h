#pragma once

#include "price/clock.h"
#include "price/price_cache.h"
#include "price/request_provider.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QThreadPool>
#include <QUrl>

#include <memory>

namespace tarimo::api_client {
class URLSessionProvider;
}

namespace tarimo::price {

// The live price request with a memory. The network always comes first: each
// day it delivers is saved, and only when a fetch fails does the saved day
// take its place. A day fetched ahead (tomorrow) is saved too, so that
// midnight needs no network.
//
// Files are read and written on a thread of their own, one operation after
// another, so that a slow or hung disk never holds up a price or the window.
class CachingRequest : public RequestProvider, public std::enable_shared_from_this<CachingRequest>
{
public:
    // The service, through the process's shared transport, saving in the
    // user's cache folder, on the real clock.
    CachingRequest();
    // Another origin or transport (none: the shared one), folder and clock;
    // `files` runs the file work (none: a thread of its own).
    CachingRequest(QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession, QString folder,
                   Clock clock = {}, QThreadPool *files = nullptr);
    // Waits for the file work begun so far: a save ends with the old file or
    // the new one under the day's name.
    ~CachingRequest() override;

    // Says itself when it hands out a saved copy.
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone) override;
    // A stop request aborts the transfer: CancellationError, and neither the
    // saved copy nor a line about it.
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetch(QDateTime date, Zone zone,
                                                                  std::stop_token stop) override;
    // Leaves the saying to the caller.
    QCoro::Task<Delivery> fetchDay(QDateTime date, Zone zone, std::stop_token stop) override;

    // A sound saved copy of the day if there is one, else the service's,
    // saved; only exactly that day counts.
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> fetchAhead(QDate day, Zone zone) override;

    const PriceCache &cache() const { return m_cache; }

    // The file work begun so far has ended.
    QCoro::Task<> filesSettled();

private:
    struct Answer
    {
        std::optional<std::vector<SpotPriceModel>> records;
        QByteArray body;
    };
    // `announced`: with the fetch's own "🍀" line.
    static QCoro::Task<Answer> fetchLive(QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession,
                                         QDateTime date, Zone zone, bool announced, std::stop_token stop = {});
    // Saves the answer on the file thread if it is the day asked for; does
    // not wait for it.
    void keep(QDate day, Zone zone, const Answer &answer);
    QCoro::Task<std::optional<std::vector<SpotPriceModel>>> loadSaved(QDate day, Zone zone);
    void tell(const PriceCache::Notes &notes);

    QUrl m_baseURL;
    std::shared_ptr<api_client::URLSessionProvider> m_urlSession;
    Clock m_clock;
    PriceCache m_cache;
    QThreadPool m_ownFiles;
    QThreadPool *m_files;
    bool m_refusalTold = false;
};

} // namespace tarimo::price
