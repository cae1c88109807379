#include "price/caching_request.h"

#include "api_client/url_session.h"
#include "console/console.h"
#include "price/cancellation_error.h"
#include "price/request.h"

namespace tarimo::price {

namespace {

// Hands each transfer on unchanged and keeps its body: what is saved is
// exactly what the service sent.
class BodyRecorder final : public api_client::URLSessionProvider
{
public:
    explicit BodyRecorder(std::shared_ptr<api_client::URLSessionProvider> transport)
        : m_transport(std::move(transport))
    {}

    QCoro::Task<api_client::TransferResult> data(api_client::URLRequest request) override
    {
        // The shared transport is made on first use, as the live request does.
        const auto transport = m_transport ? m_transport : api_client::URLSession::shared();
        auto result = co_await transport->data(std::move(request));
        body = result.data;
        co_return result;
    }

    QByteArray body;

private:
    std::shared_ptr<api_client::URLSessionProvider> m_transport;
};

QString describe(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

} // namespace

CachingRequest::CachingRequest()
    : CachingRequest(Request::baseURL(), nullptr, PriceCache::defaultFolder())
{}

CachingRequest::CachingRequest(QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession,
                               QString folder, Clock clock)
    : m_baseURL(std::move(baseURL))
    , m_urlSession(std::move(urlSession))
    , m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); }))
    , m_cache(std::move(folder), m_clock)
{}

QCoro::Task<CachingRequest::Answer> CachingRequest::fetchLive(
    QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession, QDateTime date, Zone zone,
    std::stop_token stop)
{
    const auto recorder = std::make_shared<BodyRecorder>(std::move(urlSession));
    Request live(std::move(baseURL), recorder);
    auto records = co_await live.fetch(std::move(date), zone, std::move(stop));
    co_return Answer{std::move(records), recorder->body};
}

void CachingRequest::keep(QDate day, Zone zone, const Answer &answer)
{
    // Only what a later fallback would accept: a day that holds its own hours.
    if (answer.records && PriceCache::holdsDay(*answer.records, day))
        m_cache.save(day, zone, answer.body);
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> CachingRequest::fetch(QDateTime date, Zone zone)
{
    return fetch(std::move(date), zone, std::stop_token());
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> CachingRequest::fetch(QDateTime date, Zone zone,
                                                                              std::stop_token stop)
{
    const QDate day = date.toLocalTime().date();
    std::exception_ptr failure;
    try {
        Answer answer = co_await fetchLive(m_baseURL, m_urlSession, date, zone, stop);
        if (answer.records) {
            keep(day, zone, answer);
            co_return std::move(answer.records);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    // A stopped load wants no stand-in, however its fetch ended.
    if (stop.stop_requested())
        throw CancellationError();

    auto saved = m_cache.load(day, zone);
    if (!saved) {
        // Nothing to fall back on: the failure stays what it was.
        if (failure)
            std::rethrow_exception(failure);
        co_return std::nullopt;
    }
    console::printLine(QStringLiteral("💾 Prices from the saved copy %1 %2 after error %3")
                  .arg(caseName(zone), day.toString(Qt::ISODate),
                       failure ? describe(failure) : QStringLiteral("empty answer")));
    co_return saved;
}

QCoro::Task<> CachingRequest::prefetchTomorrow(Zone zone)
{
    try {
        const QDateTime now = m_clock().toLocalTime();
        const QDate tomorrow = now.date().addDays(1);
        const bool triedThisHour = m_lastPrefetch.isValid() && m_lastPrefetch <= now
                                   && m_lastPrefetch.secsTo(now) < 3600;
        if (now.time().hour() < publicationHour || m_prefetching || triedThisHour || m_cache.contains(tomorrow, zone))
            co_return;

        // Whoever dropped us meanwhile, the fetch finishes on a live object.
        const auto self = shared_from_this();
        m_prefetching = true;
        m_lastPrefetch = now;
        try {
            keep(tomorrow, zone, co_await fetchLive(m_baseURL, m_urlSession, QDateTime(tomorrow, QTime(12, 0)), zone));
        } catch (...) {
            // Not published yet (404) or no network: the next hour tries again.
        }
        m_prefetching = false;
    } catch (...) {
        // Started by a tick that does not wait for it: nothing may escape.
    }
}

} // namespace tarimo::price
