#include "price/content_view_model.h"

#include "price/console.h"
#include "price/domain_error.h"
#include "price/hourly_prices.h"

#include <QLocale>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace tarimo::price {

namespace {

int localHour(const QDateTime &instant)
{
    return instant.toLocalTime().time().hour();
}

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

} // namespace

ContentViewModel::ContentViewModel(std::shared_ptr<RequestProvider> request, Clock clock, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); }))
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
        if constexpr (std::is_same_v<Case, ViewModelAction::SelectZone>) {
            m_selectedZone = value.zone;
            setSpotPrice(DigitModel());
            startLoad();
        } else if constexpr (std::is_same_v<Case, ViewModelAction::Reload>) {
            startLoad();
        } else if constexpr (std::is_same_v<Case, ViewModelAction::AppWindowClosed>) {
            setIsAppWinOpen(false);
        } else {
            setIsAppWinOpen(true);
        }
    }, action.value());
}

void ContentViewModel::startLoad()
{
    // Nobody awaits the task: it runs to its end on its own.
    loadPrices();
}

QCoro::Task<> ContentViewModel::loadPrices()
{
    QPointer<ContentViewModel> self(this);
    // Keeps the provider alive while it works, whatever happens to us.
    const std::shared_ptr<RequestProvider> request = m_request;
    ++m_loadsRunning;
    setState(State::loading);
    setResponse(std::nullopt);

    // The zone and date of the moment the load runs.
    const QDateTime date = m_selectedDate;
    const Zone zone = m_selectedZone;

    QString failure;
    try {
        auto records = co_await request->fetch(date, zone);
        if (!self)
            co_return;
        if (!records)
            throw DomainError(QStringLiteral("Model were not provided"), 404);
        setResponse(std::move(records));
        m_selectedDate = m_clock();
        setState(State::loaded);
        updateCurrentPrice();
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    } catch (...) {
        failure = QStringLiteral("unknown error");
    }
    if (!self)
        co_return;

    --m_loadsRunning;
    if (failure.isNull()) {
        m_failuresInARow = 0;
        co_return;
    }
    m_lastError = failure;
    setState(State::error);
    printLine(QStringLiteral("❌ Failed with error %1").arg(failure));
    ++m_failuresInARow;
    m_ticksUntilRetry = ticksBeforeRetry(m_failuresInARow);
}

void ContentViewModel::updateCurrentPrice()
{
    const auto record = priceRecord(localHour(m_selectedDate));
    if (!record)
        throw DomainError(QStringLiteral("current hour was not provided in the reponse"), 404);

    printLine(QStringLiteral("🍀 Data %1").arg(record->description()));
    const auto ore = record->spotPriceSEK ? wholeOre(*record->spotPriceSEK) : std::nullopt;
    setSpotPrice(ore ? makeDigitModel(*ore) : DigitModel());
}

std::optional<SpotPriceModel> ContentViewModel::priceRecord(int hour) const
{
    const auto it = std::find(m_hourOfDay.begin(), m_hourOfDay.end(), hour);
    if (it == m_hourOfDay.end())
        return std::nullopt;
    return m_hourly[std::size_t(it - m_hourOfDay.begin())];
}

double ContentViewModel::relativePrice(const SpotPriceModel &record) const
{
    if (!m_response || !m_priceRange || !record.spotPriceSEK)
        return 0.0;
    const auto [lowest, highest] = *m_priceRange;
    // Equal prices all day give 0 / 0: not a number, which lights no cell.
    return (*record.spotPriceSEK - lowest) / (highest - lowest);
}

QString ContentViewModel::priceLabel(int hour) const
{
    const auto record = priceRecord(hour);
    if (!record || !record->spotPriceSEK)
        return {};
    const auto ore = wholeOre(*record->spotPriceSEK);
    if (!ore)
        return {};
    return QStringLiteral("%1 öre / kwh").arg(*ore);
}

QString ContentViewModel::dateText() const
{
    static const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
    return swedish.toString(m_selectedDate.toLocalTime(), QStringLiteral("dddd d MMM yyyy, HH:'00'"));
}

void ContentViewModel::tick()
{
    const QDateTime now = m_clock();

    // A new calendar day: load its prices. The old hour's digits would be
    // wrong under the new date line, so they go dark until the load is done.
    if (m_selectedDate.toLocalTime().date() < now.toLocalTime().date()) {
        printLine(u"🏗️ Updating spot prices");
        m_selectedDate = now;
        setSpotPrice(DigitModel());
        startLoad();
    }

    const int h = localHour(now);
    const int s = localHour(m_selectedDate);
    printLine(QStringLiteral("🏖️🏖️ Date.now.hour %1 %2 %3").arg(h).arg(s).arg(h - s < 0 ? u"true" : u"false"));

    // A new hour of the same day: show it from the records already held.
    if (s < h) {
        printLine(QStringLiteral("🏖️ %1 %2 %3").arg(h).arg(s).arg(h - s));
        m_selectedDate = now;
        QTimer::singleShot(0, this, [this] {
            try {
                updateCurrentPrice();
            } catch (...) {
                // No record of the new hour: no stale price under its date line.
                setSpotPrice(DigitModel());
            }
        });
    }

    // A failed load is tried again, with growing pauses, while nothing else loads.
    if (m_state == State::error && m_loadsRunning == 0 && m_failuresInARow > 0 && --m_ticksUntilRetry <= 0)
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

void ContentViewModel::setResponse(std::optional<std::vector<SpotPriceModel>> response)
{
    m_response = std::move(response);
    m_hourly = m_response ? hourlyView(*m_response) : std::vector<SpotPriceModel>();
    m_hourOfDay.clear();
    m_priceRange.reset();
    for (const SpotPriceModel &entry : m_hourly) {
        m_hourOfDay.push_back(localHour(*entry.timeStart));
        if (entry.spotPriceSEK && std::isfinite(*entry.spotPriceSEK)) {
            const double price = *entry.spotPriceSEK;
            m_priceRange = m_priceRange ? std::pair(std::min(m_priceRange->first, price), std::max(m_priceRange->second, price))
                                        : std::pair(price, price);
        }
    }
    Q_EMIT responseChanged();
}

} // namespace tarimo::price
