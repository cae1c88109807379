#pragma once

#include "price/cheapest_run.h"
#include "price/clock.h"
#include "price/digit_model.h"
#include "price/price_days.h"
#include "price/request_provider.h"
#include "price/spot_price_model.h"
#include "price/view_model_action.h"
#include "price/zone.h"

#include <QCoro/QCoroFwd>
#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace tarimo::price {

// The one state object behind the price display: loads a day of prices,
// picks the current hour, holds its digits and the texts the display shows,
// and keeps itself current with a one-minute timer. Lives on the GUI thread.
//
// Every assignment of a published field (isAppWinOpen, spotPrice, state,
// response) emits its change signal, even when the value is equal.
//
// The days of prices it has are held apart from the clock (days()): the
// selected date is the instant whose price the digits show, and the day of
// that instant in the selected zone is the day shown.
class ContentViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAppWinOpen READ isAppWinOpen NOTIFY isAppWinOpenChanged)
    Q_PROPERTY(State state READ state NOTIFY stateChanged)

public:
    using DigitModel = price::DigitModel;
    using Clock = price::Clock;

    enum class State { notLoaded, loading, loaded, error };
    Q_ENUM(State)

    static constexpr std::chrono::milliseconds refreshInterval{60'000};
    // The hour from which the service has tomorrow's prices (local time):
    // from then on, once an hour until they are held, they are fetched ahead.
    static constexpr int publicationHour = 13;

    // `request` is where prices come from; `clock` gives the present instant
    // (the real clock when empty).
    explicit ContentViewModel(std::shared_ptr<RequestProvider> request, Clock clock = {}, QObject *parent = nullptr);

    static DigitModel makeDigitModel(qint64 ore) { return price::makeDigitModel(ore); }

    bool isAppWinOpen() const { return m_isAppWinOpen; }
    const DigitModel &spotPrice() const { return m_spotPrice; }
    Zone selectedZone() const { return m_selectedZone; }
    State state() const { return m_state; }
    QDateTime selectedDate() const { return m_selectedDate; }
    // The records of the last successful load, as delivered; null while a
    // load runs and before the first.
    const std::vector<SpotPriceModel> *response() const;
    QTimer *timer() const { return m_timer; }
    QDateTime now() const { return m_clock(); }
    // Why the last load failed, and the timer ticks (minutes) until the
    // next try; only meaningful in the error state.
    QString lastError() const { return m_lastError; }
    int ticksUntilRetry() const { return m_ticksUntilRetry; }
    // Whether the prices shown are a copy saved earlier, because the service
    // could not be reached.
    bool isFromSavedCopy() const;
    // What became of the last load, in a person's terms.
    enum class Failure { none, noConnection, noPrices, unreadable };
    Failure lastFailure() const { return m_state == State::error ? m_lastFailure : Failure::none; }
    // When the retry after a failed load comes: at the tick that makes it.
    QDateTime nextRetry() const;

    // The prices of the selected zone `offset` days from the day shown (0 its
    // own, 1 the next); null when they are not held.
    const PriceDay *heldDay(int offset) const;

    // Tomorrow's prices of the selected zone, as far as the panel can tell.
    enum class Tomorrow {
        beforePublication, // before publicationHour
        notHeld,           // published by now, not fetched yet
        fetching,
        notPublished,      // the service had none at the last try
        unreachable,       // the last try failed otherwise
        held,
    };
    Tomorrow tomorrow() const;
    // After a failed try: when the next one comes, and why it failed.
    QDateTime nextTomorrowTry() const;
    QString tomorrowError() const { return m_tomorrowError; }

    // The cheapest run of hours from the present hour on, over today and,
    // once held, tomorrow; recomputed when records, hour or length change.
    static constexpr int shortestRun = 1;
    static constexpr int longestRun = 8;
    int cheapestRunLength() const { return m_runLength; }
    const std::optional<CheapestRun> &cheapestRun() const { return m_cheapestRun; }

    // Whether the prices a person sees or hears include 25 % VAT. The
    // console and the chart's scale stay in spot prices.
    bool includesVat() const { return m_includesVat; }
    static constexpr double vatFactor = 1.25;
    // A price in kronor per kWh in whole öre as the panel shows it: with
    // VAT when asked for, rounded as the digits round.
    std::optional<qint64> shownOre(double kronor) const;
    // Every day of prices held, of any zone, whether shown or not.
    const PriceDays &days() const { return m_days; }
    // Whether tomorrow is being fetched ahead.
    bool isFetchingAhead() const { return m_fetchingAhead.has_value(); }

    // Returns at once; a load it starts begins from the event loop, after
    // the caller has returned.
    void perform(const ViewModelAction &action);
    // Never throws: every failure ends in the error state and one log line.
    // The load started last for a zone and day decides: one that ends after
    // a newer one of the same day has been started, or after the zone has
    // changed, changes nothing and logs nothing.
    QCoro::Task<void> loadPrices();
    // Shows the record of the selected hour; throws DomainError when there is none.
    void updateCurrentPrice();

    // The hourly entry of that hour of the day whose interval holds
    // selectedDate (the autumn day has two 02 hours); else the first one.
    std::optional<SpotPriceModel> priceRecord(int hour) const;
    // 0 for the day's cheapest hour, 1 for its dearest.
    double relativePrice(const SpotPriceModel &record) const;
    // "125 öre / kwh", or empty when the hour has no price.
    QString priceLabel(int hour) const;
    // The same of any record, of whatever day.
    QString priceLabel(const SpotPriceModel &record) const;
    // "lördag 25 okt. 2025, 14:00": the Swedish date and hour of selectedDate.
    QString dateText() const;

    // What the refresh timer does each minute.
    void tick();

    // The zone to begin with (one remembered from the last run), before
    // anything is loaded; it loads nothing itself.
    void setStartZone(Zone zone);

public Q_SLOTS:
    // Switches to the zone (also the one already selected), blanks the
    // digits and loads its day.
    void selectZone(price::Zone zone);
    // Loads the day shown again.
    void reload();
    // The desktop reports that the network is back: prices that are missing
    // or only saved are loaded again at once instead of at the next retry.
    void networkBecameReachable();
    // Shows every price with or without VAT from now on.
    void setIncludesVat(bool includesVat);
    // Fetches tomorrow at once, when it is published, not held and not
    // asked for in the last few minutes.
    void fetchTomorrow();
    // Hours, from shortestRun to longestRun.
    void setCheapestRunLength(int hours);

Q_SIGNALS:
    void isAppWinOpenChanged();
    void spotPriceChanged();
    void stateChanged();
    void responseChanged();
    void selectedZoneChanged();
    void includesVatChanged();
    // The calendar day of the selected date is another one (midnight, or
    // the clock set back).
    void selectedDayChanged();
    void tomorrowChanged();
    void cheapestRunChanged();

private:
    void setIsAppWinOpen(bool open);
    void setSpotPrice(const DigitModel &digits);
    void setState(State state);
    void setResponseDay(std::optional<PriceDays::Key> day);
    const PriceDay *responseDay() const;
    // Queues one load of what is selected when it begins.
    void startLoad();
    // Shows the record of the selected hour; false, and nothing changed,
    // when there is none.
    bool showPriceOfSelectedHour();
    void showDigitsOf(const SpotPriceModel &record);
    void fetchAheadIfDue(const QDateTime &now);
    QCoro::Task<> fetchAhead(PriceDays::Key day);
    PriceDays::Key tomorrowKey() const;
    void refreshCheapestRun();
    // The selected zone or hour has moved: the cheapest run and tomorrow's
    // status are to be looked at again.
    void planAhead();
    // Whether tomorrow was last asked for less than `seconds` before `now`.
    bool fetchedAheadWithin(const QDateTime &now, qint64 seconds) const;
    const PriceDay &hold(PriceDays::Key key, PriceDay day);

    std::shared_ptr<RequestProvider> m_request;
    Clock m_clock;
    bool m_isAppWinOpen = true;
    DigitModel m_spotPrice;
    Zone m_selectedZone = Zone::se3;
    State m_state = State::notLoaded;
    QDateTime m_selectedDate;
    QTimer *m_timer = nullptr;
    PriceDays m_days;
    // The day whose records are the response, while there is one.
    std::optional<PriceDays::Key> m_responseDay;

    // Every load gets the next number when it begins; per zone and day, the
    // newest number is the load that may decide.
    quint64 m_loadsBegun = 0;
    std::map<PriceDays::Key, quint64> m_newestLoadOf;
    // The newest load of each zone and day still running, to stop it when
    // a newer one or another zone makes it moot.
    std::map<PriceDays::Key, std::stop_source> m_stopOf;
    // Loads asked for that wait to begin, and loads running now.
    int m_loadsQueued = 0;
    int m_loadsRunning = 0;
    // Recovery from failed loads: how many failed in a row, and how many
    // ticks remain before the next retry.
    int m_failuresInARow = 0;
    int m_ticksUntilRetry = 0;
    QString m_lastError;

    Failure m_lastFailure = Failure::none;
    bool m_includesVat = false;

    // Fetching ahead: the day being fetched, the last try and how it failed.
    std::optional<PriceDays::Key> m_fetchingAhead;
    QDateTime m_lastFetchAhead;
    std::optional<PriceDays::Key> m_tomorrowFailedFor;
    Tomorrow m_tomorrowFailure = Tomorrow::unreachable;
    QString m_tomorrowError;

    int m_runLength = 3;
    std::optional<CheapestRun> m_cheapestRun;
};

} // namespace tarimo::price
