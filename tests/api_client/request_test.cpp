#include "api_client/api_client.h"
#include "tests/support/run_task.h"

#include <QTest>

#include <cmath>

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

struct Note
{
    QString note;
    static constexpr auto codingFields = std::tuple{JsonField{"note", &Note::note}};
};

// Counts what the client asks and answers with what the test sets.
class CountingCredentials final : public CredentialsProvider
{
public:
    std::optional<Client::Credentials> current;
    int credentialsCalls = 0;

    QCoro::Task<std::optional<Client::Credentials>> credentials() override
    {
        ++credentialsCalls;
        // QCoro 0.8 moves from a named value given to co_return: return a copy.
        co_return std::optional<Client::Credentials>(current);
    }
    QCoro::Task<> storeCredentials(Client::Credentials credentials) override
    {
        current = credentials;
        co_return;
    }
    QCoro::Task<std::optional<Client::Credentials>> refreshCredentials() override { co_return std::nullopt; }
};

Client::Configuration configuration(const QString &baseURL, std::shared_ptr<CredentialsProvider> provider = {},
                                    std::optional<double> timeout = std::nullopt)
{
    return Client::Configuration{QUrl(baseURL),
                                 std::move(provider),
                                 nullptr,
                                 KeyDecodingStrategy::convertFromSnakeCase,
                                 DateDecodingStrategy::iso8601,
                                 NonConformingFloatStrategy::convertingToString(QStringLiteral("+Infinity"),
                                                                                QStringLiteral("-Infinity"),
                                                                                QStringLiteral("NaN")),
                                 timeout};
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
    if (!request.urlRequest() || !request.urlRequest()->httpBody)
        return QByteArrayLiteral("<no body>");
    return *request.urlRequest()->httpBody;
}

Client::Credentials token(const QString &accessToken, const QString &tokenType = QStringLiteral("bearer"))
{
    return Client::Credentials{accessToken, tokenType, 3600, std::nullopt, std::nullopt};
}

Request getRequest(const QString &url)
{
    return Request(QUrl(url)).withMethod(HttpMethod::get);
}

} // namespace

class RequestTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each row reads back from its code and shows its name; no code between
    // rows (103, 425, 509) or past them makes a case.
    void statusCodeTableRoundTrip()
    {
        QCOMPARE(httpStatusCodes.size(), std::size_t(62));
        int next = -1;
        int successes = 0;
        for (const auto &[status, name] : httpStatusCodes) {
            for (; next < rawValue(status); ++next)
                QCOMPARE(httpStatusCodeFromRawValue(next), std::nullopt);
            QCOMPARE(httpStatusCodeFromRawValue(next++), status);
            QCOMPARE(caseName(status), QLatin1StringView(name));
            successes += isSuccess(status);
        }
        QCOMPARE(successes, 22); // continue to permanentRedirect
        for (const int code : {512, 600, 1000})
            QCOMPARE(httpStatusCodeFromRawValue(code), std::nullopt);
    }

    void withoutURLRequestNothingChanges()
    {
        const Request empty(std::nullopt);
        const Request changed = empty.withMethod(HttpMethod::get)
                                    .withHeader(QStringLiteral("X"), QStringLiteral("1"))
                                    .withBearerToken(QStringLiteral("t"))
                                    .withAccept()
                                    .withContentType(ContentType::json)
                                    .withQuery(KeyValues{{"a", {"1"}}})
                                    .withBody(Note{QStringLiteral("x")}, KeyEncodingStrategy::useDefaultKeys)
                                    .withURLRequest([](URLRequest r) {
                                        r.url = QUrl(QStringLiteral("https://h.example"));
                                        return r;
                                    })
                                    .withConfiguration(configuration(QStringLiteral("https://h.example")));
        QVERIFY(!changed.urlRequest());
        QVERIFY(!changed.config());
        QCOMPARE(changed.description(), QStringLiteral("invalid"));
    }

    void headers()
    {
        const Request request = getRequest(QStringLiteral("https://h.example/a"))
                                    .withHeader(QStringLiteral("X-Token"), QStringLiteral("1"))
                                    .withHeader(QStringLiteral("x-token"), QStringLiteral("2"))
                                    .withAuthorization(token(QStringLiteral("abc"), QStringLiteral("mac")))
                                    .withAccept()
                                    .withContentType(ContentType::form);
        const URLRequest &urlRequest = *request.urlRequest();
        QCOMPARE(urlRequest.value(QStringLiteral("X-TOKEN")), QStringLiteral("2"));
        // The token type is not used: always "Bearer ".
        QCOMPARE(urlRequest.value(QStringLiteral("Authorization")), QStringLiteral("Bearer abc"));
        QCOMPARE(urlRequest.value(QStringLiteral("Accept")), QStringLiteral("application/json"));
        QCOMPARE(request.contentType(), ContentType::form);
        QCOMPARE(urlRequest.allHTTPHeaderFields().size(), 4);

        QCOMPARE(request.withAuthorization(std::nullopt).urlRequest()->value(QStringLiteral("Authorization")),
                 QStringLiteral("Bearer abc"));
        QCOMPARE(request.withBearerToken(QStringLiteral("xyz")).urlRequest()->value(QStringLiteral("authorization")),
                 QStringLiteral("Bearer xyz"));
    }

    void contentTypeQuery_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected"); // -1: none
        QTest::newRow("json") << "Content-Type" << rawValue(ContentType::json) << int(ContentType::json);
        QTest::newRow("json without charset") << "Content-Type" << "application/json" << -1;
        QTest::newRow("name in other case") << "content-type" << rawValue(ContentType::json) << -1;
        QTest::newRow("other field") << "Accept" << rawValue(ContentType::json) << -1;
    }
    void contentTypeQuery()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(int, expected);
        const Request request = getRequest(QStringLiteral("https://h.example/a")).withHeader(field, value);
        QCOMPARE(request.contentType(),
                 expected < 0 ? std::optional<ContentType>() : std::optional(ContentType(expected)));
    }

    void description_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("expected");
        QTest::newRow("GET with query") << "https://h.example/data/items?a=1" << "GET" << "" << "[GET] /data/items a=1 ";
        QTest::newRow("with token") << "https://h.example/data/items" << "DELETE" << "tok"
                                    << "[DELETE] /data/items  Bearer tok";
        QTest::newRow("decoded path, encoded query") << "https://h.example/a%20b?q=x%20y" << "POST" << ""
                                                     << "[POST] /a b q=x%20y ";
        QTest::newRow("other method") << "https://h.example/data/items" << "PATCH" << "" << "invalid";
        QTest::newRow("no method") << "https://h.example/data/items" << "" << "" << "invalid";
        QTest::newRow("empty URL") << "" << "GET" << "" << "invalid";
    }
    void description()
    {
        QFETCH(QString, url);
        QFETCH(QString, method);
        QFETCH(QString, token);
        QFETCH(QString, expected);
        Request request = Request(QUrl(url)).withURLRequest([&](URLRequest r) {
            if (!method.isEmpty())
                r.httpMethod = method;
            return r;
        });
        if (!token.isEmpty())
            request = request.withBearerToken(token);
        QCOMPARE(request.description(), expected);
    }

    void getAndDeleteBuilding_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expectedURL");
        QTest::newRow("relative path below the base's") << "https://h.example/api/" << "data/items"
                                                        << "https://h.example/api/data/items";
        QTest::newRow("absolute path replaces the base's") << "https://h.example/api/" << "/data/items"
                                                           << "https://h.example/data/items";
        QTest::newRow("full URL replaces the base") << "https://h.example/api/" << "https://other.example/x"
                                                    << "https://other.example/x";
        QTest::newRow("dot segments") << "https://h.example/api/v1/" << "../v2/items"
                                      << "https://h.example/api/v2/items";
    }
    void getAndDeleteBuilding()
    {
        QFETCH(QString, base);
        QFETCH(QString, path);
        QFETCH(QString, expectedURL);
        const Client client(configuration(base));
        for (const bool isGet : {true, false}) {
            const Request request = build(isGet ? client.makeGetRequest(path, std::nullopt)
                                                : client.makeDeleteRequest(path, std::nullopt));
            QVERIFY(request.urlRequest());
            QCOMPARE(request.urlRequest()->url, QUrl(expectedURL));
            QCOMPARE(request.urlRequest()->httpMethod, isGet ? QStringLiteral("GET") : QStringLiteral("DELETE"));
            QCOMPARE(request.urlRequest()->value(QStringLiteral("Accept")), QStringLiteral("application/json"));
            QCOMPARE(request.urlRequest()->value(QStringLiteral("Authorization")), std::nullopt);
        }
    }

    void credentialsProvider()
    {
        auto provider = std::make_shared<CountingCredentials>();
        const Client client(configuration(QStringLiteral("https://h.example/"), provider));

        const Request anonymous = build(client.makeGetRequest(QStringLiteral("a"), std::nullopt));
        QCOMPARE(anonymous.urlRequest()->value(QStringLiteral("Authorization")), std::nullopt);
        QCOMPARE(provider->credentialsCalls, 1);

        provider->current = token(QStringLiteral("abc"), QStringLiteral("mac"));
        const Request signedIn = build(client.makePostRequest(QStringLiteral("a"), Note{}, ContentType::json));
        QCOMPARE(signedIn.urlRequest()->value(QStringLiteral("Authorization")), QStringLiteral("Bearer abc"));
        QCOMPARE(provider->credentialsCalls, 2);

        // makeRequest asks nobody and sets nothing.
        const Request plain = build(client.makeRequest(QStringLiteral("a")));
        QCOMPARE(provider->credentialsCalls, 2);
        QVERIFY(plain.urlRequest()->allHTTPHeaderFields().isEmpty());
        QCOMPARE(plain.urlRequest()->httpMethod, std::nullopt);
        QVERIFY(!plain.config());
    }

    void formBodies()
    {
        const Client client(configuration(QStringLiteral("https://h.example/")));
        auto make = [&](AnyEncodable value) {
            return build(client.makePutRequest(QStringLiteral("people"), std::move(value), ContentType::form));
        };
        const Request request = make(Person{QStringLiteral("a b-c"), {}, std::nullopt});
        QCOMPARE(bodyOf(request), QByteArray("first_name=a%20b%2Dc"));
        QCOMPARE(request.urlRequest()->httpMethod, QStringLiteral("PUT"));
        QCOMPARE(request.contentType(), ContentType::form);

        // Lists become repeated pairs, in the object's own order.
        QCOMPARE(bodyOf(make(Person{QStringLiteral("x"), {1, 2}, 1.5})), QByteArray("first_name=x&ids=1&ids=2&height=1%2E5"));
        // Not an object, or not encodable: an empty body, present.
        QCOMPARE(bodyOf(make(std::vector<int>{1, 2})), QByteArray(""));
        QCOMPARE(bodyOf(make(QStringLiteral("text"))), QByteArray(""));
        QCOMPARE(bodyOf(make(Person{QStringLiteral("x"), {}, std::nan("")})), QByteArray(""));
    }

    void jsonBodies()
    {
        const Client client(configuration(QStringLiteral("https://h.example/")));
        const Request request = build(
            client.makePostRequest(QStringLiteral("people"), Person{QStringLiteral("a"), {1}, 2.0}, ContentType::json));
        QCOMPARE(bodyOf(request), QByteArray(R"({"first_name":"a","ids":[1],"height":2.0})"));
        QCOMPARE(request.contentType(), ContentType::json);

        // The configuration comes last, so its float texts are not used yet:
        // the value does not encode, and the request has no body.
        const Request infinite = build(client.makePostRequest(
            QStringLiteral("people"), Person{QStringLiteral("a"), {}, INFINITY}, ContentType::json));
        QCOMPARE(bodyOf(infinite), QByteArray("<no body>"));

        // Once the request carries the configuration, they are.
        const Request later = infinite.withBody(Person{QStringLiteral("a"), {}, INFINITY},
                                                KeyEncodingStrategy::useDefaultKeys);
        QCOMPARE(bodyOf(later), QByteArray(R"({"firstName":"a","ids":[],"height":"+Infinity"})"));
        // Without the configuration a NaN does not encode: the earlier body stays.
        const Request unconfigured = Request(QUrl(QStringLiteral("https://h.example/")))
                                         .withMethod(HttpMethod::post)
                                         .withContentType(ContentType::json)
                                         .withURLRequest([](URLRequest r) {
                                             r.httpBody = "keep";
                                             return r;
                                         })
                                         .withBody(Person{QStringLiteral("a"), {}, NAN},
                                                   KeyEncodingStrategy::useDefaultKeys);
        QCOMPARE(bodyOf(unconfigured), QByteArray("keep"));
    }

    void bodyLeftAlone_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("contentType");
        QTest::newRow("POST without Content-Type") << "POST" << "";
        QTest::newRow("PUT with other Content-Type") << "PUT" << "text/plain";
        QTest::newRow("no method") << "" << rawValue(ContentType::json);
        QTest::newRow("PATCH") << "PATCH" << rawValue(ContentType::form);
    }
    void bodyLeftAlone()
    {
        QFETCH(QString, method);
        QFETCH(QString, contentType);
        Request request = Request(QUrl(QStringLiteral("https://h.example/n"))).withURLRequest([&](URLRequest r) {
            if (!method.isEmpty())
                r.httpMethod = method;
            return r;
        });
        if (!contentType.isEmpty())
            request = request.withHeader(QStringLiteral("Content-Type"), contentType);
        const Request result = request.withBody(Note{QStringLiteral("x")}, KeyEncodingStrategy::useDefaultKeys);
        QCOMPARE(bodyOf(result), QByteArray("<no body>"));
        QCOMPARE(result.urlRequest()->url, QUrl(QStringLiteral("https://h.example/n")));
    }

    void bodyOnGetAndDeleteGoesToQuery_data()
    {
        QTest::addColumn<int>("method");
        QTest::newRow("GET") << int(HttpMethod::get);
        QTest::newRow("DELETE") << int(HttpMethod::delete_);
    }
    void bodyOnGetAndDeleteGoesToQuery()
    {
        QFETCH(int, method);
        const Request request = Request(QUrl(QStringLiteral("https://h.example/n?z=1")))
                                    .withMethod(HttpMethod(method))
                                    .withBody(Note{QStringLiteral("a+b")}, KeyEncodingStrategy::useDefaultKeys);
        // The unencoded pair is parsed as a query: "+" reads as a space.
        QCOMPARE(request.urlRequest()->url.query(QUrl::FullyEncoded), QStringLiteral("note=a%20b&z=1"));
        QCOMPARE(bodyOf(request), QByteArray("<no body>"));
    }

    void parameterStrings()
    {
        Json value = Json::object();
        value["camelKey"] = "x y";
        value["nested"] = Json::array({1, Json::array({2, 3}), "a&b"});
        value["flag"] = true;
        value["nothing"] = nullptr;
        value["ratio"] = 0.25;
        QCOMPARE(Request::parameterString(value, false),
                 QStringLiteral("camelKey=x y&nested=1&nested=2&nested=3&nested=a&b&flag=true&nothing=null&ratio=0.25"));
        QCOMPARE(Request::parameterString(value, true),
                 QStringLiteral("camelKey=x%20y&nested=1&nested=2&nested=3&nested=a%26b&flag=true&nothing=null"
                                "&ratio=0%2E25"));

        // A model type's keys are converted to snake_case; hand-built JSON keeps its own.
        const auto map = Request::dictionaryRepresentation(Note{QStringLiteral("n")});
        QVERIFY(map && map->is_object());
        QVERIFY(!Request::dictionaryRepresentation(Json::array({1})));
        QVERIFY(!Request::dictionaryRepresentation(QStringLiteral("text")));
        QCOMPARE(Request::parameterString(Person{QStringLiteral("A"), {}, std::nullopt}, false),
                 QStringLiteral("first_name=A"));
    }

    void pathWithoutURL_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("space") << "data items";
        QTest::newRow("bad escape") << "%zz";
        QTest::newRow("empty") << "";
        QTest::newRow("bad host") << "http://[::1/x";
    }
    void pathWithoutURL()
    {
        QFETCH(QString, path);
        const Client client(configuration(QStringLiteral("https://h.example/")));
        const Request get = build(client.makeGetRequest(path, KeyValues{{"a", {"1"}}}));
        QVERIFY(!get.urlRequest());
        QVERIFY(!get.config());
        const Request post = build(client.makePostRequest(path, Note{}, ContentType::json));
        QVERIFY(!post.urlRequest());
        QVERIFY(!post.config());
    }

};

QTEST_GUILESS_MAIN(RequestTest)
#include "request_test.moc"
