#include "price/request_mock.h"

#include "tests/support/run_task.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <thread>

using namespace std::chrono_literals;
using namespace tarimo::price;
using tarimo::test_support::runTask;

class PriceMockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersAtOnceWithoutTimeout()
    {
        RequestMock mock(0s);
        auto task = mock.fetch(QDateTime(QDate(2001, 1, 1), QTime(0, 0)), Zone::se1);
        QVERIFY(task.isReady());
        const auto records = runTask(std::move(task)).value();
        QVERIFY(records);
        QCOMPARE(records->size(), std::size_t(1));

        const SpotPriceModel &record = records->front();
        QCOMPARE(record.spotPriceEUR, std::optional(0.01));
        QCOMPARE(record.exr, std::optional(10.1));
        // The record is for now, whatever date was asked for.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QVERIFY(qAbs(record.timeStart->secsTo(now)) <= 5);
        QVERIFY(qAbs(record.timeStart->msecsTo(*record.timeEnd) - 3600 * 1000) < 1000);
    }

    void waitsForItsTimeout()
    {
        RequestMock mock(120ms);
        QElapsedTimer elapsed;
        elapsed.start();
        const auto records = runTask(mock.fetch(QDateTime::currentDateTime(), Zone::se3)).value();
        QVERIFY(elapsed.elapsed() >= 120);
        QVERIFY(records && records->size() == 1);
    }

    void pricesStayInRangeAndDiffer()
    {
        RequestMock mock(0s);
        QSet<QUuid> ids;
        QSet<double> prices;
        for (int i = 0; i < 200; ++i) {
            const auto record = runTask(mock.fetch(QDateTime::currentDateTime(), Zone::se3)).value()->front();
            QVERIFY(*record.spotPriceSEK >= -99.0 && *record.spotPriceSEK <= 99.0);
            ids.insert(record.id);
            prices.insert(*record.spotPriceSEK);
        }
        QCOMPARE(ids.size(), 200);
        QVERIFY(prices.size() > 190);
        for (int i = 0; i < 100000; ++i) {
            const double price = RequestMock::randomPrice();
            QVERIFY(price >= -99.0 && price <= 99.0);
        }
    }

    void cancellingEndsTheWait_data()
    {
        QTest::addColumn<int>("when");
        QTest::newRow("before the fetch") << 0;
        QTest::newRow("same thread") << 1;
        QTest::newRow("other thread") << 2;
    }
    void cancellingEndsTheWait()
    {
        QFETCH(int, when);
        RequestMock mock(30s);
        std::stop_source source;
        std::thread other;
        if (when == 0)
            source.request_stop();
        QTimer::singleShot(20ms, this, [&] {
            if (when == 2)
                other = std::thread([&source] { source.request_stop(); });
            else
                source.request_stop();
        });
        const auto outcome = runTask(mock.fetch(QDateTime::currentDateTime(), Zone::se3, source.get_token()));
        if (other.joinable())
            other.join();
        QVERIFY(outcome.error<CancellationError>());
    }
};

QTEST_GUILESS_MAIN(PriceMockTest)
#include "price_mock_test.moc"
