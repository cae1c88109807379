#include "price/content_view_model.h"
#include "price/request.h"

#include "api_client/url_session.h"
#include "tests/support/captured_output.h"
#include "tests/support/price_day.h"
#include "tests/support/run_task.h"
#include "tests/support/test_server.h"

#include <QTest>

using namespace tarimo;
using price::ContentViewModel;
using price::Request;
using price::Zone;
using test_support::Answer;
using test_support::CapturedOutput;
using test_support::runTask;
using test_support::TestServer;
using State = ContentViewModel::State;

namespace {

const QString dayPath = QStringLiteral("/api/v1/prices/2025/11-12_SE3.json");

} // namespace

class LiveRequestTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> m_server;

    std::shared_ptr<Request> request() const
    {
        return std::make_shared<Request>(m_server->baseUrl(), m_server->makeTransport());
    }

private Q_SLOTS:
    void init() { m_server = TestServer::https(); }
    void cleanup() { m_server.reset(); }

    void pathOfTheLocalDay_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain day") << QDateTime(QDate(2024, 1, 5), QTime(12, 0)) << int(Zone::se3)
                                   << "/api/v1/prices/2024/01-05_SE3.json";
        QTest::newRow("last day of a year") << QDateTime(QDate(2024, 12, 31), QTime(12, 0)) << int(Zone::se1)
                                            << "/api/v1/prices/2024/12-31_SE1.json";
        QTest::newRow("first day of a year") << QDateTime(QDate(2025, 1, 1), QTime(12, 0)) << int(Zone::se4)
                                             << "/api/v1/prices/2025/01-01_SE4.json";
        QTest::newRow("00:30 is already the new day") << QDateTime(QDate(2025, 1, 1), QTime(0, 30)) << int(Zone::se2)
                                                       << "/api/v1/prices/2025/01-01_SE2.json";
        QTest::newRow("23:59 is still today") << QDateTime(QDate(2024, 12, 31), QTime(23, 59)) << int(Zone::se2)
                                              << "/api/v1/prices/2024/12-31_SE2.json";
    }
    void pathOfTheLocalDay()
    {
        QFETCH(QDateTime, date);
        QFETCH(int, zone);
        QFETCH(QString, path);
        QCOMPARE(Request::path(date, Zone(zone)), path);
        // The same instant in UTC names the same local day.
        QCOMPARE(Request::path(date.toUTC(), Zone(zone)), path);
    }

    void serviceConfiguration()
    {
        const auto configuration = Request().configuration();
        QCOMPARE(configuration.baseURL, QUrl(QStringLiteral("https://www.elprisetjustnu.se")));
        QVERIFY(!configuration.credentialsProvider);
        QCOMPARE(configuration.urlSession, std::shared_ptr<api_client::URLSessionProvider>(api_client::URLSession::shared()));
        QCOMPARE(configuration.keydecodingStrategy, api_client::KeyDecodingStrategy::useDefaultKeys);
        QCOMPARE(configuration.dateDecodingStrategy, api_client::DateDecodingStrategy::iso8601);
        QVERIFY(configuration.nonConformingFloatStrategy
                == api_client::NonConformingFloatStrategy::convertingToString(
                    QStringLiteral("+Infinity"), QStringLiteral("-Infinity"), QStringLiteral("NaN")));
        QVERIFY(!configuration.timeout);
    }

    // The view model over the live request and a loopback service.
    void viewModelEndToEnd()
    {
        m_server->serveJson(dayPath, test_support::serviceDay(QDate(2025, 11, 12), 15, test_support::hourNumberPrice));
        const QDateTime now(QDate(2025, 11, 12), QTime(14, 20));
        ContentViewModel model(request(), [now] { return now; });
        QList<State> states;
        connect(&model, &ContentViewModel::stateChanged, this, [&] { states.append(model.state()); });

        CapturedOutput output;
        QVERIFY(runTask(model.loadPrices()).succeeded());
        QCOMPARE(states, (QList<State>{State::loading, State::loaded}));
        const auto &digits = model.spotPrice();
        QCOMPARE((QList<qint64>{digits.digitOne, digits.digitTwo, digits.digitThree, digits.digitFour, digits.digitFive}),
                 (QList<qint64>{12, 1, 4, 1, 5}));
        const QStringList lines = output.lines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.mid(0, 3), (QStringList{
                                      QStringLiteral("🍀 se3"),
                                      QStringLiteral("Client: 💬 [GET] %1  ").arg(dayPath),
                                      QStringLiteral("Client: 💬 ✅ [200] %1 ").arg(dayPath),
                                  }));
        QVERIFY(lines[3].startsWith(QStringLiteral("🍀 Data SpotPriceModel(id: ")));
        QVERIFY(lines[3].contains(QStringLiteral("timeStart: 2025-11-12T14:00:00")));

        const auto sent = m_server->lastRequest();
        QCOMPARE(sent.method, QByteArray("GET"));
        QCOMPARE(sent.header("Accept"), std::optional<QByteArray>("application/json"));
        QVERIFY(!sent.header("Authorization"));
        QCOMPARE(m_server->requestCount(), 1);
    }

    // A failed load after a good one says why; the digits stay as they were.
    void viewModelShowsWhyALoadFailed_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("responseKept");
        const QString noHour = "❌ Failed with error current hour was not provided in the reponse (404)";
        QTest::newRow("404") << Answer::json("{}", 404) << "❌ Failed with error Service responded with error (404 notFound)"
                             << false;
        QTest::newRow("empty body") << Answer::json({}) << "❌ Failed with error Model were not provided (404)" << false;
        QTest::newRow("undecodable")
            << Answer::json("[1]") << "❌ Failed with error Cannot decode [0]: expected an object but found a number (1)"
            << false;
        QTest::newRow("no record of the hour") << Answer::json("[]") << noHour << true;
        QTest::newRow("records without start") << Answer::json(R"([{"SEK_per_kWh":1.0}])") << noHour << true;
    }
    void viewModelShowsWhyALoadFailed()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, line);
        QFETCH(bool, responseKept);
        m_server->serveJson(dayPath, test_support::serviceDay(QDate(2025, 11, 12), 60, test_support::hourNumberPrice));
        const QDateTime now(QDate(2025, 11, 12), QTime(14, 20));
        ContentViewModel model(request(), [now] { return now; });
        CapturedOutput output;
        QVERIFY(runTask(model.loadPrices()).succeeded());
        const auto shown = model.spotPrice();

        m_server->serve(dayPath, answer);
        QList<State> states;
        connect(&model, &ContentViewModel::stateChanged, this, [&] { states.append(model.state()); });
        QVERIFY(runTask(model.loadPrices()).succeeded());
        QCOMPARE(model.state(), State::error);
        QCOMPARE(states.first(), State::loading);
        QCOMPARE(states.contains(State::loaded), responseKept);
        QCOMPARE(bool(model.response()), responseKept);
        QCOMPARE(output.lines().last(), line);
        QVERIFY(model.spotPrice() == shown);
    }
};

QTEST_GUILESS_MAIN(LiveRequestTest)
#include "live_request_test.moc"
