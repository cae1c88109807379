#include "price/content_view_model.h"

#include "api_client/response.h"
#include "api_client/transport_error.h"
#include "console/console.h"
#include "price/domain_error.h"
#include "price/hourly_prices.h"

#include <QCoro/QCoroTask>
#include <QLocale>
#include <QPointer>

namespace tarimo::price {

namespace {

// After the first failure the next tick retries, then the waits grow so that
// a lasting outage does not hammer the service.
int ticksBeforeRetry(int failuresInARow)
{
    switch (failuresInARow) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
        return 4;
    case 4:
        return 8;
    default:
        return 15;
    }
}

PriceDays::Key dayOf(Zone zone, const QDateTime &instant)
{
    return {zone, instant.toLocalTime().date()};
}

bool isNotFound(const std::exception &error)
{
    const auto *response = dynamic_cast<const api_client::Client::ErrorResponse *>(&error);
    return response && response->status() == api_client::HttpStatusCode::notFound;
}

ContentViewModel::Failure failureOf(const std::exception &error)
{
    if (dynamic_cast<const api_client::TransportError *>(&error))
        return ContentViewModel::Failure::noConnection;
    if (isNotFound(error) || dynamic_cast<const DomainError *>(&error))
        return ContentViewModel::Failure::noPrices;
    return ContentViewModel::Failure::unreadable;
}

// Asking for tomorrow again sooner than this fetches nothing: the answer
// would be the same.
constexpr qint64 secondsBetweenAsks = 5 * 60;

} // namespace

ContentViewModel::ContentViewModel(std::shared_ptr<RequestProvider> request, Clock clock, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_clock(systemClockUnlessGiven(std::move(clock)))
    , m_selectedDate(m_clock())
{
    Q_ASSERT(m_request);
    // A child of the view model: it can never tick for a view model that is gone.
    m_timer = new QTimer(this);
    m_timer->setInterval(refreshInterval);
    connect(m_timer, &QTimer::timeout, this, &ContentViewModel::tick);
    m_timer->start();
}

void ContentViewModel::perform(const ViewModelAction &action)
{
    std::visit([this](const auto &value) {
        using Case = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Case, ViewModelAction::SelectZone>)
            selectZone(value.zone);
        else if constexpr (std::is_same_v<Case, ViewModelAction::Reload>)
            reload();
        else if constexpr (std::is_same_v<Case, ViewModelAction::AppWindowClosed>)
            setIsAppWinOpen(false);
        else
            setIsAppWinOpen(true);
    }, action.value());
}

void ContentViewModel::selectZone(Zone zone)
{
    // Whatever the other zones were loading is no longer wanted.
    std::erase_if(m_stopOf, [zone](auto &entry) {
        if (entry.first.zone == zone)
            return false;
        entry.second.request_stop();
        return true;
    });
    setStartZone(zone);
    setSpotPrice(DigitModel());
    startLoad();
}

void ContentViewModel::reload()
{
    startLoad();
}

void ContentViewModel::startLoad()
{
    // Begins from the event loop, after the caller has returned, so that the
    // caller's own lines and changes come first. Nobody awaits the task: it
    // runs to its end on its own.
    ++m_loadsQueued;
    QTimer::singleShot(0, this, [this] {
        --m_loadsQueued;
        loadPrices();
    });
}

QCoro::Task<> ContentViewModel::loadPrices()
{
    QPointer<ContentViewModel> self(this);
    // Keeps the provider alive while it works, whatever happens to us.
    const std::shared_ptr<RequestProvider> request = m_request;
    ++m_loadsRunning;
    setState(State::loading);
    setResponseDay(std::nullopt);

    // The zone and date of the moment the load runs.
    const QDateTime date = m_selectedDate;
    const Zone zone = m_selectedZone;
    const PriceDays::Key day = dayOf(zone, date);
    const quint64 load = ++m_loadsBegun;
    m_newestLoadOf[day] = load;
    // The load it supersedes stops its transfer: a storm of clicks costs one
    // connection at a time.
    std::stop_source &stop = m_stopOf[day];
    stop.request_stop();
    stop = std::stop_source();
    const std::stop_token token = stop.get_token();

    Delivery delivery;
    QString failure;
    Failure kind = Failure::noPrices;
    try {
        delivery = co_await request->fetchDay(date, zone, token);
    } catch (const CancellationError &) {
        // Stopped by a newer load, which says what there is to say.
        if (self)
            --m_loadsRunning;
        co_return;
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
        kind = failureOf(error);
    } catch (...) {
        failure = QStringLiteral("unknown error");
        kind = Failure::unreadable;
    }
    if (!self)
        co_return;
    --m_loadsRunning;
    if (m_newestLoadOf[day] == load)
        m_stopOf.erase(day);
    // A newer load of the same day, or another zone since: this answer,
    // good or bad, is no longer wanted.
    if (m_newestLoadOf[day] != load || zone != m_selectedZone)
        co_return;
    if (failure.isNull() && delivery.records)
        hold(day, PriceDay(*delivery.records, delivery.savedCopyAfter.has_value()));
    // Only an answer for the day on screen, with no other load of it about
    // to begin, changes what the panel shows (a day left behind at midnight
    // is held, and no more).
    if (day != dayOf(m_selectedZone, m_selectedDate) || m_loadsQueued > 0)
        co_return;

    if (failure.isNull()) {
        try {
            if (!delivery.records)
                throw DomainError(QStringLiteral("Model were not provided"), 404);
            // Said only now: a copy that a newer load makes moot is not news.
            if (delivery.savedCopyAfter) {
                console::printLine(savedCopyLine(day.date, zone, *delivery.savedCopyAfter));
            }
            setResponseDay(day);
            // An answer that arrives after midnight holds the day asked for:
            // keep that day, so that digits and date line agree and the next
            // tick loads the new day.
            const QDateTime now = m_clock();
            m_selectedDate = now.toLocalTime().date() == day.date ? now : date;
            setState(State::loaded);
            updateCurrentPrice();
            m_failuresInARow = 0;
            co_return;
        } catch (const std::exception &error) {
            failure = QString::fromUtf8(error.what());
            kind = failureOf(error);
        }
    }
    // All that is known of the failure first: the error state's watchers
    // read it, the next try included.
    m_lastError = failure;
    m_lastFailure = kind;
    ++m_failuresInARow;
    m_ticksUntilRetry = ticksBeforeRetry(m_failuresInARow);
    setState(State::error);
    console::printLine(QStringLiteral("❌ Failed with error %1").arg(failure));
}

const PriceDay &ContentViewModel::hold(PriceDays::Key key, PriceDay day)
{
    const PriceDay &held = m_days.put(key, std::move(day));
    // Yesterday, today and tomorrow are all that can be asked for; the day
    // shown stays whatever the clock says.
    const QDate today = m_clock().toLocalTime().date();
    m_days.keepOnly(today.addDays(-1), today.addDays(1), m_responseDay);
    std::erase_if(m_newestLoadOf, [&](const auto &entry) { return qAbs(today.daysTo(entry.first.date)) > 1; });
    if (key.zone == m_selectedZone) {
        refreshCheapestRun();
        if (key == tomorrowKey())
            Q_EMIT tomorrowChanged();
    }
    return held;
}

const PriceDay *ContentViewModel::heldDay(int offset) const
{
    return m_days.find({m_selectedZone, m_selectedDate.toLocalTime().date().addDays(offset)});
}

PriceDays::Key ContentViewModel::tomorrowKey() const
{
    return {m_selectedZone, m_selectedDate.toLocalTime().date().addDays(1)};
}

ContentViewModel::Tomorrow ContentViewModel::tomorrow() const
{
    const PriceDays::Key key = tomorrowKey();
    if (m_days.find(key))
        return Tomorrow::held;
    if (m_fetchingAhead == key)
        return Tomorrow::fetching;
    if (m_tomorrowFailedFor == key)
        return m_tomorrowFailure;
    return m_clock().toLocalTime().time().hour() < publicationHour ? Tomorrow::beforePublication : Tomorrow::notHeld;
}

QDateTime ContentViewModel::nextTomorrowTry() const
{
    return m_lastFetchAhead.isValid() ? m_lastFetchAhead.addSecs(3600) : QDateTime();
}

QDateTime ContentViewModel::nextRetry() const
{
    if (m_state != State::error || m_failuresInARow == 0)
        return {};
    const qint64 untilTick = m_timer->isActive() ? std::max(0, m_timer->remainingTime()) : refreshInterval.count();
    return m_clock().addMSecs(untilTick + qint64(std::max(0, m_ticksUntilRetry - 1)) * refreshInterval.count());
}

void ContentViewModel::refreshCheapestRun()
{
    std::vector<const SpotPriceModel *> hours;
    for (int offset : {0, 1}) {
        if (const PriceDay *day = heldDay(offset)) {
            for (const SpotPriceModel &hour : day->hours())
                hours.push_back(&hour);
        }
    }
    auto run = price::cheapestRun(hours, m_selectedDate, m_runLength);
    if (run == m_cheapestRun)
        return;
    m_cheapestRun = std::move(run);
    Q_EMIT cheapestRunChanged();
}

void ContentViewModel::planAhead()
{
    refreshCheapestRun();
    Q_EMIT tomorrowChanged();
}

void ContentViewModel::setCheapestRunLength(int hours)
{
    hours = std::clamp(hours, shortestRun, longestRun);
    if (hours == m_runLength)
        return;
    m_runLength = hours;
    refreshCheapestRun();
}

void ContentViewModel::updateCurrentPrice()
{
    if (!showPriceOfSelectedHour())
        throw DomainError(QStringLiteral("current hour was not provided in the reponse"), 404);
}

bool ContentViewModel::showPriceOfSelectedHour()
{
    // Only the hour that holds the instant: the same hour of another day
    // would be another day's price under this day's date line.
    const PriceDay *day = responseDay();
    const SpotPriceModel *record = day ? day->hourAt(m_selectedDate) : nullptr;
    if (!record)
        return false;

    console::printLine(QStringLiteral("🍀 Data %1").arg(record->description()));
    showDigitsOf(*record);
    return true;
}

void ContentViewModel::showDigitsOf(const SpotPriceModel &record)
{
    const auto ore = record.spotPriceSEK ? shownOre(*record.spotPriceSEK) : std::nullopt;
    setSpotPrice(ore ? makeDigitModel(*ore) : DigitModel());
}

std::optional<qint64> ContentViewModel::shownOre(double kronor) const
{
    return wholeOre(m_includesVat ? kronor * vatFactor : kronor);
}

void ContentViewModel::setIncludesVat(bool includesVat)
{
    if (m_includesVat == includesVat)
        return;
    m_includesVat = includesVat;
    // The digits show the same hour, in the other kind of price; without a
    // record of it they stay as they are.
    const PriceDay *day = responseDay();
    if (const SpotPriceModel *record = day && m_state == State::loaded ? day->hourAt(m_selectedDate) : nullptr)
        showDigitsOf(*record);
    Q_EMIT includesVatChanged();
}

void ContentViewModel::setStartZone(Zone zone)
{
    m_selectedZone = zone;
    Q_EMIT selectedZoneChanged();
    planAhead();
}

const PriceDay *ContentViewModel::responseDay() const
{
    return m_responseDay ? m_days.find(*m_responseDay) : nullptr;
}

const std::vector<SpotPriceModel> *ContentViewModel::response() const
{
    const PriceDay *day = responseDay();
    return day ? &day->records() : nullptr;
}

bool ContentViewModel::isFromSavedCopy() const
{
    const PriceDay *day = responseDay();
    return day && day->isFromSavedCopy();
}

std::optional<SpotPriceModel> ContentViewModel::priceRecord(int hour) const
{
    const PriceDay *day = responseDay();
    const SpotPriceModel *record = day ? day->hourNumbered(hour, m_selectedDate) : nullptr;
    return record ? std::optional(*record) : std::nullopt;
}

double ContentViewModel::relativePrice(const SpotPriceModel &record) const
{
    // Equal prices all day give not a number, which lights no cell.
    const PriceDay *day = responseDay();
    return day ? day->relativePrice(record) : 0.0;
}

QString ContentViewModel::priceLabel(int hour) const
{
    const auto record = priceRecord(hour);
    return record ? priceLabel(*record) : QString();
}

QString ContentViewModel::priceLabel(const SpotPriceModel &record) const
{
    const auto ore = record.spotPriceSEK ? shownOre(*record.spotPriceSEK) : std::nullopt;
    return ore ? tr("%1 öre / kwh").arg(*ore) : QString();
}

QString ContentViewModel::dateText() const
{
    static const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
    return swedish.toString(m_selectedDate.toLocalTime(), QStringLiteral("dddd d MMM yyyy, HH:'00'"));
}

void ContentViewModel::tick()
{
    const QDateTime now = m_clock();

    // Another calendar day, the next or, after the clock was set back, an
    // earlier one: load its prices. The old hour's digits would be wrong
    // under the new date line, so they go dark until the load is done.
    if (m_selectedDate.toLocalTime().date() != now.toLocalTime().date()) {
        console::printLine(u"🏗️ Updating spot prices");
        m_selectedDate = now;
        setSpotPrice(DigitModel());
        startLoad();
        Q_EMIT selectedDayChanged();
        planAhead();
    }

    const LocalHour present = localHour(now);
    const LocalHour selected = localHour(m_selectedDate);
    const int h = present.hour;
    const int s = selected.hour;
    console::printLine(QStringLiteral("🏖️🏖️ Date.now.hour %1 %2 %3").arg(h).arg(s).arg(h - s < 0 ? u"true" : u"false"));

    // Another hour of the same day, later or (the clock set back) earlier:
    // show it from the records already held. The autumn day's second 02
    // hour is another hour too, though its number is not.
    if (present.start != selected.start) {
        console::printLine(QStringLiteral("🏖️ %1 %2 %3").arg(h).arg(s).arg(h - s));
        m_selectedDate = now;
        // Publication may have come with this hour.
        planAhead();
        QTimer::singleShot(0, this, [this] {
            // No record of the new hour: no stale price under its date line.
            if (!showPriceOfSelectedHour())
                setSpotPrice(DigitModel());
        });
    }

    // A failed load is tried again, with growing pauses, while nothing else loads.
    if (m_state == State::error && m_loadsQueued + m_loadsRunning == 0 && m_failuresInARow > 0
        && --m_ticksUntilRetry <= 0)
        startLoad();

    fetchAheadIfDue(now);
}

void ContentViewModel::fetchAheadIfDue(const QDateTime &now)
{
    // Tomorrow's prices at hand before midnight, when the network may be
    // gone: from their publication, once an hour until they are held.
    if (now.toLocalTime().time().hour() < publicationHour || m_fetchingAhead || fetchedAheadWithin(now, 3600)
        || m_days.find(tomorrowKey()))
        return;
    fetchAhead(tomorrowKey());
}

bool ContentViewModel::fetchedAheadWithin(const QDateTime &now, qint64 seconds) const
{
    // A try that the clock, set back, puts in the future counts as long ago.
    return m_lastFetchAhead.isValid() && m_lastFetchAhead <= now && m_lastFetchAhead.secsTo(now) < seconds;
}

void ContentViewModel::fetchTomorrow()
{
    const Tomorrow status = tomorrow();
    if (fetchedAheadWithin(m_clock(), secondsBetweenAsks) || (status != Tomorrow::notHeld && status != Tomorrow::notPublished && status != Tomorrow::unreachable))
        return;
    fetchAhead(tomorrowKey());
}

QCoro::Task<> ContentViewModel::fetchAhead(PriceDays::Key day)
{
    QPointer<ContentViewModel> self(this);
    const std::shared_ptr<RequestProvider> request = m_request;
    m_fetchingAhead = day;
    m_lastFetchAhead = m_clock();
    Q_EMIT tomorrowChanged();
    std::optional<std::vector<SpotPriceModel>> records;
    std::optional<Tomorrow> failure;
    QString error;
    try {
        records = co_await request->fetchAhead(day.date, day.zone);
    } catch (const std::exception &e) {
        // Not published yet (404) or no network: the next hour tries again.
        failure = isNotFound(e) ? Tomorrow::notPublished : Tomorrow::unreachable;
        error = QString::fromUtf8(e.what());
    } catch (...) {
        failure = Tomorrow::unreachable;
    }
    if (!self)
        co_return;
    m_fetchingAhead.reset();
    if (failure) {
        m_tomorrowFailedFor = day;
        m_tomorrowFailure = *failure;
        m_tomorrowError = error;
    } else if (records && day.zone == m_selectedZone) {
        m_tomorrowFailedFor.reset();
        hold(day, PriceDay(std::move(*records), false));
    }
    Q_EMIT tomorrowChanged();
}

void ContentViewModel::networkBecameReachable()
{
    // Once per change of the network, and only where it could help: no
    // prices, or prices from the saved copy. The backoff stays for the rest.
    const bool couldDoBetter = m_state == State::error || (m_state == State::loaded && isFromSavedCopy());
    if (couldDoBetter && m_loadsQueued + m_loadsRunning == 0)
        startLoad();
}

void ContentViewModel::setIsAppWinOpen(bool open)
{
    m_isAppWinOpen = open;
    Q_EMIT isAppWinOpenChanged();
}

void ContentViewModel::setSpotPrice(const DigitModel &digits)
{
    m_spotPrice = digits;
    Q_EMIT spotPriceChanged();
}

void ContentViewModel::setState(State state)
{
    m_state = state;
    Q_EMIT stateChanged();
}

void ContentViewModel::setResponseDay(std::optional<PriceDays::Key> day)
{
    m_responseDay = day;
    Q_EMIT responseChanged();
}

} // namespace tarimo::price
