#include "price/request_mock.h"

#include <QCoro/QCoroTimer>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTimer>

#include <random>

namespace tarimo::price {

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> RequestMock::fetch(QDateTime date, Zone zone)
{
    return fetch(std::move(date), zone, std::stop_token());
}

QCoro::Task<std::optional<std::vector<SpotPriceModel>>> RequestMock::fetch(QDateTime, Zone, std::stop_token stop)
{
    // The deadline is on the monotonic clock, so changes of the wall clock
    // do not stretch or shorten the wait; timers may wake a little early,
    // hence the loop.
    const QDeadlineTimer deadline(timeout, Qt::PreciseTimer);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool cancelled = false;
    // A stop may be requested from any thread; the wake-up is queued to the
    // timer's thread and dropped if the timer is already gone.
    const std::stop_callback onStop(stop, [&timer, &cancelled] {
        QMetaObject::invokeMethod(&timer, [&timer, &cancelled] {
            cancelled = true;
            timer.start(0);
        }, Qt::QueuedConnection);
    });
    while (!cancelled && !deadline.hasExpired()) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline.remainingTimeAsDuration());
        timer.start(remaining);
        co_await timer;
    }
    if (cancelled)
        throw CancellationError();

    SpotPriceModel record;
    record.spotPriceSEK = randomPrice();
    record.spotPriceEUR = 0.01;
    record.exr = 10.1;
    record.timeStart = QDateTime::currentDateTimeUtc();
    record.timeEnd = QDateTime::currentDateTimeUtc().addSecs(3600);
    co_return std::vector<SpotPriceModel>{record};
}

double RequestMock::randomPrice()
{
    constexpr quint64 top = quint64(1) << 53;
    std::uniform_int_distribution<quint64> distribution(0, top);
    const quint64 r = distribution(*QRandomGenerator::system());
    if (r == top)
        return 99.0;
    return -99.0 + 198.0 * double(r) * 0x1p-53;
}

} // namespace tarimo::price
