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

struct Person
{
    QString firstName;
    std::vector<int> ids;
    std::optional<double> height;

    static constexpr auto codingFields = std::tuple{
        JsonField{"firstName", &Person::firstName},
        JsonField{"ids", &Person::ids},
        JsonField{"height", &Person::height},
    };
};
using People = std::vector<Person>;

// The "Client: 💬 " prefix of the client's lines, and its check mark.
const QByteArray info = QByteArray("Client: \xF0\x9F\x92\xAC ");
const QByteArray checkMark = QByteArray("\xE2\x9C\x85");

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

Client::Credentials token(const QString &accessToken, const QString &type = QStringLiteral("bearer"))
{
    return Client::Credentials{accessToken, type, 3600, std::nullopt, std::nullopt};
}

Client::Configuration configuration(const QUrl &baseURL, std::shared_ptr<URLSessionProvider> transport = {},
                                    std::shared_ptr<CredentialsProvider> provider = {})
{
    return Client::Configuration{baseURL, std::move(provider), std::move(transport),
                                 KeyDecodingStrategy::convertFromSnakeCase, DateDecodingStrategy::iso8601,
                                 NonConformingFloatStrategy::convertingToString(
                                     QStringLiteral("+Infinity"), QStringLiteral("-Infinity"), QStringLiteral("NaN")),
                                 std::nullopt};
}

Request build(QCoro::Task<Request> task)
{
    auto outcome = runTask(std::move(task));
    if (!outcome.succeeded())
        qFatal("building a request failed: %s", qPrintable(outcome.errorText()));
    return outcome.value();
}

QByteArray bodyOf(const Request &request)
{
    return request.urlRequest() ? request.urlRequest()->httpBody.value_or("<no body>") : "<no request>";
}

template<class Model = People>
QCoro::Task<Client::Response<Model>> getAndDispatch(Client client, QString path,
                                                    std::optional<KeyValues> parameters = std::nullopt)
{
    const Request request = co_await client.makeGetRequest(path, parameters);
    co_return co_await request.dispatch<Model>();
}

} // namespace

class ClientTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Where a path leads from the base URL, for every verb.
    void resolvesPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // empty: no URL, and nothing to send
        QTest::newRow("relative path below the base's") << "data/items" << "https://h.example/api/v1/data/items";
        QTest::newRow("absolute path replaces the base's") << "/data/items" << "https://h.example/data/items";
        QTest::newRow("full URL replaces the base") << "https://other.example/x" << "https://other.example/x";
        QTest::newRow("dot segments") << "../v2/items" << "https://h.example/api/v2/items";
        QTest::newRow("space") << "data items" << "";
        QTest::newRow("bad escape") << "%zz" << "";
        QTest::newRow("bad host") << "http://[::1/x" << "";
    }
    void resolvesPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const Client client(configuration(QUrl(QStringLiteral("https://h.example/api/v1/"))));
        const QList<std::pair<QString, Request>> requests{
            {"GET", build(client.makeGetRequest(path, KeyValues{{"a", {"1"}}}))},
            {"DELETE", build(client.makeDeleteRequest(path, std::nullopt))},
            {"POST", build(client.makePostRequest(path, Person{}, ContentType::json))},
            {"PUT", build(client.makePutRequest(path, Person{}, ContentType::form))}};
        for (const auto &[method, request] : requests) {
            QCOMPARE(request.urlRequest().has_value(), !expected.isEmpty());
            QCOMPARE(request.config().has_value(), !expected.isEmpty());
            if (expected.isEmpty())
                continue;
            QCOMPARE(request.urlRequest()->url.adjusted(QUrl::RemoveQuery), QUrl(expected));
            QCOMPARE(request.urlRequest()->httpMethod, method);
            QCOMPARE(request.urlRequest()->value(QStringLiteral("Accept")), QStringLiteral("application/json"));
        }
    }

    void headersAndBodies()
    {
        auto provider = std::make_shared<ScriptedCredentials>();
        const Client client(configuration(QUrl(QStringLiteral("https://h.example/")), nullptr, provider));
        // The token type is not used: always "Bearer ".
        provider->current = token(QStringLiteral("abc"), QStringLiteral("mac"));
        const Person person{QStringLiteral("a"), {1}, std::nullopt};
        const Request json = build(client.makePostRequest(QStringLiteral("p"), person, ContentType::json))
                                 .withHeader(QStringLiteral("X-Token"), QStringLiteral("1"))
                                 .withHeader(QStringLiteral("x-token"), QStringLiteral("2"));
        QCOMPARE(json.urlRequest()->value(QStringLiteral("Authorization")), QStringLiteral("Bearer abc"));
        QCOMPARE(json.urlRequest()->value(QStringLiteral("X-TOKEN")), QStringLiteral("2"));
        QCOMPARE(bodyOf(json), QByteArray(R"({"first_name":"a","ids":[1]})")); // declared order, absent left out
        // makeRequest asks nobody and sets nothing.
        const Request plain = build(client.makeRequest(QStringLiteral("a")));
        QVERIFY(plain.urlRequest()->allHTTPHeaderFields().isEmpty() && !plain.config());
        QCOMPARE(provider->calls, QStringList{"credentials"});

        // Not encodable: a form body is empty, a JSON one absent, as the
        // configuration and its float texts come last.
        const Person infinite{QStringLiteral("a"), {}, INFINITY};
        QCOMPARE(bodyOf(build(client.makePutRequest(QStringLiteral("p"), infinite, ContentType::form))), QByteArray(""));
        const Request early = build(client.makePostRequest(QStringLiteral("p"), infinite, ContentType::json));
        QCOMPARE(bodyOf(early), QByteArray("<no body>"));
        QCOMPARE(bodyOf(early.withBody(infinite, KeyEncodingStrategy::useDefaultKeys)),
                 QByteArray(R"({"firstName":"a","ids":[],"height":"+Infinity"})"));
        // On GET and DELETE the body becomes the query, in snake_case; the
        // unencoded pair is parsed, so "+" reads as a space.
        const Request get = Request(QUrl(QStringLiteral("https://h.example/n?z=1")))
                                .withMethod(HttpMethod::delete_)
                                .withBody(Person{QStringLiteral("a+b"), {}, {}}, KeyEncodingStrategy::useDefaultKeys);
        QCOMPARE(get.urlRequest()->url.query(QUrl::FullyEncoded), QStringLiteral("first_name=a%20b&z=1"));
        // Without a URL request every change is a no-op, not a crash.
        const Request empty = Request(std::nullopt).withBearerToken("t").withAccept().withQuery(KeyValues{{"a", {"1"}}});
        QVERIFY(!empty.withBody(person, KeyEncodingStrategy::useDefaultKeys).urlRequest());
    }

    // The whole road: build, send over HTTPS, check, decode, log.
    void endToEndOverHttps()
    {
        auto server = TestServer::https();
        server->serveJson(QStringLiteral("/api/v1/items"),
                          R"([{"first_name":"öre","ids":[1],"height":"NaN"},{"first_name":"b","ids":[]}])");
        const Client client(configuration(server->url(QStringLiteral("/api/v1/")), server->makeTransport()));
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch(client, QStringLiteral("items"), KeyValues{{"page", {"2"}}}));
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        QCOMPARE(outcome.value().status, HttpStatusCode::ok);
        QCOMPARE(outcome.value().model->size(), std::size_t(2));
        QCOMPARE(outcome.value().model->at(0).firstName, QStringLiteral("\u00F6re"));
        QVERIFY(std::isnan(*outcome.value().model->at(0).height)); // the configured float texts
        QCOMPARE(server->lastRequest().target, QByteArray("/api/v1/items?page=2"));
        QCOMPARE(server->lastRequest().header("Accept"), QByteArray("application/json"));
        QCOMPARE(output.bytes(), info + "[GET] /api/v1/items page=2 \n" + info + checkMark + " [200] /api/v1/items \n");

        server->enqueue(Answer::json("[1,{\"a\":null}]", 201)); // an empty response takes any JSON
        const Person person{QStringLiteral("a b-c"), {1, 2}, {}};
        auto post = [&]() -> QCoro::Task<Client::Response<Client::EmptyResponse>> {
            const Request request = co_await client.makePostRequest(QString("people"), person, ContentType::form);
            co_return co_await request.dispatch<Client::EmptyResponse>();
        };
        const auto posted = runTask(post());
        QVERIFY2(posted.succeeded(), qPrintable(posted.errorText()));
        QCOMPARE(posted.value().status, HttpStatusCode::created);
        // Lists become repeated pairs; all but letters, marks and digits is escaped.
        QCOMPARE(server->lastRequest().body, QByteArray("first_name=a%20b%2Dc&ids=1&ids=2"));
        QCOMPARE(server->lastRequest().header("Content-Type"), QByteArray("application/x-www-form-urlencoded; charset=utf-8"));
    }

    void statuses_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("status"); // 0: not a known code
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("hasModel");
        // Empty bodies are never decoded, even for a type they could not be.
        QTest::newRow("204, empty") << Answer::make(204) << 204 << true << false;
        QTest::newRow("200, empty") << Answer::make(200) << 200 << true << false;
        QTest::newRow("304") << Answer::make(304) << 304 << true << false;
        QTest::newRow("200 with records") << Answer::json(R"([{"first_name":"a","ids":[]}])") << 200 << true << true;
        QTest::newRow("299 is not in the table") << Answer::json("[]", 299) << 0 << false << false;
        QTest::newRow("404") << Answer::json(R"({"error":"no file"})", 404) << 404 << false << false;
        QTest::newRow("500") << Answer::text("oops", 500) << 500 << false << false;
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
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch(
            Client(configuration(server->baseUrl(), server->makeTransport(), provider)), QStringLiteral("/items")));
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(provider->calls, QStringList{"credentials"});
        if (accepted) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(rawValue(outcome.value().status), status);
            QCOMPARE(outcome.value().model.has_value(), hasModel);
            QVERIFY(output.bytes().endsWith(info + checkMark + " [" + QByteArray::number(status) + "] /items \n"));
            return;
        }
        const auto error = outcome.error<Client::ErrorResponse>();
        QVERIFY2(error, qPrintable(outcome.errorText()));
        QCOMPARE(rawValue(error->status()), status);
        QCOMPARE(error->data(), answer.body);
        if (status == 404)
            QCOMPARE(QString::fromUtf8(error->what()), QStringLiteral("Service responded with error (404 notFound)"));
        // Failures are thrown, not logged: only the request line.
        QCOMPARE(output.bytes(), info + "[GET] /items  \n");
    }

    // The refresh after a refused token, in the provider's call order; the
    // answer to the second send is final whatever it is.
    void refreshAfterRefusedToken_data()
    {
        QTest::addColumn<int>("firstStatus");
        QTest::addColumn<bool>("withProvider");
        QTest::addColumn<QString>("initial");   // empty: the provider has none
        QTest::addColumn<QString>("refreshed"); // empty: the refresh gives none
        QTest::addColumn<bool>("keepsStored");
        QTest::addColumn<int>("secondStatus");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QByteArrayList>("authorizations"); // per request; "-" for none
        const QStringList refreshCalls{"credentials", "refresh", "store new", "credentials"};
        const QByteArrayList oldThenNew{"Bearer old", "Bearer new"};
        QTest::newRow("401 without provider") << 401 << false << "" << "new" << true << 0 << QStringList()
                                              << QByteArrayList{"-"};
        QTest::newRow("401 refreshed") << 401 << true << "old" << "new" << true << 200 << refreshCalls << oldThenNew;
        QTest::newRow("403 refreshed") << 403 << true << "old" << "new" << true << 200 << refreshCalls << oldThenNew;
        QTest::newRow("refused again") << 401 << true << "old" << "new" << true << 401 << refreshCalls << oldThenNew;
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
        server->enqueue(Answer::json(R"([{"first_name":"a","ids":[]}])", secondStatus));
        auto provider = std::make_shared<ScriptedCredentials>();
        if (!initial.isEmpty())
            provider->current = token(initial);
        if (!refreshed.isEmpty())
            provider->refreshed = token(refreshed);
        provider->keepsStored = keepsStored;
        const Client client(configuration(server->baseUrl(), server->makeTransport(), withProvider ? provider : nullptr));

        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch(client, QStringLiteral("/me")));
        QCOMPARE(provider->calls, calls);
        QCOMPARE(server->requestCount(), authorizations.size());
        for (qsizetype i = 0; i < authorizations.size(); ++i)
            QCOMPARE(server->requests().at(i).header("Authorization").value_or("-"), authorizations.at(i));
        const bool retried = authorizations.size() == 2;
        const QByteArray tokenLine = info + "\xF0\x9F\x94\x91 Received new token\n";
        QCOMPARE(output.bytes().contains(tokenLine), retried);
        const int finalStatus = retried ? secondStatus : firstStatus;
        if (finalStatus < 400) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(rawValue(outcome.value().status), finalStatus);
            QCOMPARE(output.bytes(), info + "[GET] /me  " + QByteArray(authorizations.first()).replace("-", "") + "\n"
                                         + tokenLine + info + checkMark + " [" + QByteArray::number(finalStatus) + "] /me \n");
        } else {
            const auto error = outcome.error<Client::ErrorResponse>();
            QVERIFY2(error, qPrintable(outcome.errorText()));
            QCOMPARE(rawValue(error->status()), finalStatus);
            QCOMPARE(error->data(), QByteArray(retried ? R"([{"first_name":"a","ids":[]}])" : R"({"first":true})"));
        }
    }

    // What fails before anything is sent: no URL, or a token that would add
    // headers of its own.
    void failsBeforeSending()
    {
        auto server = TestServer::https();
        auto provider = std::make_shared<ScriptedCredentials>();
        const Client client(configuration(server->baseUrl(), server->makeTransport(), provider));
        CapturedOutput output;
        const auto noURL = runTask(getAndDispatch(client, QStringLiteral("no url here")));
        QVERIFY2(noURL.error<Client::ErrorResponse>(), qPrintable(noURL.errorText()));
        QCOMPARE(noURL.error<Client::ErrorResponse>()->message(), QStringLiteral("Configuration is not provided"));
        QCOMPARE(output.bytes(), info + "invalid\n");

        provider->current = token(QStringLiteral("abc\r\nX-Admin: yes"));
        const auto injected = runTask(getAndDispatch(client, QStringLiteral("/me")));
        QVERIFY2(injected.errorText().contains(QLatin1String("Authorization")), qPrintable(injected.errorText()));
        provider->current.reset();
        QVERIFY(runTask(getAndDispatch(client, QStringLiteral("/after"))).finished());
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(server->lastRequest().path(), QStringLiteral("/after"));
    }

    void configuredTimeoutReachesTransport()
    {
        auto server = TestServer::http();
        server->enqueue(Answer::silent());
        Client::Configuration config = configuration(server->baseUrl(), server->makeTransport());
        config.timeout = 0.2;
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch(Client(config), QStringLiteral("/slow")));
        QCOMPARE(outcome.errorText(),
                 QStringLiteral("The server sent nothing for 0.2 seconds (127.0.0.1:%1)").arg(server->port()));
    }

};

QTEST_GUILESS_MAIN(ClientTest)
#include "client_test.moc"
