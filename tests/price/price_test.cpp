#include "price/caching_request.h"
#include "price/content_view_model.h"
#include "price/request_mock.h"

#include "api_client/response.h"

#include "tests/support/captured_output.h"
#include "tests/support/run_task.h"
#include "tests/support/scripted_provider.h"
#include "tests/support/test_server.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <thread>

using namespace std::chrono_literals;
using namespace tarimo::price;
using namespace tarimo::test_support;
using State = ContentViewModel::State;
using Day = ScriptedProvider::Answer;
using Codes = QList<qint64>;
Q_DECLARE_METATYPE(Day)
Q_DECLARE_METATYPE(std::optional<tarimo::test_support::Answer>)
Q_DECLARE_METATYPE(std::function<double(int)>)

namespace {

constexpr qint64 B = DigitModel::blankDigit;
constexpr qint64 M = DigitModel::minusDigit;
const Codes blank{B, B, B, B, B};
const QString todayPath = QStringLiteral("/api/v1/prices/2025/11-12_SE3.json");
const QString todayFile = QStringLiteral("2025-11-12_SE3.json");

Codes codes(const DigitModel &d)
{
    return {d.digitOne, d.digitTwo, d.digitThree, d.digitFour, d.digitFive};
}

QDateTime local(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// The hour-number day (hour h costs h kronor, plus a tenth per quarter) with a change made to it.
Day edited(int minutesPerRecord, std::function<void(std::vector<SpotPriceModel> &)> edit)
{
    return [=](const QDateTime &date, Zone zone) {
        auto day = hourNumberDays(minutesPerRecord)(date, zone);
        edit(*day);
        return day;
    };
}

// The service's body of a day of quarter hours: hour 14 shows 1415 öre.
QByteArray body(QDate date, double extra = 0)
{
    return serviceDay(date, 15, [extra](int i, const QDateTime &t) { return hourNumberPrice(i, t) + extra; });
}

// Runs what the event loop has queued: loads that begin, released answers.
void settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PriceTest : public QObject
{
    Q_OBJECT

    QDateTime m_now;
    std::unique_ptr<TestServer> m_server;
    QUrl m_baseUrl;
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_folder;

    ContentViewModel::Clock clock()
    {
        return [this] { return m_now; };
    }
    void load(ContentViewModel &model) { QVERIFY(runTask(model.loadPrices()).succeeded()); }
    // A load at 14:20 through a fresh view model, by default over the saved
    // copies and the loopback service.
    // The saves it began have ended and said what they had to say.
    std::unique_ptr<ContentViewModel> load(std::shared_ptr<RequestProvider> provider = {})
    {
        if (!provider)
            provider = caching();
        auto model = std::make_unique<ContentViewModel>(provider, clock());
        load(*model);
        if (auto *cache = dynamic_cast<CachingRequest *>(provider.get())) {
            runTask(cache->filesSettled());
            settle();
        }
        return model;
    }
    std::shared_ptr<CachingRequest> caching(QThreadPool *files = nullptr)
    {
        return std::make_shared<CachingRequest>(m_baseUrl, m_server ? m_server->makeTransport() : nullptr, m_folder, clock(), files);
    }

private Q_SLOTS:
    void init()
    {
        m_now = local(2025, 11, 12, 14, 20);
        m_server = TestServer::https();
        m_server->serveJson(todayPath, body(m_now.date()));
        m_baseUrl = m_server->baseUrl();
        m_temporary = std::make_unique<QTemporaryDir>();
        m_folder = m_temporary->filePath(QStringLiteral("cache/tarimo"));
    }
    void cleanup()
    {
        m_server.reset();
        m_temporary.reset();
    }

    void pricesBecomeDigits_data()
    {
        QTest::addColumn<double>("kronor");
        QTest::addColumn<Codes>("digits"); // none: no whole number of öre
        QTest::newRow("half rounds up") << 0.125 << (Codes{B, B, B, 1, 3});
        QTest::newRow("negative half rounds away") << -0.125 << (Codes{B, B, M, 1, 3});
        QTest::newRow("zero") << -0.004 << (Codes{B, B, B, B, 0});
        QTest::newRow("six digits keep the last five") << 1234.56 << (Codes{2, 3, 4, 5, 6});
        QTest::newRow("minus cut off") << -999.99 << (Codes{9, 9, 9, 9, 9});
        QTest::newRow("-9999") << -99.99 << (Codes{M, 9, 9, 9, 9});
        QTest::newRow("smallest 64-bit") << -0x1p63 / 100.0 << (Codes{7, 5, 8, 0, 8});
        QTest::newRow("2^63 öre") << 0x1p63 / 100.0 << Codes();
        QTest::newRow("nan") << std::nan("") << Codes();
    }
    void pricesBecomeDigits()
    {
        QFETCH(double, kronor);
        QFETCH(Codes, digits);
        const auto ore = wholeOre(kronor);
        QCOMPARE(ore ? codes(makeDigitModel(*ore)) : Codes(), digits);
    }

    // At 14:20 the digits show hour 14, and the chart's entry of the hour agrees.
    void loadShowsTheHour_data()
    {
        QTest::addColumn<Day>("answer");
        QTest::addColumn<Codes>("digits");
        QTest::addColumn<Codes>("chart"); // the chart's entry of hour 14
        // Hour 14 once more, a day later and dearer, ahead of the day's own.
        auto tomorrowFirst = [](auto &day) {
            SpotPriceModel again = day[14];
            again.timeStart = again.timeStart->addDays(1);
            again.timeEnd = again.timeEnd->addDays(1);
            again.spotPriceSEK = 99.0;
            day.insert(day.begin(), again);
        };
        // The chart finds hour 14 of any day; the digits only the hour that
        // holds the present, never another day's.
        const Day otherDay = [](const QDateTime &, Zone zone) { return hourNumberDays(60)(local(2024, 1, 5, 0, 0), zone); };
        QTest::newRow("another day") << otherDay << blank << Codes{B, 1, 4, 0, 0};
        QTest::newRow("the hour holding the present first") << edited(60, tomorrowFirst) << Codes{B, 1, 4, 0, 0} << Codes{B, 1, 4, 0, 0};
        QTest::newRow("other days only") << Day([=](const QDateTime &d, Zone z) {
            auto day = otherDay(d, z);
            tomorrowFirst(*day);
            return day;
        }) << blank << Codes{B, 9, 9, 0, 0};
        QTest::newRow("hour without price") << edited(60, [](auto &day) { day[14].spotPriceSEK.reset(); }) << blank << blank;
        QTest::newRow("a NaN quarter counts as absent") // (14.0 + 14.2 + 14.3) / 3
            << edited(15, [](auto &day) { day[57].spotPriceSEK = std::nan(""); }) << Codes{B, 1, 4, 1, 7} << Codes{B, 1, 4, 1, 7};
        // The mean is 3142.5 öre exactly; in binary it falls just below.
        QTest::newRow("a mean of half an öre rounds up") << edited(15, [](auto &day) {
            for (int q = 0; q < 4; ++q)
                day[56 + q].spotPriceSEK = std::array{31.3, 31.32, 31.54, 31.54}[q];
        }) << Codes{B, 3, 1, 4, 3} << Codes{B, 3, 1, 4, 3};
    }
    void loadShowsTheHour()
    {
        QFETCH(Day, answer);
        QFETCH(Codes, digits);
        QFETCH(Codes, chart);
        auto provider = std::make_shared<ScriptedProvider>(answer);
        ContentViewModel model(provider, clock());
        QList<State> states;
        connect(&model, &ContentViewModel::stateChanged, this, [&] { states.append(model.state()); });
        CapturedOutput quiet;
        load(model);
        const bool heldNow = model.priceRecord(14)->timeStart->date() == m_now.date();
        QCOMPARE(states, (QList<State>{State::loading, State::loaded} + QList<State>(heldNow ? 0 : 1, State::error)));
        QCOMPARE(codes(model.spotPrice()), digits);
        const auto sek = model.priceRecord(14)->spotPriceSEK;
        QCOMPARE(sek ? codes(makeDigitModel(*wholeOre(*sek))) : blank, chart);
        QVERIFY(provider->calls.size() == 1 && provider->calls[0].zone == Zone::se3 && provider->calls[0].date == m_now);
    }

    // With VAT every price shown is × 1.25, rounded as the digits round;
    // the console keeps the spot price.
    void vatOnShownPrices_data()
    {
        QTest::addColumn<double>("kronor");
        QTest::addColumn<qint64>("ore");
        QTest::newRow("whole") << 1.0 << qint64(125);
        QTest::newRow("half rounds up") << 0.1 << qint64(13);
        QTest::newRow("negative half rounds away") << -0.1 << qint64(-13);
        QTest::newRow("half an öre from nothing") << 0.004 << qint64(1);
        QTest::newRow("just below a half") << 0.0039 << qint64(0);
    }
    void vatOnShownPrices()
    {
        QFETCH(double, kronor);
        QFETCH(qint64, ore);
        ContentViewModel model(std::make_shared<ScriptedProvider>(edited(60, [&](auto &day) { day[14].spotPriceSEK = kronor; })), clock());
        CapturedOutput output;
        load(model);
        model.setIncludesVat(true);
        QCOMPARE(model.spotPrice(), makeDigitModel(ore));
        QCOMPARE(model.priceLabel(14), QStringLiteral("%1 öre / kwh").arg(ore));
        QVERIFY(output.lines().last().contains(QStringLiteral("spotPriceSEK: %1,").arg(kronor)));
        model.setIncludesVat(false);
        QCOMPARE(model.spotPrice(), makeDigitModel(*wholeOre(kronor)));
    }

    // The cheapest run of hours. Hour i counts from the first day's local
    // midnight, so that daylight-saving days keep their real hours.
    void cheapestRun_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<int>("days");
        QTest::addColumn<std::function<double(int)>>("price"); // NaN: no price; -inf: no hour
        QTest::addColumn<int>("from");   // hour the run may start at
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("start");  // -1: no run
        QTest::addColumn<int>("found");  // its length
        QTest::addColumn<double>("mean");
        const QDate day(2025, 11, 12);
        using Price = std::function<double(int)>;
        const double gap = std::nan("");
        auto cheapAt = [](QList<int> hours, double cheap = 1) {
            return Price([=](int i) { return hours.contains(i) ? cheap : 10.0 + i % 5; });
        };
        QTest::newRow("ties go to the earliest") << day << 1 << Price([](int) { return 5.0; }) << 0 << 3 << 0 << 3 << 5.0;
        QTest::newRow("across midnight") << day << 2 << cheapAt({22, 23, 24}) << 20 << 3 << 22 << 3 << 1.0;
        QTest::newRow("not before the present hour") << day << 1 << cheapAt({2, 3, 4, 17, 18}) << 5 << 2 << 17 << 2 << 1.0;
        QTest::newRow("a missing hour breaks a run") << day << 1 << Price([=](int i) { return i == 3 ? gap : i < 7 ? 1.0 : 10.0; })
                                                     << 1 << 3 << 4 << 3 << 1.0;
        QTest::newRow("an hour not there breaks a run") << day << 1 << Price([](int i) { return i == 3 ? -HUGE_VAL : i < 7 ? 1.0 : 10.0; })
                                                        << 1 << 3 << 4 << 3 << 1.0;
        QTest::newRow("negative prices count") << day << 1 << Price([](int i) { return i == 10 ? -5.0 : i == 11 || i == 12 ? 1.0 : i < 6 ? 0.0 : 9.0; })
                                               << 0 << 3 << 10 << 3 << -1.0;
        QTest::newRow("fewer hours left") << day << 1 << cheapAt({}) << 22 << 3 << 22 << 2 << 12.5;
        QTest::newRow("none left") << day << 1 << cheapAt({}) << 24 << 3 << -1 << 0 << 0.0;
        QTest::newRow("length 1") << day << 1 << cheapAt({9}, 0.5) << 0 << 1 << 9 << 1 << 0.5;
        QTest::newRow("length 8") << day << 2 << cheapAt({30, 31, 32, 33, 34, 35, 36, 37}) << 0 << 8 << 30 << 8 << 1.0;
        // Spring: 02 does not exist, 01 and 03 are an hour apart. Autumn: 02 twice.
        QTest::newRow("23-hour day") << QDate(2025, 3, 30) << 1 << cheapAt({1, 2}) << 0 << 2 << 1 << 2 << 1.0;
        QTest::newRow("25-hour day") << QDate(2025, 10, 26) << 1 << cheapAt({2, 3, 24}) << 0 << 2 << 2 << 2 << 1.0;
    }
    void cheapestRun()
    {
        QFETCH(QDate, first);
        QFETCH(int, days);
        QFETCH(std::function<double(int)>, price);
        QFETCH(int, from);
        QFETCH(int, length);
        QFETCH(int, start);
        QFETCH(int, found);
        QFETCH(double, mean);
        const QDateTime midnight(first, QTime(0, 0));
        auto hourAt = [&](int i) { return midnight.addSecs(3600 * i); };
        std::vector<SpotPriceModel> hours;
        for (int i = 0; hourAt(i) < QDateTime(first.addDays(days), QTime(0, 0)); ++i) {
            if (price(i) == -HUGE_VAL)
                continue;
            SpotPriceModel hour;
            if (!std::isnan(price(i)))
                hour.spotPriceSEK = price(i);
            hour.timeStart = hourAt(i);
            hour.timeEnd = hourAt(i + 1);
            hours.push_back(hour);
        }
        std::vector<const SpotPriceModel *> pointers;
        for (const SpotPriceModel &hour : hours)
            pointers.push_back(&hour);
        const auto run = tarimo::price::cheapestRun(pointers, hourAt(from).addSecs(1800), length);
        QCOMPARE(run.has_value(), start >= 0);
        if (!run)
            return;
        QCOMPARE(run->start, hourAt(start));
        QCOMPARE(run->length, found);
        QCOMPARE(run->end, hourAt(start + found));
        QCOMPARE(run->meanPrice, mean);
    }

    // Asked for after 13:00, tomorrow is fetched at once, once; a 404 means
    // not published yet, with the next try an hour on.
    void tomorrowOnRequest()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(60));
        provider->fetchesAhead = true;
        m_now.setTime(QTime(12, 40));
        ContentViewModel model(provider, clock());
        model.fetchTomorrow();
        QVERIFY(model.tomorrow() == ContentViewModel::Tomorrow::beforePublication && provider->aheadCalls.empty());
        m_now.setTime(QTime(13, 5));
        provider->aheadFailure = std::make_exception_ptr(
            tarimo::api_client::Client::ErrorResponse(std::nullopt, tarimo::api_client::HttpStatusCode::notFound));
        model.fetchTomorrow();
        model.fetchTomorrow();
        QTRY_COMPARE(model.tomorrow(), ContentViewModel::Tomorrow::notPublished);
        QCOMPARE(provider->aheadCalls.size(), std::size_t(1));
        QCOMPARE(model.nextTomorrowTry(), m_now.addSecs(3600));
        provider->aheadFailure = nullptr;
        m_now = m_now.addSecs(6 * 60);
        model.fetchTomorrow();
        QTRY_COMPARE(model.tomorrow(), ContentViewModel::Tomorrow::held);
        QCOMPARE(model.heldDay(1)->hours().front().timeStart->toLocalTime(), QDateTime(m_now.date().addDays(1), QTime(0, 0)));
    }

    // A zone selection blanks at once and loads once perform has returned.
    void selectingAZoneBlanksAndLoads()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(60));
        ContentViewModel model(provider, clock());
        CapturedOutput quiet;
        load(model);
        model.perform(ViewModelAction::selectZone(Zone::se1));
        QVERIFY(codes(model.spotPrice()) == blank && provider->calls.size() == 1);
        settle();
        QCOMPARE(provider->calls.back().zone, Zone::se1);
        QCOMPARE(codes(model.spotPrice()), (Codes{B, 1, 4, 0, 0}));
    }

    // SE1 clicked, then SE2 while SE1's answer is on its way: whichever
    // answers last, the panel shows SE2, and the stale answer changes and
    // says nothing.
    void newestLoadDecides_data()
    {
        QTest::addColumn<QString>("older");
        for (const char *row : {"answers last", "answers first", "fails last", "answers before the newer begins"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void newestLoadDecides()
    {
        QFETCH(QString, older);
        ContentViewModel *viewModel = nullptr;
        // SE1 costs 1 krona all day, SE2 2 kronor.
        auto provider = std::make_shared<ScriptedProvider>([&](const QDateTime &date, Zone zone) {
            if (older == u"fails last" && zone == Zone::se1)
                throw std::runtime_error("Host not found");
            if (older == u"answers before the newer begins" && zone == Zone::se1)
                viewModel->perform(ViewModelAction::selectZone(Zone::se2));
            auto day = hourNumberDays(60)(date, zone);
            for (auto &record : *day)
                record.spotPriceSEK = double(int(zone) + 1);
            return day;
        });
        provider->holding = true;
        // A copy saved earlier is news only from the load that decides.
        provider->savedCopyAfter = QStringLiteral("Host not found");
        ContentViewModel model(provider, clock());
        viewModel = &model;
        model.perform(ViewModelAction::selectZone(Zone::se1));
        settle();
        const QDateTime asked = model.selectedDate();
        m_now = m_now.addSecs(5);
        int changes = 0;
        for (auto signal : {&ContentViewModel::stateChanged, &ContentViewModel::spotPriceChanged, &ContentViewModel::responseChanged})
            connect(&model, signal, this, [&] { ++changes; });
        CapturedOutput output;
        if (older == u"answers before the newer begins")
            provider->release(0);
        else
            model.perform(ViewModelAction::selectZone(Zone::se2));
        settle();
        QVERIFY(provider->calls.size() == 2 && codes(model.spotPrice()) == blank);
        auto releaseOlder = [&] {
            const auto before = std::pair(changes, output.lines().size());
            provider->release(0);
            settle();
            QCOMPARE(std::pair(changes, output.lines().size()), before);
        };
        if (older == u"answers first") {
            releaseOlder();
            QVERIFY(model.state() == State::loading && model.selectedDate() == asked);
        }
        provider->release(1);
        settle();
        if (older == u"answers last" || older == u"fails last")
            releaseOlder();
        QCOMPARE(output.lines().filter(QRegularExpression(QStringLiteral("^💾"))),
                 QStringList{"💾 Prices from the saved copy se2 2025-11-12 after error Host not found"});
        QCOMPARE(model.priceLabel(14), QStringLiteral("200 öre / kwh"));
        QVERIFY(model.state() == State::loaded && model.selectedDate() == m_now && codes(model.spotPrice()) == (Codes{B, B, 2, 0, 0}));
        QVERIFY(!model.days().find({Zone::se1, m_now.date()})); // a zone left is not kept
    }

    // Levels over the day's prices, whatever a NaN record says; labels in whole öre.
    void levelsAndLabels()
    {
        ContentViewModel model(std::make_shared<ScriptedProvider>(edited(60, [](auto &day) {
                                   day[0].spotPriceSEK = std::nan(""); // first, where a range starts
                                   day[7].spotPriceSEK = -0.5;
                               })), clock());
        load(model);
        QCOMPARE(model.relativePrice(*model.priceRecord(7)), 0.0);
        QCOMPARE(model.relativePrice(*model.priceRecord(23)), 1.0);
        QCOMPARE(model.relativePrice(*model.priceRecord(8)), 8.5 / 23.5);
        QCOMPARE(model.priceLabel(7), QStringLiteral("-50 öre / kwh"));
    }

    // The minute tick's hour check shows a new hour of the same day from the
    // records held, without loading again.
    void hourCheck_data()
    {
        QTest::addColumn<Day>("answer");
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Codes>("digits");
        const Day quarters = hourNumberDays(15);
        // NTP, a person or a restored machine sets the clock back. Day d
        // costs d kronor plus a hundredth per hour, so another day shows.
        const Day byDay = [](const QDateTime &date, Zone) {
            const QDate day = date.toLocalTime().date();
            return std::optional(decodeServiceDay(serviceDay(day, 60, [day](int, const QDateTime &start) {
                return day.day() + start.time().hour() / 100.0;
            })));
        };
        QTest::newRow("an hour back: shown from the day held") << byDay << local(2025, 11, 12, 15, 10) << local(2025, 11, 12, 14, 10)
            << QStringList{"🏖️🏖️ Date.now.hour 14 15 true", "🏖️ 14 15 -1"} << Codes{B, 1, 2, 1, 4};
        QTest::newRow("a day back: that day loaded") << byDay << local(2025, 11, 12, 14, 58) << local(2025, 11, 11, 14, 59)
            << QStringList{"🏗️ Updating spot prices", "🏖️🏖️ Date.now.hour 14 14 false"} << Codes{B, 1, 1, 1, 4};
        QTest::newRow("next hour") << quarters << local(2025, 11, 12, 13, 40) << local(2025, 11, 12, 14, 0, 30)
                                   << QStringList{"🏖️🏖️ Date.now.hour 14 13 false", "🏖️ 14 13 1"} << Codes{B, 1, 4, 1, 5};
        // No stale price under the new hour's date line.
        QTest::newRow("next hour without a record goes dark")
            << edited(60, [](auto &day) { day.resize(14); }) << local(2025, 11, 12, 13, 40) << local(2025, 11, 12, 14, 1)
            << QStringList{"🏖️🏖️ Date.now.hour 14 13 false", "🏖️ 14 13 1"} << blank;
        if (QDateTime(QDate(2025, 7, 1), QTime(12, 0)).offsetFromUtc() != 7200)
            return; // the daylight-saving days of Stockholm
        QTest::newRow("spring") << quarters << local(2025, 3, 30, 1, 59) << local(2025, 3, 30, 3, 0, 20)
                                << QStringList{"🏖️🏖️ Date.now.hour 3 1 false", "🏖️ 3 1 2"} << Codes{B, B, 3, 1, 5};
        // Autumn: 02:59 summer time is followed by 02:00 winter time. Each
        // hour costs as many kronor as hours have passed since midnight.
        const Day elapsed = [](const QDateTime &date, Zone) {
            return std::optional(decodeServiceDay(
                serviceDay(date.toLocalTime().date(), 15, [](int index, const QDateTime &) { return index / 4; })));
        };
        auto utc = [](int h, int m, int s = 0) { return QDateTime(QDate(2025, 10, 26), QTime(h, m, s), Qt::UTC).toLocalTime(); };
        QTest::newRow("autumn, into the second 02 hour") << elapsed << utc(0, 59) << utc(1, 0, 20)
                                                         << QStringList{"🏖️🏖️ Date.now.hour 2 2 false", "🏖️ 2 2 0"} << Codes{B, B, 3, 0, 0};
        QTest::newRow("autumn, then 03") << elapsed << utc(1, 59) << utc(2, 0, 20)
                                         << QStringList{"🏖️🏖️ Date.now.hour 3 2 false", "🏖️ 3 2 1"} << Codes{B, B, 4, 0, 0};
    }
    void hourCheck()
    {
        QFETCH(Day, answer);
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(QStringList, lines);
        QFETCH(Codes, digits);
        auto provider = std::make_shared<ScriptedProvider>(answer);
        m_now = before;
        ContentViewModel model(provider, clock());
        CapturedOutput output;
        load(model);
        m_now = after;
        model.tick();
        settle();
        QCOMPARE(output.lines().filter(QRegularExpression(QStringLiteral("^(🏖|🏗)"))), lines);
        QCOMPARE(codes(model.spotPrice()), digits);
        // Only another day loads again.
        const std::size_t loads = after.date() == before.date() ? 1 : 2;
        QVERIFY(model.selectedDate() == after && model.state() == State::loaded && provider->calls.size() == loads);
    }

    // Asked at 23:59:55, answered at 00:00:05: yesterday's prices stay
    // under yesterday's date, and the next tick loads the new day.
    void loadThatCrossesMidnight()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(15));
        provider->holding = true;
        m_now = local(2025, 12, 31, 23, 59, 55);
        ContentViewModel model(provider, clock());
        CapturedOutput output;
        model.perform(ViewModelAction::reload());
        settle();
        m_now = local(2026, 1, 1, 0, 0, 5);
        provider->release(0);
        settle();
        QCOMPARE(codes(model.spotPrice()), (Codes{B, 2, 3, 1, 5}));
        QCOMPARE(model.dateText(), QStringLiteral("onsdag 31 dec. 2025, 23:00"));

        provider->holding = false;
        const auto printed = output.lines().size();
        model.tick();
        QCOMPARE(codes(model.spotPrice()), blank); // no old price under the new date line
        QCOMPARE(output.lines().mid(printed), (QStringList{"🏗️ Updating spot prices", "🏖️🏖️ Date.now.hour 0 0 false"}));
        settle();
        QVERIFY(codes(model.spotPrice()) == (Codes{B, B, B, 1, 5}) && provider->calls.at(1).date == m_now);
        QCOMPARE(model.dateText(), QStringLiteral("torsdag 1 jan. 2026, 00:00"));
    }

    // Reloaded while loading: the older answer, whenever it comes, is not
    // the day any more.
    void sameDayReloadedDecidesByTheNewer()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(60));
        provider->holding = true;
        ContentViewModel model(provider, clock());
        CapturedOutput output;
        model.reload();
        settle();
        model.reload();
        settle();
        provider->release(1);
        settle();
        const auto printed = output.lines().size();
        QCOMPARE(model.state(), State::loaded);
        provider->answer = [](const QDateTime &, Zone) -> std::optional<std::vector<SpotPriceModel>> { return std::nullopt; };
        provider->release(0);
        settle();
        QVERIFY(output.lines().size() == printed && model.state() == State::loaded);
    }

    // Yesterday's load, ended after today's began, is held but not shown.
    void dayLeftBehindIsHeldNotShown()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(15));
        provider->holding = true;
        m_now = local(2025, 12, 31, 23, 59, 50);
        ContentViewModel model(provider, clock());
        CapturedOutput output;
        model.reload();
        settle();
        m_now = local(2026, 1, 1, 0, 0, 40);
        model.tick();
        settle();
        provider->release(1);
        settle();
        QCOMPARE(codes(model.spotPrice()), (Codes{B, B, B, 1, 5}));
        const auto printed = output.lines().size();
        provider->release(0);
        settle();
        QVERIFY(output.lines().size() == printed && codes(model.spotPrice()) == (Codes{B, B, B, 1, 5}));
        QCOMPARE(model.response()->front().timeStart->toLocalTime().date(), QDate(2026, 1, 1));
        QVERIFY(model.days().find({Zone::se3, QDate(2025, 12, 31)}));
    }

    // When the desktop says the network is back, missing or saved prices
    // are loaded again at once, once; fresh prices are left alone.
    void networkBackReloads()
    {
        auto provider = std::make_shared<ScriptedProvider>([](const QDateTime &, Zone) -> std::optional<std::vector<SpotPriceModel>> {
            throw std::runtime_error("Host not found");
        });
        ContentViewModel model(provider, clock());
        CapturedOutput quiet;
        load(model);
        provider->answer = hourNumberDays(60);
        provider->savedCopyAfter = QStringLiteral("Host not found");
        model.networkBecameReachable();
        model.networkBecameReachable(); // while the first reload waits to begin
        settle();
        QVERIFY(provider->calls.size() == 2 && model.state() == State::loaded && model.isFromSavedCopy());
        provider->savedCopyAfter.reset();
        model.networkBecameReachable();
        settle();
        QVERIFY(provider->calls.size() == 3 && !model.isFromSavedCopy());
        model.networkBecameReachable();
        settle();
        QCOMPARE(provider->calls.size(), std::size_t(3));
    }

    // After a failure: the first tick, then 2, 4 and 8 minutes later, then
    // every 15 minutes; never while a load waits or runs; a success ends it.
    void failedLoadsAreRetriedWithPauses()
    {
        auto provider = std::make_shared<ScriptedProvider>([](const QDateTime &, Zone) -> std::optional<std::vector<SpotPriceModel>> {
            throw std::runtime_error("Host not found");
        });
        ContentViewModel model(provider, clock());
        CapturedOutput output;
        load(model);
        QCOMPARE(output.lines(), QStringList{"❌ Failed with error Host not found"});
        QList<int> retries;
        for (int minute = 1; minute <= 60; ++minute) {
            const auto before = provider->calls.size();
            model.tick();
            settle();
            if (provider->calls.size() > before)
                retries.append(minute);
        }
        QCOMPARE(retries, (QList<int>{1, 3, 7, 15, 30, 45, 60}));
        // A reload is asked for when a retry is due: one load, not two.
        for (int minute = 0; minute < 14; ++minute)
            model.tick();
        model.perform(ViewModelAction::reload());
        model.tick();
        settle();
        QCOMPARE(provider->calls.size(), std::size_t(9));

        provider->answer = hourNumberDays(60);
        for (int minute = 0; minute < 30; ++minute) {
            model.tick();
            settle();
        }
        QCOMPARE(provider->calls.size(), std::size_t(10)); // the 15th tick, then no more
        QCOMPARE(model.state(), State::loaded);
    }

    // Gone while its load runs: the answer finds no view model and says nothing.
    void viewModelMayGoWhileLoading()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(60));
        provider->holding = true;
        auto *model = new ContentViewModel(provider, clock());
        CapturedOutput output;
        model->perform(ViewModelAction::reload());
        settle();
        delete model;
        provider->release(0);
        settle();
        QVERIFY(output.lines().isEmpty());
    }

    // The mock answers at once with one record of now; a cancel from
    // another thread ends its wait.
    void mock()
    {
        RequestMock mock(0s);
        auto task = mock.fetch(local(2001, 1, 1, 0, 0), Zone::se1);
        QVERIFY(task.isReady());
        const SpotPriceModel record = runTask(std::move(task)).value()->front();
        QVERIFY(qAbs(*record.spotPriceSEK) <= 99.0 && record.spotPriceEUR == 0.01 && record.exr == 10.1);
        QVERIFY(qAbs(record.timeStart->secsTo(QDateTime::currentDateTimeUtc())) <= 5);
        QCOMPARE(record.timeStart->secsTo(*record.timeEnd), 3600);
        mock.timeout = 30s;
        std::stop_source source;
        std::thread other;
        QTimer::singleShot(0, this, [&] { other = std::thread([&source] { source.request_stop(); }); });
        const auto outcome = runTask(mock.fetch(m_now, Zone::se3, source.get_token()));
        other.join();
        QVERIFY(outcome.error<CancellationError>());
    }

    void recordsKeepWhatTheyHold()
    {
        const auto day = decodeServiceDay(R"([{}, {"SEK_per_kWh":null,"EXR":11.2,"x":[1]}, {"SEK_per_kWh":"NaN","EUR_per_kWh":"-Infinity"}])");
        QVERIFY(!day[0].spotPriceSEK && !day[0].spotPriceEUR && !day[0].exr && !day[0].timeStart && !day[0].timeEnd);
        QVERIFY(!day[1].spotPriceSEK && day[1].exr == 11.2 && day[0].id != day[1].id);
        QVERIFY(std::isnan(*day[2].spotPriceSEK) && *day[2].spotPriceEUR == -HUGE_VAL);
        try {
            decodeServiceDay(R"([{"SEK_per_kWh":1.0},{"EXR":[2],"SEK_per_kWh":-1e400}])");
            QFAIL("a number beyond a double was accepted");
        } catch (const tarimo::api_client::DecodingError &error) {
            QCOMPARE(error.what(), "Cannot decode [1].SEK_per_kWh: the number -1e400 does not fit in a double");
        }
    }

    // The local calendar day, also where it is already the next one in UTC.
    void pathOfTheLocalDay()
    {
        for (const QDateTime &date : {local(2024, 12, 31, 23, 59), local(2024, 12, 31, 23, 59).toUTC()})
            QCOMPARE(Request::path(date, Zone::se1), QStringLiteral("/api/v1/prices/2024/12-31_SE1.json"));
        QCOMPARE(Request::path(local(2025, 1, 1, 0, 30).toUTC(), Zone::se4), QStringLiteral("/api/v1/prices/2025/01-01_SE4.json"));
    }

    // A failed load says why and the digits stay as they were; where a copy
    // of the day was saved, that copy is shown instead, with one line more.
    void failedLoad_data()
    {
        QTest::addColumn<std::optional<Answer>>("answer"); // none: server gone
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("savedReason"); // none: the response is kept
        QTest::newRow("server gone") << std::optional<Answer>() << "Connection refused" << "Connection refused";
        const QString notFound = "Service responded with error (404 notFound)";
        QTest::newRow("404") << std::optional(Answer::json("{}", 404)) << notFound << notFound;
        const QString undecodable = "Cannot decode [0]: expected an object but found a number (1)";
        QTest::newRow("undecodable") << std::optional(Answer::json("[1]")) << undecodable << undecodable;
        QTest::newRow("empty body") << std::optional(Answer::json({})) << "Model were not provided (404)" << "empty answer";
        QTest::newRow("no record of the hour") << std::optional(Answer::json(R"([{"SEK_per_kWh":1.0}])"))
                                               << "current hour was not provided in the reponse (404)" << QString();
    }
    void failedLoad()
    {
        QFETCH(std::optional<Answer>, answer);
        QFETCH(QString, reason);
        QFETCH(QString, savedReason);
        CapturedOutput output;
        auto model = load(std::make_shared<Request>(m_baseUrl, m_server->makeTransport()));
        load(); // saves the day
        if (answer)
            m_server->serve(todayPath, *answer);
        else
            m_server.reset();
        load(*model);
        QVERIFY(model->state() == State::error && model->spotPrice() == makeDigitModel(1415));
        QCOMPARE(bool(model->response()), savedReason.isNull());
        QVERIFY2(output.lines().last().startsWith("❌ Failed with error " + reason), qPrintable(output.lines().last()));
        if (savedReason.isNull())
            return;
        model = load();
        QCOMPARE(model->spotPrice(), makeDigitModel(1415));
        const QString saved = output.lines().value(output.lines().size() - 2);
        QVERIFY2(saved.startsWith("💾 Prices from the saved copy se3 2025-11-12 after error " + savedReason), qPrintable(saved));
    }

    // Online the service's day is shown, never a saved one, and saved as
    // sent in a private folder beside yesterday and tomorrow only.
    void onlineLoadSavesTheDay()
    {
        load();
        QCOMPARE(QFileInfo(m_folder).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // A writer's temporary file is left alone while it may still be
        // renamed, and removed once it cannot be (its writer was killed).
        const QStringList kept{"2025-11-11_SE1.json", todayFile, "2025-11-13_SE4.json", "2025-11-13_SE4.json.Busy12", "notes.txt"};
        const QString killed = QStringLiteral("2025-11-12_SE1.json.Ab12Cd");
        for (const QString &name : kept + QStringList{"2025-11-10_SE3.json", "2025-11-14_SE3.json", "2025-11-09_SE2.json.Ab12Cd", killed})
            writeFile(m_folder + u'/' + name, body(m_now.date(), 50));
        QFile left(m_folder + u'/' + killed);
        QVERIFY(left.open(QIODevice::ReadWrite) && left.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFile::FileModificationTime));
        left.close();
        QCOMPARE(load()->spotPrice(), makeDigitModel(1415));
        QCOMPARE(readFile(m_folder + u'/' + todayFile), body(m_now.date()));
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), kept);

        // An answer that is not exactly the day asked for may be shown, but
        // is never saved as that day.
        m_server->serveJson(todayPath, body(m_now.date(), 1).chopped(1) + ',' + body(m_now.date().addDays(1)).mid(1));
        QCOMPARE(load()->spotPrice(), makeDigitModel(1515));
        QCOMPARE(readFile(m_folder + u'/' + todayFile), body(m_now.date()));
    }

    // The tick fetches tomorrow from 13:00, at most once an hour, until it
    // is held; at midnight without network the saved copy is shown.
    void fetchTomorrowAhead()
    {
        const QString tomorrowPath = QStringLiteral("/api/v1/prices/2025/11-13_SE3.json");
        // What a power cut left under tomorrow's name does not count as saved.
        QVERIFY(QDir().mkpath(m_folder));
        writeFile(m_folder + QStringLiteral("/2025-11-13_SE3.json"), body(m_now.date().addDays(1)).left(100));
        m_now.setTime(QTime(12, 0));
        ContentViewModel model(caching(), clock());
        CapturedOutput output;
        for (const auto &[time, status, requests] : {std::tuple(QTime(12, 59), 200, 0), std::tuple(QTime(13, 30), 404, 1),
                                                     std::tuple(QTime(14, 29), 200, 1), std::tuple(QTime(14, 30), 200, 2),
                                                     std::tuple(QTime(15, 31), 200, 2)}) {
            m_now.setTime(time);
            m_server->serve(tomorrowPath, Answer::json(body(m_now.date().addDays(1)), status));
            model.tick();
            QTRY_VERIFY(!model.isFetchingAhead());
            QCOMPARE(m_server->requestCount(), requests);
        }
        QCOMPARE(model.days().find({Zone::se3, m_now.date().addDays(1)})->hours().size(), std::size_t(24));
        // Its own line, never the one of the panel's loads.
        QCOMPARE(output.lines().filter(QRegularExpression(QStringLiteral("^(🍀|💾 Fetching)"))),
                 QStringList(2, QStringLiteral("💾 Fetching tomorrow se3 2025-11-13")));
        m_server.reset();
        m_now = local(2025, 11, 13, 0, 0, 40);
        model.tick();
        QTRY_COMPARE(model.spotPrice(), makeDigitModel(15));
    }

    // A saved file that cannot be trusted is never shown: offline the load
    // fails with one line more and the file goes (a folder stays). Online
    // the day is saved in its place, or one line says why not.
    void badCacheIsNeverShown_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"truncated", "another day", "mostly another day", "an hour twice", "link to a good day", "pipe", "folder"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void badCacheIsNeverShown()
    {
        QFETCH(QString, kind);
        QVERIFY(QDir().mkpath(m_folder));
        const QString path = m_folder + u'/' + todayFile;
        const QString elsewhere = m_temporary->filePath(QStringLiteral("good.json"));
        const QByteArray good = body(m_now.date());
        if (kind == u"truncated")
            writeFile(path, good.left(good.size() / 2));
        else if (kind == u"another day")
            writeFile(path, body(m_now.date().addDays(-1)));
        else if (kind == u"an hour twice")
            writeFile(path, good.chopped(1) + ',' + QString::fromUtf8(good.mid(1)).section(u'}', 20, 20).mid(1).toUtf8() + "}]");
        else if (kind == u"mostly another day") // yesterday and today's first quarter
            writeFile(path, body(m_now.date().addDays(-1)).chopped(1) + ',' + QString::fromUtf8(body(m_now.date()).mid(1)).section(u'}', 0, 0).toUtf8() + "}]");
        else if (kind == u"folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == u"pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else {
            writeFile(elsewhere, good);
            QVERIFY(QFile::link(elsewhere, path));
        }

        const QUrl service = m_baseUrl;
        m_baseUrl = TestServer::https()->baseUrl(); // a port nobody listens on any more
        CapturedOutput offline;
        QCOMPARE(load()->state(), State::error);
        QCOMPARE(offline.lines().filter(QRegularExpression(QStringLiteral("^(💾|❌)"))).size(), 2);
        QCOMPARE(QFileInfo::exists(path) || QFileInfo(path).isSymLink(), kind == u"folder");

        m_baseUrl = service;
        CapturedOutput online;
        QCOMPARE(load()->spotPrice(), makeDigitModel(1415));
        QCOMPARE(online.lines().filter(QRegularExpression("^💾 Cannot save prices: " + todayFile)).size(), kind == u"folder" ? 1 : 0);
        QCOMPARE(readFile(path), kind == u"folder" ? QByteArray() : good);
        QCOMPARE(readFile(elsewhere), kind.startsWith(u"link") ? good : QByteArray());
    }

    // A disk that hangs holds up neither the price nor the window: the day
    // is shown first and saved after.
    void priceComesBeforeTheSave()
    {
        QThreadPool files;
        files.setMaxThreadCount(1);
        QSemaphore disk;
        files.start([&disk] { disk.acquire(); });
        const auto release = qScopeGuard([&] { disk.release(); });
        ContentViewModel model(caching(&files), clock());
        load(model);
        QCOMPARE(model.spotPrice(), makeDigitModel(1415));
        QVERIFY(!QFileInfo::exists(m_folder + u'/' + todayFile));
        disk.release();
        files.waitForDone();
        QCOMPARE(readFile(m_folder + u'/' + todayFile), body(m_now.date()));
    }

    // A folder that others may write could hold their prices: it is used
    // neither to show nor to save, and one line says so.
    void foreignFolderIsNotUsed_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<uint>("owner");
        QTest::newRow("group may write") << 0770 << uint(::geteuid());
        QTest::newRow("anyone may write") << 01777 << uint(::geteuid());
        QTest::newRow("another user's") << 0700 << 65534u;
    }
    void foreignFolderIsNotUsed()
    {
        QFETCH(int, mode);
        QFETCH(uint, owner);
        if (owner != ::geteuid() && ::geteuid() != 0)
            QSKIP("only root can give a folder away");
        QVERIFY(QDir().mkpath(m_folder));
        const QByteArray planted = body(m_now.date(), 50);
        writeFile(m_folder + u'/' + todayFile, planted);
        QVERIFY(::chmod(QFile::encodeName(m_folder).constData(), mode_t(mode)) == 0
                && ::chown(QFile::encodeName(m_folder).constData(), owner, gid_t(-1)) == 0);
        const QUrl service = m_baseUrl;
        m_baseUrl = TestServer::https()->baseUrl();
        CapturedOutput output;
        const auto offline = load();
        QVERIFY(offline->state() == State::error && offline->spotPrice() == DigitModel());
        m_baseUrl = service;
        QCOMPARE(load()->spotPrice(), makeDigitModel(1415));
        QCOMPARE(output.lines().filter(QRegularExpression(QStringLiteral("^💾"))).size(), 2); // once per cache
        QVERIFY(output.lines().filter(QStringLiteral("💾 Saved prices not used: ")).size() == 2);
        QCOMPARE(readFile(m_folder + u'/' + todayFile), planted);
    }

    // A storm of clicks against a slow service: each new load stops the one
    // it makes moot, so a connection or two stay open, not fifty.
    void stormOfLoadsKeepsOneTransfer()
    {
        for (const char *zone : {"SE1", "SE2", "SE3", "SE4"})
            m_server->serve(QString(todayPath).replace(QStringLiteral("SE3"), QLatin1String(zone)), Answer::json(body(m_now.date())).withDelay(5s));
        ContentViewModel model(std::make_shared<Request>(m_baseUrl, m_server->makeTransport()), clock());
        CapturedOutput quiet;
        // Zone after zone, then the last one again and again.
        for (int click = 0; click < 50; ++click) {
            if (click < 25)
                model.selectZone(Zone(click % 4));
            else
                model.reload();
            settle();
        }
        // Time for every transfer begun to reach the service, then for the
        // stopped ones to be gone.
        QTest::qWait(500);
        QTRY_VERIFY2_WITH_TIMEOUT(m_server->connectionCount() - m_server->closedCount() <= 2,
                                  qPrintable(QString::number(m_server->connectionCount() - m_server->closedCount())), 2000);
    }

    // A stopped fetch ends while the service still holds its answer, with
    // its connection dropped, CancellationError and no line after the
    // request's: no saved copy stands in for it. Stopped before it starts,
    // it sends and says nothing.
    void stoppedFetchEndsAtOnce_data()
    {
        QTest::addColumn<bool>("caching");
        QTest::addColumn<bool>("stopFirst");
        QTest::newRow("live") << false << false;
        QTest::newRow("with a saved copy") << true << false;
        QTest::newRow("stopped before it starts") << true << true;
    }
    void stoppedFetchEndsAtOnce()
    {
        QFETCH(bool, caching);
        QFETCH(bool, stopFirst);
        // The day saved through a transport of its own, which goes with it.
        QVERIFY(runTask(std::make_shared<CachingRequest>(m_baseUrl, m_server->makeTransport(), m_folder, clock())
                            ->fetch(m_now, Zone::se3))
                    .succeeded());
        m_server->serve(todayPath, Answer::json(body(m_now.date())).withDelay(5s));
        const auto transport = m_server->makeTransport();
        const std::shared_ptr<RequestProvider> prices
            = caching ? std::shared_ptr<RequestProvider>(std::make_shared<CachingRequest>(m_baseUrl, transport, m_folder, clock()))
                      : std::make_shared<Request>(m_baseUrl, transport);
        std::stop_source stop;
        if (stopFirst)
            stop.request_stop();
        CapturedOutput output;
        auto task = prices->fetch(m_now, Zone::se3, stop.get_token());
        if (!stopFirst) {
            QVERIFY(m_server->waitForRequests(2));
            stop.request_stop();
        }
        const auto outcome = runTask(std::move(task), 1s);
        QVERIFY2(outcome.error<CancellationError>(), qPrintable(outcome.errorText()));
        const QStringList sent{"🍀 se3", "Client: 💬 [GET] " + todayPath + "  "};
        QCOMPARE(output.lines(), stopFirst ? QStringList() : sent);
        QCOMPARE(m_server->requestCount(), stopFirst ? 1 : 2);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->closedCount(), m_server->connectionCount(), 1000);
    }
};

QTEST_GUILESS_MAIN(PriceTest)
#include "price_test.moc"
