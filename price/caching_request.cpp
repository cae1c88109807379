#include "price/caching_request.h"

#include "api_client/url_session.h"
#include "console/console.h"
#include "price/cancellation_error.h"
#include "price/request.h"

#include <QCoro/QCoroFuture>
#include <QPromise>

#include <type_traits>

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

// Runs `work` on the pool and hands its result over as a future to await.
// (What QtConcurrent::run does, without loading a library for it.)
template<class Work>
QFuture<std::invoke_result_t<Work>> runOn(QThreadPool *pool, Work work)
{
    using Result = std::invoke_result_t<Work>;
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    pool->start([promise, work = std::move(work)]() mutable {
        if constexpr (std::is_void_v<Result>)
            work();
        else
            promise->addResult(work());
        promise->finish();
    });
    return future;
}

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
                               QString folder, Clock clock, QThreadPool *files)
    : m_baseURL(std::move(baseURL))
    , m_urlSession(std::move(urlSession))
    , m_clock(systemClockUnlessGiven(std::move(clock)))
    , m_cache(std::move(folder))
    , m_files(files ? files : &m_ownFiles)
{
    // One operation after another: a load sees every save begun before it.
    m_ownFiles.setMaxThreadCount(1);
    m_ownFiles.setExpiryTimeout(5000);
}

CachingRequest::~CachingRequest()
{
    m_files->waitForDone();
}

// g++ 12 may destroy a temporary of a co_await expression twice: futures
// and the closures they run are made before they are awaited.

QCoro::Task<> CachingRequest::filesSettled()
{
    QFuture<void> settled = runOn(m_files, [] {});
    co_await settled;
}

void CachingRequest::tell(const PriceCache::Notes &notes)
{
    // A refused folder stays refused: saying so once is enough.
    if (!notes.refusedBecause.isEmpty() && !std::exchange(m_refusalTold, true))
        console::printLine(QStringLiteral("💾 Saved prices not used: %1").arg(notes.refusedBecause));
    for (const QString &line : notes.lines)
        console::printLine(line);
}

QCoro::Task<CachingRequest::Answer> CachingRequest::fetchLive(
    QUrl baseURL, std::shared_ptr<api_client::URLSessionProvider> urlSession, QDateTime date, Zone zone, bool announced,
    std::stop_token stop)
{
    const auto recorder = std::make_shared<BodyRecorder>(std::move(urlSession));
    Request live(std::move(baseURL), recorder);
    Answer answer;
    if (announced)
        answer.records = co_await live.fetch(std::move(date), zone, std::move(stop));
    else
        answer.records = co_await live.download(std::move(date), zone, std::move(stop));
    answer.body = recorder->body;
    co_return answer;
}

void CachingRequest::keep(QDate day, Zone zone, const Answer &answer)
{
    // Only what a later fallback would accept: exactly the day asked for.
    if (!answer.records || !PriceCache::coversDay(*answer.records, day))
        return;
    const QDate today = m_clock().toLocalTime().date();
    auto saved = runOn(m_files, [cache = m_cache, day, zone, body = answer.body, today] {
        return cache.save(day, zone, body, today);
    });
    // What the save has to say is said on this thread, whenever it ends.
    [](QFuture<PriceCache::Notes> saved, std::weak_ptr<CachingRequest> weak) -> QCoro::Task<> {
        try {
            const PriceCache::Notes notes = co_await saved;
            if (const auto self = weak.lock())
                self->tell(notes);
        } catch (...) {
            // Nobody waits for this task: nothing may escape it.
        }
    }(std::move(saved), weak_from_this());
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> CachingRequest::loadSaved(QDate day, Zone zone)
{
    QFuture<PriceCache::Loaded> reading = runOn(m_files, [cache = m_cache, day, zone] {
        return cache.load(day, zone);
    });
    const PriceCache::Loaded loaded = co_await reading;
    tell(loaded);
    co_return loaded.records;
}

QCoro::Task<Delivery> CachingRequest::fetchDay(QDateTime date, Zone zone, std::stop_token stop)
{
    // Whoever drops us meanwhile, the fetch finishes on a live object.
    const auto self = shared_from_this();
    const QDate day = date.toLocalTime().date();
    std::exception_ptr failure;
    try {
        Answer answer = co_await fetchLive(m_baseURL, m_urlSession, date, zone, true, stop);
        if (answer.records) {
            // Shown first, saved after.
            keep(day, zone, answer);
            co_return Delivery{std::move(answer.records), std::nullopt};
        }
    } catch (...) {
        failure = std::current_exception();
    }
    // A stopped load wants no stand-in, however its fetch ended.
    if (stop.stop_requested())
        throw CancellationError();

    auto saved = co_await loadSaved(day, zone);
    if (!saved) {
        // Nothing to fall back on: the failure stays what it was.
        if (failure)
            std::rethrow_exception(failure);
        co_return Delivery{};
    }
    co_return Delivery{std::move(saved), failure ? describe(failure) : QStringLiteral("empty answer")};
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> CachingRequest::fetch(QDateTime date, Zone zone)
{
    return fetch(std::move(date), zone, std::stop_token());
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> CachingRequest::fetch(QDateTime date, Zone zone,
                                                                              std::stop_token stop)
{
    const QDate day = date.toLocalTime().date();
    Delivery delivery = co_await fetchDay(std::move(date), zone, std::move(stop));
    if (delivery.savedCopyAfter)
        console::printLine(savedCopyLine(day, zone, *delivery.savedCopyAfter));
    co_return std::move(delivery.records);
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> CachingRequest::fetchAhead(QDate day, Zone zone)
{
    const auto self = shared_from_this();
    // A sound copy is enough; a bad one (cut short, another day) is
    // replaced now, while there may still be a network.
    auto saved = co_await loadSaved(day, zone);
    if (saved)
        co_return saved;
    console::printLine(QStringLiteral("💾 Fetching tomorrow %1 %2").arg(caseName(zone), day.toString(Qt::ISODate)));
    Answer answer = co_await fetchLive(m_baseURL, m_urlSession, QDateTime(day, QTime(12, 0)), zone, false);
    keep(day, zone, answer);
    if (!answer.records || !PriceCache::coversDay(*answer.records, day))
        co_return std::nullopt;
    co_return std::move(answer.records);
}

} // namespace tarimo::price
