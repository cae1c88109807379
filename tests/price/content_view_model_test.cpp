#include "price/content_view_model.h"

#include "tests/support/captured_output.h"
#include "tests/support/run_task.h"
#include "tests/support/scripted_provider.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace std::chrono_literals;
using namespace tarimo::price;
using tarimo::test_support::CapturedOutput;
using tarimo::test_support::decodeServiceDay;
using tarimo::test_support::hourNumberDays;
using tarimo::test_support::serviceDay;
using tarimo::test_support::ScriptedProvider;
using State = ContentViewModel::State;
using Answer = ScriptedProvider::Answer;

Q_DECLARE_METATYPE(Answer)

namespace {

QList<qint64> codes(const DigitModel &d)
{
    return {d.digitOne, d.digitTwo, d.digitThree, d.digitFour, d.digitFive};
}

constexpr qint64 B = DigitModel::blankDigit;
const QList<qint64> blank{B, B, B, B, B};

// The hour-number day with a change made to its records.
Answer edited(int minutesPerRecord, std::function<void(std::vector<SpotPriceModel> &)> edit)
{
    return [=](const QDateTime &date, Zone zone) {
        auto day = hourNumberDays(minutesPerRecord)(date, zone);
        edit(*day);
        return day;
    };
}

Answer failing(const char *why)
{
    return [why](const QDateTime &, Zone) -> std::optional<std::vector<SpotPriceModel>> {
        throw std::runtime_error(why);
    };
}

bool inStockholm()
{
    return QDateTime(QDate(2025, 7, 1), QTime(12, 0)).offsetFromUtc() == 7200
           && QDateTime(QDate(2025, 1, 1), QTime(12, 0)).offsetFromUtc() == 3600;
}

QDateTime local(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// loadPrices never throws: it ends in a state.
void load(ContentViewModel &model)
{
    QVERIFY(tarimo::test_support::runTask(model.loadPrices()).succeeded());
}

// When the older of two loads answers, in newestLoadDecides.
enum Older { answersLast, answersFirst, failsLast, answersBeforeNewerBegins };

// Lets queued work (the hour check's update, finished sleeps) run.
void settle()
{
    QTest::qWait(20);
}

} // namespace

class ContentViewModelTest : public QObject
{
    Q_OBJECT

    QDateTime m_now;
    ContentViewModel::Clock clock()
    {
        return [this] { return m_now; };
    }

private Q_SLOTS:
    void init() { m_now = local(2025, 11, 12, 14, 20); }

    void startsEmpty()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(60));
        ContentViewModel model(provider, clock());
        QCOMPARE(model.state(), State::notLoaded);
        QCOMPARE(codes(model.spotPrice()), blank);
        QCOMPARE(model.selectedZone(), Zone::se3);
        QVERIFY(model.timer()->isActive());
        QCOMPARE(model.timer()->interval(), 60000);
        QVERIFY(provider->calls.empty());
    }

    // At 14:20 the digits and the tooltip show hour 14, which costs 14 kronor.
    void loadShowsTheHour_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QList<qint64>>("digits");
        QTest::addColumn<QString>("label");
        // Hour 14 once more, a day later and dearer, ahead of the day's own.
        auto tomorrowFirst = [](auto &day) {
            SpotPriceModel again = day[14];
            again.timeStart = again.timeStart->addDays(1);
            again.timeEnd = again.timeEnd->addDays(1);
            again.spotPriceSEK = 99.0;
            day.insert(day.begin(), again);
        };
        QTest::newRow("whole hours") << hourNumberDays(60) << QList<qint64>{B, 1, 4, 0, 0} << "1400 öre / kwh";
        QTest::newRow("another day's records match by hour")
            << Answer([](const QDateTime &, Zone zone) { return hourNumberDays(60)(local(2024, 1, 5, 0, 0), zone); })
            << QList<qint64>{B, 1, 4, 0, 0} << "1400 öre / kwh";
        QTest::newRow("the hour holding the present beats an earlier one")
            << edited(60, tomorrowFirst) << QList<qint64>{B, 1, 4, 0, 0} << "1400 öre / kwh";
        QTest::newRow("first of two hours that hold no present")
            << Answer([=](const QDateTime &, Zone zone) {
                   auto day = hourNumberDays(60)(local(2024, 1, 5, 0, 0), zone);
                   tomorrowFirst(*day);
                   return day;
               })
            << QList<qint64>{B, 9, 9, 0, 0} << "9900 öre / kwh";
        QTest::newRow("hour without price")
            << edited(60, [](auto &day) { day[14].spotPriceSEK.reset(); }) << blank << "";
        QTest::newRow("a NaN quarter counts as absent")
            << edited(15, [](auto &day) { day[57].spotPriceSEK = std::numeric_limits<double>::quiet_NaN(); })
            << QList<qint64>{B, 1, 4, 1, 7} << "1417 öre / kwh"; // (14.0 + 14.2 + 14.3) / 3
        // The mean is 3142.5 öre exactly; in binary it falls just below.
        QTest::newRow("a mean of half an öre rounds up") << edited(15, [](auto &day) {
            for (int q = 0; q < 4; ++q)
                day[56 + q].spotPriceSEK = std::array{31.3, 31.32, 31.54, 31.54}[q];
        }) << QList<qint64>{B, 3, 1, 4, 3} << "3143 öre / kwh";
    }
    void loadShowsTheHour()
    {
        QFETCH(Answer, answer);
        QFETCH(QList<qint64>, digits);
        QFETCH(QString, label);
        auto provider = std::make_shared<ScriptedProvider>(answer);
        provider->delay = 10ms;
        ContentViewModel model(provider, clock());
        QList<State> states;
        connect(&model, &ContentViewModel::stateChanged, this, [&] { states.append(model.state()); });
        CapturedOutput quiet;
        load(model);

        QCOMPARE(states, (QList<State>{State::loading, State::loaded}));
        QCOMPARE(codes(model.spotPrice()), digits);
        QCOMPARE(model.priceLabel(14), label);
        QCOMPARE(provider->calls.size(), std::size_t(1));
        QCOMPARE(provider->calls[0].zone, Zone::se3);
        QCOMPARE(provider->calls[0].date, m_now);
    }

    void selectingAZoneBlanksAndLoads()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(60));
        ContentViewModel model(provider, clock());
        load(model);
        QVERIFY(codes(model.spotPrice()) != blank);

        QSignalSpy digits(&model, &ContentViewModel::spotPriceChanged);
        model.perform(ViewModelAction::selectZone(Zone::se1));
        QCOMPARE(digits.size(), 1);
        QCOMPARE(codes(model.spotPrice()), blank);
        QCOMPARE(model.selectedZone(), Zone::se1);
        // The load begins only after perform has returned.
        QCOMPARE(model.state(), State::loaded);
        QCOMPARE(provider->calls.size(), std::size_t(1));
        QTRY_COMPARE(codes(model.spotPrice()), (QList<qint64>{B, 1, 4, 0, 0}));
        QCOMPARE(provider->calls.back().zone, Zone::se1);

        // The zone already selected still blanks and loads again.
        model.perform(ViewModelAction::selectZone(Zone::se1));
        QCOMPARE(codes(model.spotPrice()), blank);
        QTRY_COMPARE(codes(model.spotPrice()), (QList<qint64>{B, 1, 4, 0, 0}));
        QCOMPARE(provider->calls.size(), std::size_t(3));
    }

    void windowActions()
    {
        ContentViewModel model(std::make_shared<ScriptedProvider>(hourNumberDays(60)), clock());
        QSignalSpy spy(&model, &ContentViewModel::isAppWinOpenChanged);
        model.perform(ViewModelAction::appWindowClosed());
        QVERIFY(!model.isAppWinOpen());
        model.perform(ViewModelAction::appWindowOpened());
        model.perform(ViewModelAction::appWindowOpened());
        QVERIFY(model.isAppWinOpen());
        // Every assignment notifies, also of an equal value.
        QCOMPARE(spy.size(), 3);
    }

    // SE1 clicked, then SE2 while SE1's answer is on its way: whichever
    // answers last, the panel shows SE2.
    void newestLoadDecides_data()
    {
        QTest::addColumn<int>("older");
        QTest::newRow("older answers last") << int(answersLast);
        QTest::newRow("older answers first") << int(answersFirst);
        QTest::newRow("older fails last") << int(failsLast);
        QTest::newRow("older answers before the newer begins") << int(answersBeforeNewerBegins);
    }
    void newestLoadDecides()
    {
        QFETCH(int, older);
        // SE1 costs 1 krona all day, SE2 2 kronor.
        ContentViewModel *viewModel = nullptr;
        auto provider = std::make_shared<ScriptedProvider>([&, older](const QDateTime &date, Zone zone) {
            if (older == failsLast && zone == Zone::se1)
                throw std::runtime_error("Host not found");
            // SE2 is clicked as SE1's answer comes in: its load waits to begin.
            if (older == answersBeforeNewerBegins && zone == Zone::se1)
                viewModel->perform(ViewModelAction::selectZone(Zone::se2));
            auto day = hourNumberDays(60)(date, zone);
            for (auto &record : *day)
                record.spotPriceSEK = double(int(zone) + 1);
            return day;
        });
        provider->holding = true;
        ContentViewModel model(provider, clock());
        viewModel = &model;
        model.perform(ViewModelAction::selectZone(Zone::se1));
        QTRY_COMPARE(provider->calls.size(), std::size_t(1));
        const QDateTime asked = model.selectedDate();
        m_now = m_now.addSecs(5);

        QSignalSpy states(&model, &ContentViewModel::stateChanged);
        QSignalSpy digits(&model, &ContentViewModel::spotPriceChanged);
        QSignalSpy responses(&model, &ContentViewModel::responseChanged);
        CapturedOutput output;
        if (older == answersBeforeNewerBegins) {
            provider->release(0);
            QTRY_COMPARE(provider->calls.size(), std::size_t(2));
            QCOMPARE(codes(model.spotPrice()), blank);
            QVERIFY(output.lines().isEmpty());
        } else {
            model.perform(ViewModelAction::selectZone(Zone::se2));
            QTRY_COMPARE(provider->calls.size(), std::size_t(2));
        }
        QCOMPARE(provider->calls[1].zone, Zone::se2);

        // The stale answer changes nothing and says nothing.
        auto releaseOlder = [&] {
            const auto signals = states.size() + digits.size() + responses.size();
            const auto lines = output.lines().size();
            provider->release(0);
            settle();
            QCOMPARE(states.size() + digits.size() + responses.size(), signals);
            QCOMPARE(output.lines().size(), lines);
        };
        if (older == answersFirst) {
            releaseOlder();
            QCOMPARE(model.state(), State::loading);
            QCOMPARE(model.selectedDate(), asked);
        }
        provider->release(1);
        QTRY_COMPARE(model.state(), State::loaded);
        if (older == answersLast || older == failsLast)
            releaseOlder();
        QCOMPARE(codes(model.spotPrice()), (QList<qint64>{B, B, 2, 0, 0}));
        QCOMPARE(model.priceLabel(14), QStringLiteral("200 öre / kwh"));
        QCOMPARE(model.selectedZone(), Zone::se2);
        QCOMPARE(model.state(), State::loaded);
        QCOMPARE(model.selectedDate(), m_now);
    }

    void levelsAndLabels()
    {
        ContentViewModel model(std::make_shared<ScriptedProvider>(edited(60, [](auto &day) {
                                   day[3].spotPriceSEK = 1.25;
                                   day[5].spotPriceSEK.reset();
                                   day[7].spotPriceSEK = -0.5;
                                   day[9].spotPriceSEK = std::numeric_limits<double>::quiet_NaN();
                               })),
                               clock());
        SpotPriceModel priced;
        priced.spotPriceSEK = 2.0;
        QCOMPARE(model.relativePrice(priced), 0.0); // nothing loaded

        load(model);
        QCOMPARE(model.relativePrice(*model.priceRecord(7)), 0.0);  // cheapest
        QCOMPARE(model.relativePrice(*model.priceRecord(23)), 1.0); // dearest
        QCOMPARE(model.relativePrice(*model.priceRecord(5)), 0.0);  // no price
        QCOMPARE(model.relativePrice(*model.priceRecord(8)), 8.5 / 23.5);
        QCOMPARE(model.priceLabel(3), QStringLiteral("125 öre / kwh"));
        QCOMPARE(model.priceLabel(7), QStringLiteral("-50 öre / kwh"));
        QCOMPARE(model.priceLabel(5), QString());
        QCOMPARE(model.priceLabel(9), QString());
        QVERIFY(model.priceRecord(24) == std::nullopt);
    }

    void equalPricesHaveNoLevel()
    {
        ContentViewModel model(std::make_shared<ScriptedProvider>(edited(15, [](auto &day) {
                                   for (auto &record : day)
                                       record.spotPriceSEK = 0.8;
                               })),
                               clock());
        load(model);
        QVERIFY(std::isnan(model.relativePrice(*model.priceRecord(10))));
    }

    void dateText_data()
    {
        QTest::addColumn<QDateTime>("selected");
        QTest::addColumn<QString>("text");
        QTest::newRow("minutes never show") << local(2025, 10, 25, 14, 59) << "lördag 25 okt. 2025, 14:00";
        QTest::newRow("midnight") << local(2026, 1, 1, 0, 5) << "torsdag 1 jan. 2026, 00:00";
        QTest::newRow("full month names") << local(2025, 6, 9, 9, 0) << "måndag 9 juni 2025, 09:00";
    }
    void dateText()
    {
        QFETCH(QDateTime, selected);
        QFETCH(QString, text);
        m_now = selected;
        ContentViewModel model(std::make_shared<ScriptedProvider>(hourNumberDays(60)), clock());
        QCOMPARE(model.dateText(), text);
    }

    // The minute tick's hour check: a new hour of the same day is shown from
    // the records held, without loading again.
    void hourCheck_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<qint64>>("digits");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("daylightSaving");
        const Answer quarters = hourNumberDays(15);
        QTest::newRow("same hour") << quarters << local(2025, 11, 12, 13, 40) << local(2025, 11, 12, 13, 41)
                                   << QStringList{"🏖️🏖️ Date.now.hour 13 13 false"} << QList<qint64>{B, 1, 3, 1, 5}
                                   << "1315 öre / kwh" << false;
        QTest::newRow("next hour") << quarters << local(2025, 11, 12, 13, 40) << local(2025, 11, 12, 14, 0, 30)
                                   << QStringList{"🏖️🏖️ Date.now.hour 14 13 false", "🏖️ 14 13 1"}
                                   << QList<qint64>{B, 1, 4, 1, 5} << "1415 öre / kwh" << false;
        // No stale price under the new hour's date line.
        QTest::newRow("next hour without a record goes dark")
            << edited(60, [](auto &day) { day.resize(14); }) << local(2025, 11, 12, 13, 40)
            << local(2025, 11, 12, 14, 1) << QStringList{"🏖️🏖️ Date.now.hour 14 13 false", "🏖️ 14 13 1"} << blank
            << "" << false;
        // Spring: 02:00 never happens; 01:59 is followed by 03:00.
        QTest::newRow("spring") << quarters << local(2025, 3, 30, 1, 59) << local(2025, 3, 30, 3, 0, 20)
                                << QStringList{"🏖️🏖️ Date.now.hour 3 1 false", "🏖️ 3 1 2"}
                                << QList<qint64>{B, B, 3, 1, 5} << "315 öre / kwh" << true;
        // Autumn: 02:59 summer time is followed by 02:00 winter time. Each
        // hour costs as many kronor as hours have passed since midnight: the
        // first 02 hour 2, the second 3, then 03 4.
        const Answer elapsed = [](const QDateTime &date, Zone) {
            return std::optional(decodeServiceDay(
                serviceDay(date.toLocalTime().date(), 15, [](int index, const QDateTime &) { return index / 4; })));
        };
        auto utc = [](int h, int m, int s = 0) {
            return QDateTime(QDate(2025, 10, 26), QTime(h, m, s), Qt::UTC).toLocalTime();
        };
        QTest::newRow("autumn, into the second 02 hour")
            << elapsed << utc(0, 59) << utc(1, 0, 20) << QStringList{"🏖️🏖️ Date.now.hour 2 2 false", "🏖️ 2 2 0"}
            << QList<qint64>{B, B, 3, 0, 0} << "300 öre / kwh" << true;
        QTest::newRow("autumn, start in the second 02 hour")
            << elapsed << utc(1, 30) << utc(1, 31) << QStringList{"🏖️🏖️ Date.now.hour 2 2 false"}
            << QList<qint64>{B, B, 3, 0, 0} << "300 öre / kwh" << true;
        QTest::newRow("autumn, then 03")
            << elapsed << utc(1, 59) << utc(2, 0, 20) << QStringList{"🏖️🏖️ Date.now.hour 3 2 false", "🏖️ 3 2 1"}
            << QList<qint64>{B, B, 4, 0, 0} << "400 öre / kwh" << true;
    }
    void hourCheck()
    {
        QFETCH(Answer, answer);
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(QStringList, lines);
        QFETCH(QList<qint64>, digits);
        QFETCH(QString, label);
        QFETCH(bool, daylightSaving);
        if (daylightSaving && !inStockholm())
            QSKIP("needs TZ=Europe/Stockholm");

        auto provider = std::make_shared<ScriptedProvider>(answer);
        m_now = before;
        ContentViewModel model(provider, clock());
        CapturedOutput output;
        load(model);
        QCOMPARE(model.state(), State::loaded);

        m_now = after;
        model.tick();
        settle();
        QStringList printed = output.lines();
        printed.removeIf([](const QString &line) { return line.startsWith(u"🍀 Data"); });
        QCOMPARE(printed, lines);
        QCOMPARE(codes(model.spotPrice()), digits);
        // The chart's column and tooltip of the hour show the same entry.
        QCOMPARE(model.priceLabel(after.time().hour()), label);
        QCOMPARE(model.selectedDate(), lines.size() > 1 ? after : before);
        QCOMPARE(model.state(), State::loaded);
        QCOMPARE(provider->calls.size(), std::size_t(1));
    }

    // Asked at 23:59:55, answered at 00:00:05: yesterday's prices stay
    // under yesterday's date, and the next tick loads the new day.
    void loadThatCrossesMidnight()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(15));
        provider->holding = true;
        m_now = local(2025, 12, 31, 23, 59, 55);
        ContentViewModel model(provider, clock());
        model.perform(ViewModelAction::reload());
        QTRY_COMPARE(provider->calls.size(), std::size_t(1));
        m_now = local(2026, 1, 1, 0, 0, 5);
        provider->release(0);
        QTRY_COMPARE(model.state(), State::loaded);
        QCOMPARE(model.selectedDate(), local(2025, 12, 31, 23, 59, 55));
        QCOMPARE(codes(model.spotPrice()), (QList<qint64>{B, 2, 3, 1, 5}));
        QCOMPARE(model.dateText(), QStringLiteral("onsdag 31 dec. 2025, 23:00"));

        provider->holding = false;
        CapturedOutput output;
        model.tick();
        QCOMPARE(codes(model.spotPrice()), blank); // no old price under the new date line
        QCOMPARE(output.lines(), (QStringList{QStringLiteral("🏗️ Updating spot prices"),
                                              QStringLiteral("🏖️🏖️ Date.now.hour 0 0 false")}));
        // The load begins after the tick's own lines.
        QCOMPARE(provider->calls.size(), std::size_t(1));
        QTRY_COMPARE(codes(model.spotPrice()), (QList<qint64>{B, B, B, 1, 5}));
        QCOMPARE(provider->calls[1].date.date(), QDate(2026, 1, 1));
        QCOMPARE(model.dateText(), QStringLiteral("torsdag 1 jan. 2026, 00:00"));
    }

    void failedLoadsAreRetriedWithPauses()
    {
        auto provider = std::make_shared<ScriptedProvider>(failing("Host not found"));
        ContentViewModel model(provider, clock());
        CapturedOutput output;
        load(model);
        QCOMPARE(model.state(), State::error);

        // The first tick after the failure, then 2, 4 and 8 minutes later,
        // then every 15 minutes.
        QList<int> retries;
        for (int minute = 1; minute <= 60; ++minute) {
            const auto before = provider->calls.size();
            m_now = m_now.addSecs(1); // same hour: no other timer work
            model.tick();
            settle();
            if (provider->calls.size() > before)
                retries.append(minute);
        }
        QCOMPARE(retries, (QList<int>{1, 3, 7, 15, 30, 45, 60}));

        provider->answer = hourNumberDays(60);
        for (int minute = 61; model.state() == State::error && minute < 90; ++minute) {
            model.tick();
            settle();
        }
        QCOMPARE(model.state(), State::loaded);
        // A success ends the retries.
        const auto calls = provider->calls.size();
        for (int minute = 0; minute < 20; ++minute)
            model.tick();
        settle();
        QCOMPARE(provider->calls.size(), calls);
    }

    void noRetryWhileALoadRuns()
    {
        auto provider = std::make_shared<ScriptedProvider>(failing("Host not found"));
        ContentViewModel model(provider, clock());
        load(model);
        provider->holding = true;
        model.perform(ViewModelAction::reload());
        model.tick(); // the reload has not begun yet
        QCOMPARE(model.state(), State::error);
        QTRY_COMPARE(model.state(), State::loading);
        model.tick();
        settle();
        QCOMPARE(provider->calls.size(), std::size_t(2));
    }

    void viewModelMayGoWhileLoading()
    {
        auto provider = std::make_shared<ScriptedProvider>(hourNumberDays(60));
        provider->holding = true;
        auto *model = new ContentViewModel(provider, clock());
        model->perform(ViewModelAction::reload());
        QTRY_COMPARE(provider->calls.size(), std::size_t(1));
        delete model;
        provider->release(0);
        settle();
    }
};

QTEST_GUILESS_MAIN(ContentViewModelTest)
#include "content_view_model_test.moc"
