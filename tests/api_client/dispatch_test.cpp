#include "api_client/api_client.h"
#include "tests/support/captured_output.h"
#include "tests/support/run_task.h"
#include "tests/support/test_server.h"

#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(tarimo::test_support::Answer)

using namespace tarimo::api_client;
using namespace tarimo::test_support;
using Request = Client::Request;
using KeyValues = QuerystringState::KeyValues;

namespace {

struct Item
{
    QString itemName;
    double price = 0;

    static constexpr auto codingFields = std::tuple{
        JsonField{"itemName", &Item::itemName},
        JsonField{"price", &Item::price},
    };
};
using Items = std::vector<Item>;

// The "Client: 💬 " prefix of every line the client writes.
const QByteArray info = QByteArray("Client: \xF0\x9F\x92\xAC ");
const QByteArray checkMark = QByteArray("\xE2\x9C\x85");
const QByteArray tokenLine = info + QByteArray("\xF0\x9F\x94\x91 Received new token\n");

// Records the order in which the client calls it.
class ScriptedCredentials final : public CredentialsProvider
{
public:
    QStringList calls;
    std::optional<Client::Credentials> current;
    std::optional<Client::Credentials> refreshed;
    bool keepsStored = true;

    QCoro::Task<std::optional<Client::Credentials>> credentials() override
    {
        calls.append(QStringLiteral("credentials"));
        // QCoro 0.8 moves from a named value given to co_return: return a copy.
        co_return std::optional<Client::Credentials>(current);
    }
    QCoro::Task<> storeCredentials(Client::Credentials credentials) override
    {
        calls.append(QStringLiteral("store ") + credentials.accessToken);
        if (keepsStored)
            current = credentials;
        co_return;
    }
    QCoro::Task<std::optional<Client::Credentials>> refreshCredentials() override
    {
        calls.append(QStringLiteral("refresh"));
        co_return std::optional<Client::Credentials>(refreshed);
    }
};

// For what no Qt transport can deliver: a body with a 304, or a response
// that is not HTTP at all.
class ScriptedTransport final : public URLSessionProvider
{
public:
    TransferResult result;
    int sent = 0;
    QCoro::Task<TransferResult> data(URLRequest) override
    {
        ++sent;
        co_return TransferResult(result);
    }
};

Client::Credentials token(const QString &accessToken)
{
    return Client::Credentials{accessToken, QStringLiteral("bearer"), 3600, std::nullopt, std::nullopt};
}

Client::Configuration configuration(const QUrl &baseURL, std::shared_ptr<URLSessionProvider> transport,
                                    std::shared_ptr<CredentialsProvider> provider = {})
{
    return Client::Configuration{baseURL,
                                 std::move(provider),
                                 std::move(transport),
                                 KeyDecodingStrategy::convertFromSnakeCase,
                                 DateDecodingStrategy::iso8601,
                                 NonConformingFloatStrategy::convertingToString(QStringLiteral("+Infinity"),
                                                                                QStringLiteral("-Infinity"),
                                                                                QStringLiteral("NaN")),
                                 std::nullopt};
}

template<class Model>
QCoro::Task<Client::Response<Model>> getAndDispatch(Client client, QString path,
                                                    std::optional<KeyValues> parameters = std::nullopt)
{
    const Request request = co_await client.makeGetRequest(path, parameters);
    co_return co_await request.dispatch<Model>();
}

} // namespace

class DispatchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The whole road: build, send over HTTPS, check, decode, log.
    void endToEndOverHttps()
    {
        auto server = TestServer::https();
        server->serveJson(QStringLiteral("/api/v1/items"),
                          R"([{"item_name":"kWh","price":1.25},{"item_name":"öre","price":-0.5}])");
        const Client client(configuration(server->url(QStringLiteral("/api/v1/")), server->makeTransport()));

        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch<Items>(client, QStringLiteral("items"), KeyValues{{"page", {"2"}}}));
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        const auto &response = outcome.value();
        QCOMPARE(response.status, HttpStatusCode::ok);
        QVERIFY(response.model);
        QCOMPARE(response.model->size(), std::size_t(2));
        QCOMPARE(response.model->at(1).itemName, QStringLiteral("\u00F6re"));
        QCOMPARE(response.model->at(1).price, -0.5);

        const RecordedRequest received = server->lastRequest();
        QCOMPARE(received.method, QByteArray("GET"));
        QCOMPARE(received.target, QByteArray("/api/v1/items?page=2"));
        QCOMPARE(received.header("Accept"), QByteArray("application/json"));
        QCOMPARE(received.header("Authorization"), std::nullopt);

        QCOMPARE(output.bytes(), info + "[GET] /api/v1/items page=2 \n" + info + checkMark + " [200] /api/v1/items \n");
    }

    void postsFormBodyOverHttps()
    {
        auto server = TestServer::https();
        // An empty response takes any JSON.
        server->enqueue(Answer::json("[1,{\"a\":null}]", 201));
        const Client client(configuration(server->baseUrl(), server->makeTransport()));
        Json person = Json::object();
        person["first_name"] = "a b-c";
        person["ids"] = Json::array({1, 2});
        auto post = [&]() -> QCoro::Task<Client::Response<Client::EmptyResponse>> {
            const Request request = co_await client.makePostRequest(QStringLiteral("/people"), person, ContentType::form);
            co_return co_await request.dispatch<Client::EmptyResponse>();
        };
        CapturedOutput output;
        const auto outcome = runTask(post());
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        QCOMPARE(outcome.value().status, HttpStatusCode::created);
        QVERIFY(outcome.value().model);
        QCOMPARE(server->lastRequest().method, QByteArray("POST"));
        QCOMPARE(server->lastRequest().body, QByteArray("first_name=a%20b%2Dc&ids=1&ids=2"));
        QCOMPARE(server->lastRequest().header("Content-Type"),
                 QByteArray("application/x-www-form-urlencoded; charset=utf-8"));
    }

    void statuses_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("hasModel");
        // Empty bodies are never decoded, even for a type they could not be.
        QTest::newRow("204, empty") << Answer::make(204) << 204 << true << false;
        QTest::newRow("200, empty") << Answer::make(200) << 200 << true << false;
        QTest::newRow("304 over the wire") << Answer::make(304) << 304 << true << false;
        QTest::newRow("200 with records") << Answer::json(R"([{"item_name":"a","price":1}])") << 200 << true << true;
        QTest::newRow("299 is not in the table") << Answer::json("[]", 299) << 0 << false << false;
        QTest::newRow("404") << Answer::json(R"({"error":"no file"})", 404) << 404 << false << false;
        QTest::newRow("500") << Answer::text("oops", 500) << 500 << false << false;
        QTest::newRow("599 is not in the table") << Answer::text("x", 599) << 0 << false << false;
    }
    void statuses()
    {
        QFETCH(Answer, answer);
        QFETCH(int, status);
        QFETCH(bool, accepted);
        QFETCH(bool, hasModel);
        auto server = TestServer::https();
        server->enqueue(answer);
        // Only 401 and 403 make the client refresh.
        auto provider = std::make_shared<ScriptedCredentials>();
        provider->refreshed = token(QStringLiteral("new"));
        const Client client(configuration(server->baseUrl(), server->makeTransport(), provider));

        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch<Items>(client, QStringLiteral("/items")));
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(provider->calls, QStringList{"credentials"});
        if (accepted) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(rawValue(outcome.value().status), status);
            QCOMPARE(outcome.value().model.has_value(), hasModel);
            QVERIFY(output.bytes().endsWith(info + checkMark + " [" + QByteArray::number(status) + "] /items \n"));
        } else {
            const auto error = outcome.error<Client::ErrorResponse>();
            QVERIFY2(error, qPrintable(outcome.errorText()));
            QCOMPARE(rawValue(error->status()), status);
            QCOMPARE(error->message(), QStringLiteral("Service responded with error"));
            QCOMPARE(error->data(), answer.body);
            // Failures are thrown, not logged: only the request line.
            QCOMPARE(output.bytes(), info + "[GET] /items  \n");
        }
    }

    void errorTextNamesMessageAndStatus()
    {
        const Client::ErrorResponse error(QStringLiteral("Service responded with error"), HttpStatusCode::notFound);
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Service responded with error (404 notFound)"));
        QCOMPARE(LogItem(error).text(), QStringLiteral("Service responded with error (404 notFound)"));
        const Client::ErrorResponse bare(std::nullopt, HttpStatusCode::continue_);
        QCOMPARE(QString::fromUtf8(bare.what()), QStringLiteral("Error (100 continue)"));
    }

    void errorResponseJson()
    {
        const Client::ErrorResponse error(QStringLiteral("m"), HttpStatusCode::forbidden, QByteArray("\x01\xFF", 2));
        const QByteArray json = JsonEncoder().encode(error);
        QCOMPARE(json, QByteArray(R"({"message":"m","status":403,"data":"Af8="})"));
        QCOMPARE(JsonDecoder().decode<Client::ErrorResponse>(json), error);

        const auto minimal = JsonDecoder().decode<Client::ErrorResponse>(QByteArray(R"({"status":204})"));
        QCOMPARE(minimal.status(), HttpStatusCode::noContent);
        QCOMPARE(minimal.message(), std::nullopt);
        QCOMPARE(minimal.data(), std::nullopt);
        QCOMPARE(JsonEncoder().encode(minimal), QByteArray(R"({"status":204})"));

        for (const char *bad : {R"({"status":999})", R"({"status":"404"})", R"({"message":"m"})"}) {
            try {
                JsonDecoder().decode<Client::ErrorResponse>(QByteArray(bad));
                QFAIL(bad);
            } catch (const DecodingError &) {
            }
        }
    }

    // What no Qt transport delivers: a 304 with a body, and a response that
    // is not HTTP at all (code 0).
    void answersOnlyOtherTransportsGive_data()
    {
        QTest::addColumn<int>("status"); // -1: not an HTTP response
        QTest::addColumn<bool>("accepted");
        QTest::newRow("304 with body") << 304 << true;
        QTest::newRow("not HTTP") << -1 << false;
    }
    void answersOnlyOtherTransportsGive()
    {
        QFETCH(int, status);
        QFETCH(bool, accepted);
        auto transport = std::make_shared<ScriptedTransport>();
        transport->result.data = R"([{"item_name":"cached","price":2}])";
        if (status >= 0)
            transport->result.response.statusCode = status;
        const Client client(configuration(QUrl(QStringLiteral("https://h.example")), transport));
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch<Items>(client, QStringLiteral("/x")));
        if (accepted) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(outcome.value().status, HttpStatusCode::notModified);
            QCOMPARE(outcome.value().model->at(0).itemName, QStringLiteral("cached"));
        } else {
            const auto error = outcome.error<Client::ErrorResponse>();
            QVERIFY2(error, qPrintable(outcome.errorText()));
            QCOMPARE(error->status(), HttpStatusCode::unknown);
            QCOMPARE(error->data(), transport->result.data);
        }
    }

    // The refresh after a refused token, in the provider's call order; the
    // answer to the second send is final whatever it is.
    void refreshAfterRefusedToken_data()
    {
        QTest::addColumn<int>("firstStatus");
        QTest::addColumn<bool>("withProvider");
        QTest::addColumn<QString>("initial"); // empty: the provider has none
        QTest::addColumn<QString>("refreshed"); // empty: the refresh gives none
        QTest::addColumn<bool>("keepsStored");
        QTest::addColumn<int>("secondStatus");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QByteArrayList>("authorizations"); // per request; "-" for none
        const QStringList refreshCalls{"credentials", "refresh", "store new", "credentials"};
        QTest::newRow("401 without provider") << 401 << false << "" << "new" << true << 0 << QStringList()
                                              << QByteArrayList{"-"};
        QTest::newRow("401 refreshed") << 401 << true << "old" << "new" << true << 200 << refreshCalls
                                       << QByteArrayList{"Bearer old", "Bearer new"};
        QTest::newRow("403 refreshed") << 403 << true << "old" << "new" << true << 200 << refreshCalls
                                       << QByteArrayList{"Bearer old", "Bearer new"};
        QTest::newRow("refused again") << 401 << true << "old" << "new" << true << 401 << refreshCalls
                                       << QByteArrayList{"Bearer old", "Bearer new"};
        QTest::newRow("refresh gives none") << 403 << true << "old" << "" << true << 0
                                            << QStringList{"credentials", "refresh"} << QByteArrayList{"Bearer old"};
        QTest::newRow("credentials stay none") << 401 << true << "" << "new" << false << 204 << refreshCalls
                                               << QByteArrayList{"-", "-"};
    }
    void refreshAfterRefusedToken()
    {
        QFETCH(int, firstStatus);
        QFETCH(bool, withProvider);
        QFETCH(QString, initial);
        QFETCH(QString, refreshed);
        QFETCH(bool, keepsStored);
        QFETCH(int, secondStatus);
        QFETCH(QStringList, calls);
        QFETCH(QByteArrayList, authorizations);
        auto server = TestServer::https();
        server->enqueue(Answer::json(R"({"first":true})", firstStatus));
        server->enqueue(Answer::json(R"([{"item_name":"a","price":1}])", secondStatus));
        auto provider = std::make_shared<ScriptedCredentials>();
        if (!initial.isEmpty())
            provider->current = token(initial);
        if (!refreshed.isEmpty())
            provider->refreshed = token(refreshed);
        provider->keepsStored = keepsStored;
        const Client client(configuration(server->baseUrl(), server->makeTransport(),
                                          withProvider ? provider : nullptr));

        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch<Items>(client, QStringLiteral("/me")));
        QCOMPARE(provider->calls, calls);
        QCOMPARE(server->requestCount(), authorizations.size());
        for (qsizetype i = 0; i < authorizations.size(); ++i)
            QCOMPARE(server->requests().at(i).header("Authorization").value_or("-"), authorizations.at(i));

        const bool retried = authorizations.size() == 2;
        QCOMPARE(output.bytes().contains(tokenLine), retried);
        const int finalStatus = retried ? secondStatus : firstStatus;
        if (finalStatus < 400) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(rawValue(outcome.value().status), finalStatus);
            QCOMPARE(output.bytes(), info + "[GET] /me  " + QByteArray(authorizations.first()).replace("-", "") + "\n" + tokenLine
                                         + info + checkMark + " [" + QByteArray::number(finalStatus) + "] /me \n");
        } else {
            const auto error = outcome.error<Client::ErrorResponse>();
            QVERIFY2(error, qPrintable(outcome.errorText()));
            QCOMPARE(rawValue(error->status()), finalStatus);
            QCOMPARE(error->data(), retried ? QByteArray(R"([{"item_name":"a","price":1}])")
                                            : QByteArray(R"({"first":true})"));
        }
    }

    void nonFiniteTextsOnlyWithStrategy()
    {
        auto server = TestServer::http();
        server->serveJson(QStringLiteral("/x"), R"([{"item_name":"a","price":"NaN"}])");
        Client::Configuration config = configuration(server->baseUrl(), server->makeTransport());
        CapturedOutput output;
        const auto with = runTask(getAndDispatch<Items>(Client(config), QStringLiteral("/x")));
        QVERIFY2(with.succeeded(), qPrintable(with.errorText()));
        QVERIFY(std::isnan(with.value().model->at(0).price));

        config.nonConformingFloatStrategy = NonConformingFloatStrategy::throwing();
        const auto without = runTask(getAndDispatch<Items>(Client(config), QStringLiteral("/x")));
        QVERIFY2(without.error<DecodingError>(), qPrintable(without.errorText()));
    }

    void pathWithoutURLNeedsNoServer()
    {
        auto server = TestServer::http();
        const Client client(configuration(server->baseUrl(), server->makeTransport()));
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch<Items>(client, QStringLiteral("no url here")));
        const auto error = outcome.error<Client::ErrorResponse>();
        QVERIFY2(error, qPrintable(outcome.errorText()));
        QCOMPARE(error->message(), QStringLiteral("Configuration is not provided"));
        QCOMPARE(error->status(), HttpStatusCode::unknown);
        QCOMPARE(output.bytes(), info + "invalid\n");
        QCOMPARE(server->connectionCount(), 0);
    }

    void sendAndPerformTransfer()
    {
        auto server = TestServer::http();
        server->serveJson(QStringLiteral("/x"), R"([{"item_name":"a","price":1}])");
        auto transport = server->makeTransport();

        CapturedOutput output;
        const Request unconfigured = Request(server->url(QStringLiteral("/x"))).withMethod(HttpMethod::get);
        const auto missing = runTask(unconfigured.send<Items>());
        QCOMPARE(missing.error<Client::ErrorResponse>()->message(), QStringLiteral("Configuration is not provided"));

        // Without configuration the decoder reads snake_case keys.
        const auto direct = runTask(unconfigured.performTransfer<Items>(transport));
        QVERIFY2(direct.succeeded(), qPrintable(direct.errorText()));
        QCOMPARE(direct.value().model->at(0).itemName, QStringLiteral("a"));

        const auto noURL = runTask(Request(std::nullopt).performTransfer<Items>(transport));
        const auto error = noURL.error<Client::ErrorResponse>();
        QVERIFY2(error, qPrintable(noURL.errorText()));
        QCOMPARE(error->message(), QStringLiteral("Invalid URL"));
        QCOMPARE(error->status(), HttpStatusCode::badRequest);

        const auto sent = runTask(unconfigured.withConfiguration(configuration(server->baseUrl(), transport))
                                      .send<Items>());
        QVERIFY2(sent.succeeded(), qPrintable(sent.errorText()));
        // Neither send nor performTransfer logs.
        QCOMPARE(output.bytes(), QByteArray());
        QCOMPARE(server->requestCount(), 2);
    }

    void logResponseLine()
    {
        CapturedOutput output;
        Request::logResponse(QUrl(QStringLiteral("https://h.example/data/items?a=1")), HttpStatusCode::ok);
        Request::logResponse(std::nullopt, HttpStatusCode::noContent);
        QCOMPARE(output.bytes(), info + checkMark + " [200] /data/items \n" + info + checkMark + " [204] \n");
    }

    // A token carrying a line break would add headers of its own; the
    // request fails before anything reaches the server.
    void tokenCannotInjectHeaders()
    {
        auto server = TestServer::https();
        auto provider = std::make_shared<ScriptedCredentials>();
        provider->current = token(QStringLiteral("abc\r\nX-Admin: yes"));
        const Client client(configuration(server->baseUrl(), server->makeTransport(), provider));
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch<Items>(client, QStringLiteral("/me")));
        const auto error = outcome.error<TransportError>();
        QVERIFY2(error, qPrintable(outcome.errorText()));
        QVERIFY2(error->text().contains(QLatin1String("Authorization")), qPrintable(error->text()));
        QTest::qWait(100);
        QCOMPARE(server->connectionCount(), 0);
    }

    void configuredTimeoutReachesTransport()
    {
        auto server = TestServer::http();
        server->enqueue(Answer::json("[]").withDelay(std::chrono::seconds(5)));
        Client::Configuration config = configuration(server->baseUrl(), server->makeTransport());
        config.timeout = 0.2;
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch<Items>(Client(config), QStringLiteral("/slow")));
        const auto error = outcome.error<TransportError>();
        QVERIFY2(error, qPrintable(outcome.errorText()));
        QCOMPARE(error->code(), QNetworkReply::TimeoutError);
    }

    // The task holds its own copy: the request it came from may be gone.
    void dispatchOutlivesItsRequest()
    {
        auto server = TestServer::http();
        server->enqueue(Answer::json("[]").withDelay(std::chrono::milliseconds(50)));
        const Client client(configuration(server->baseUrl(), server->makeTransport()));
        CapturedOutput output;
        QCoro::Task<Client::Response<Items>> task = [&] {
            const Request request = runTask(client.makeGetRequest(QStringLiteral("/x"), std::nullopt)).value();
            return request.dispatch<Items>();
        }();
        const auto outcome = runTask(std::move(task));
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        QCOMPARE(outcome.value().model->size(), std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(DispatchTest)
#include "dispatch_test.moc"
