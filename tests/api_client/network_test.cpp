#include "api_client/api_client.h"
#include "tests/api_client/person.h"
#include "tests/support/captured_output.h"
#include "tests/support/run_task.h"
#include "tests/support/test_server.h"

#include <QTest>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <cmath>
#include <thread>

Q_DECLARE_METATYPE(tarimo::test_support::Answer)
Q_DECLARE_METATYPE(std::optional<QByteArray>)

using namespace tarimo::api_client;
using namespace tarimo::test_support;
using namespace std::chrono_literals;
using Request = Client::Request;
using KeyValues = QuerystringState::KeyValues;

namespace {

URLRequest makeRequest(const QUrl &url, const QString &method = QStringLiteral("GET"),
                       std::optional<QByteArray> body = std::nullopt, double timeout = 5)
{
    URLRequest request(url, URLRequest::CachePolicy::useProtocolCachePolicy, timeout);
    request.httpMethod = method;
    request.httpBody = std::move(body);
    return request;
}

// LeakSanitizer's switch, where it runs.
void ignoreLeaks([[maybe_unused]] bool ignore)
{
#if defined(__SANITIZE_ADDRESS__)
    ignore ? __lsan_disable() : __lsan_enable();
#endif
}

Outcome<TransferResult> fetch(URLSessionProvider &session, URLRequest request)
{
    return runTask(session.data(std::move(request)), 20s);
}


// The "Client: 💬 " prefix of the client's lines, and its check mark.
const QByteArray info = QByteArray("Client: \xF0\x9F\x92\xAC ");
const QByteArray checkMark = QByteArray("\xE2\x9C\x85");
// What log lines show in place of a bearer token.
const QByteArray maskedBearer = QStringLiteral("Bearer ••••••").toUtf8();
const QByteArray records = R"([{"first_name":"a","ids":[]}])";

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
    return runTask(std::move(task)).m_value.value(); // throws if building failed
}

QByteArray bodyOf(const Request &request)
{
    return request.urlRequest() ? request.urlRequest()->httpBody.value_or("<no body>") : "<no request>";
}

QCoro::Task<Client::Response<People>> getAndDispatch(Client client, QString path,
                                                     std::optional<KeyValues> parameters = std::nullopt)
{
    const Request request = co_await client.makeGetRequest(path, parameters);
    co_return co_await request.dispatch<People>();
}

} // namespace

// Declares `error`, the TransportError the outcome failed with, or fails the test.
#define REQUIRE_TRANSPORT_ERROR(outcome)                                                                             \
    const auto error = (outcome).error<TransportError>();                                                            \
    QVERIFY2(error, qPrintable((outcome).errorText()))

// The transport over loopback HTTP(S), and the client built on it.
class NetworkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendsMethodHeadersAndBody_data()
    {
        QTest::addColumn<bool>("https");
        QTest::addColumn<QString>("method");
        QTest::addColumn<std::optional<QByteArray>>("body");
        QTest::newRow("GET") << true << "GET" << std::optional<QByteArray>();
        QTest::newRow("POST") << true << "POST" << std::optional<QByteArray>("first_name=a%20b");
        QTest::newRow("DELETE with body") << true << "DELETE" << std::optional<QByteArray>("x=1");
    }
    void sendsMethodHeadersAndBody()
    {
        QFETCH(bool, https);
        QFETCH(QString, method);
        QFETCH(std::optional<QByteArray>, body);
        auto server = https ? TestServer::https() : TestServer::http();
        server->serve(QStringLiteral("/data/items"), Answer::json("{\"ok\":true}", 201).withHeader("X-Answer", "yes"));
        URLRequest request = makeRequest(server->url(QStringLiteral("/data/items?a=1&b=x%20y")), method, body);
        request.setValue(QStringLiteral("999"), QStringLiteral("Content-Length")); // the transport's own
        const auto outcome = fetch(*server->makeTransport(), request);

        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        QCOMPARE(outcome.value().data, QByteArray("{\"ok\":true}"));
        QCOMPARE(outcome.value().response.value("x-answer"), QByteArray("yes"));
        QCOMPARE(outcome.value().response.url, request.url);
        const RecordedRequest received = server->lastRequest();
        QCOMPARE(received.method, method.toLatin1());
        QCOMPARE(received.target, QByteArray("/data/items?a=1&b=x%20y"));
        QCOMPARE(received.body, body.value_or(QByteArray()));
        QCOMPARE(received.header("Content-Length").value_or("0"), QByteArray::number(received.body.size()));
    }

    void refusesUntrustedServers_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown authority") << "stranger" << "certificate";
        // A fresh manager trusts only the system's authorities.
        QTest::newRow("test authority not trusted") << "untrusted" << "certificate";
        QTest::newRow("wrong host name") << "wrong host" << "host name";
    }
    void refusesUntrustedServers()
    {
        QFETCH(QString, problem);
        QFETCH(QString, reason);
        const auto &authority = TestCertificateAuthority::shared();
        auto server = TestServer::https();
        if (problem == QLatin1String("stranger")) {
            const TestCertificateAuthority stranger(QStringLiteral("Stranger CA"));
            server = TestServer::https(stranger.loopbackCertificate(), stranger.certificate());
        } else if (problem == QLatin1String("wrong host")) {
            server = TestServer::https(authority.issue({QStringLiteral("wrong.example")}), authority.certificate());
        }
        URLSession session({.extraCaCertificates = problem == QLatin1String("untrusted") ? QList<QSslCertificate>()
                                                                                      : QList{authority.certificate()}});
        const auto outcome = fetch(session, makeRequest(server->url(QStringLiteral("/x"))));
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), QNetworkReply::SslHandshakeFailedError);
        QVERIFY2(error->text().contains(reason), qPrintable(error->text()));
        QCOMPARE(server->requestCount(), 0);
    }

    // Redirects are followed by hand: at most five hops, never from https to
    // http, the Authorization header only within its origin, and 302/303
    // turn a POST into a GET without its body.
    void redirects_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("hops");
        QTest::addColumn<bool>("sameOrigin");
        QTest::addColumn<QByteArray>("method"); // as it arrives; empty: refused with `code`
        QTest::addColumn<int>("code");
        QTest::newRow("303 turns POST into GET") << 303 << 1 << true << QByteArray("GET") << 0;
        QTest::newRow("302 turns POST into GET") << 302 << 1 << false << QByteArray("GET") << 0;
        QTest::newRow("307 keeps POST, other origin") << 307 << 1 << false << QByteArray("POST") << 0;
        QTest::newRow("308 keeps POST, five hops") << 308 << 5 << true << QByteArray("POST") << 0;
        QTest::newRow("six hops") << 301 << 6 << true << QByteArray() << int(QNetworkReply::TooManyRedirectsError);
        QTest::newRow("https to http") << 302 << 1 << false << QByteArray() << int(QNetworkReply::InsecureRedirectError);
    }
    void redirects()
    {
        QFETCH(int, status);
        QFETCH(int, hops);
        QFETCH(bool, sameOrigin);
        QFETCH(QByteArray, method);
        QFETCH(int, code);
        const bool toHttp = code == QNetworkReply::InsecureRedirectError;
        auto first = toHttp ? TestServer::https() : TestServer::http();
        auto second = TestServer::http(); // another port is another origin
        TestServer &target = sameOrigin ? *first : *second;
        for (int hop = 0; hop < hops; ++hop)
            first->serve(QStringLiteral("/hop%1").arg(hop),
                         Answer::redirect(status, hop + 1 < hops ? QStringLiteral("/hop%1").arg(hop + 1).toLatin1()
                                                                 : target.url(QStringLiteral("/done")).toEncoded()));
        target.serve(QStringLiteral("/done"), Answer::json("\"arrived\""));

        URLRequest request = makeRequest(first->url(QStringLiteral("/hop0")), QStringLiteral("POST"), "a=1");
        request.setValue(QStringLiteral("application/x-www-form-urlencoded"), QStringLiteral("Content-Type"));
        request.setValue(QStringLiteral("Bearer secret"), QStringLiteral("Authorization"));
        const auto outcome = fetch(*first->makeTransport(), request);
        if (method.isEmpty()) {
            REQUIRE_TRANSPORT_ERROR(outcome);
            QCOMPARE(int(error->code()), code);
            QCOMPARE(first->requestCount() + second->requestCount(), qsizetype(std::min(hops, 6)));
            return;
        }
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        QCOMPARE(outcome.value().data, QByteArray("\"arrived\""));
        QCOMPARE(outcome.value().response.url, target.url(QStringLiteral("/done")));
        const RecordedRequest arrived = target.lastRequest();
        QCOMPARE(arrived.method, method);
        QCOMPARE(arrived.body, method == "POST" ? QByteArray("a=1") : QByteArray());
        QCOMPARE(arrived.header("Content-Type").has_value(), method == "POST");
        QCOMPARE(arrived.header("Authorization").has_value(), sameOrigin);
    }

    // One request, one scripted answer: what arrives, or how it fails.
    void oneAnswer_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("method");
        QTest::addColumn<double>("timeout");
        QTest::addColumn<qint64>("cap"); // 0: the default
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("errorText"); // %1: the server's port; empty: success
        // Qt marks 4xx and 5xx answers as errors, and may hold back one with
        // a challenge; they are still whole answers with their bodies.
        const QByteArray no = "{\"message\":\"no\"}";
        for (const int status : {299, 400, 401, 403, 404, 418, 429, 500, 503, 599})
            QTest::addRow("%d", status) << Answer::json(no, status).withHeader("WWW-Authenticate", "Bearer") << "GET"
                                        << 5.0 << qint64(0) << no << "";
        QTest::newRow("HEAD") << Answer::text("twelve bytes") << "HEAD" << 5.0 << qint64(0) << QByteArray() << "";

        // The timeout counts idle time; the deadline (4 x the timeout) bounds
        // a transfer that never falls silent that long.
        QTest::newRow("silent server") << Answer::silent() << "GET" << 0.3 << qint64(0) << QByteArray()
                                       << "The server sent nothing for 0.3 seconds (127.0.0.1:%1)";
        QTest::newRow("endless trickle") << Answer::generated(1 << 23).with(&Answer::trickleBytes, 1) << "GET" << 0.3
                                         << qint64(0) << QByteArray()
                                         << "The answer did not complete within 1.2 seconds (127.0.0.1:%1)";

        // Declared, or counted as it arrives. A declared length is refused
        // from the head alone: the body here would pass the count.
        const QString tooLarge = QStringLiteral("The answer is too large (more than 1000 bytes)");
        QTest::newRow("declared one byte over")
            << Answer::generated(1000).withHeader("Content-Length", "1001").with(&Answer::untilClose, true) << "GET"
            << 5.0 << qint64(1000) << QByteArray() << tooLarge;
        QTest::newRow("declared at the cap") << Answer::generated(1000) << "GET" << 5.0 << qint64(1000)
                                             << QByteArray(1000, 'x') << "";
        QTest::newRow("arrives too large") << Answer::generated(1001).with(&Answer::untilClose, true) << "GET" << 5.0
                                           << qint64(1000) << QByteArray() << tooLarge;
        QTest::newRow("arrives at the cap") << Answer::generated(1000).with(&Answer::untilClose, true) << "GET" << 5.0
                                            << qint64(1000) << QByteArray(1000, 'x') << "";
        QTest::newRow("default cap is 16 MiB") << Answer::generated(16 * 1024 * 1024 + 1).with(&Answer::untilClose, true)
                                               << "GET" << 5.0 << qint64(0) << QByteArray()
                                               << "The answer is too large (more than 16777216 bytes)";
        // A body cut short is never handed on as whole.
        QTest::newRow("closed early")
            << Answer::text(QByteArray(700, 'x')).withHeader("Content-Length", "2000").with(&Answer::untilClose, true)
            << "GET" << 5.0 << qint64(0) << QByteArray() << "*";
        QTest::newRow("conflicting lengths")
            << Answer::text("hello").withHeader("Content-Length", "5").withHeader("Content-Length", "7")
                   .with(&Answer::untilClose, true)
            << "GET" << 5.0 << qint64(0) << QByteArray() << "*";

        // Qt drops a head with a field over 100 KiB whole and reads on as if
        // it had no fields; below that, the head is capped at 64 KiB.
        QTest::newRow("huge header line") << Answer::json("[1]").withHeader("X-Huge", QByteArray(1 << 20, 'h')) << "GET"
                                          << 5.0 << qint64(0) << QByteArray()
                                          << "The answer's head could not be read: too large or malformed (127.0.0.1:%1)";
        // Content-Type and Content-Length take 51 bytes, X-Big 9 and its value.
        QTest::newRow("head of 64 KiB") << Answer::json("[1]").withHeader("X-Big", QByteArray(65476, 'h')) << "GET"
                                        << 5.0 << qint64(0) << QByteArray("[1]") << "";
        QTest::newRow("head one byte over") << Answer::json("[1]").withHeader("X-Big", QByteArray(65477, 'h')) << "GET"
                                            << 5.0 << qint64(0) << QByteArray()
                                            << "The answer's head is too large (more than 65536 bytes)";

        // The cap counts what the body grows to, not what the wire carries.
        const QByteArray json = "[{\"SEK_per_kWh\":0.5}]";
        const QByteArray packed = QByteArray::fromHex("1f8b08000000000002038bae560a76f58e2f482d8acf0ecf50b232d033ad8d0500e7c6c32115000000");
        // A gzip header, then the deflate stream of 1 MiB of zeros (qCompress
        // adds a length and a zlib header); its end is never reached.
        const QByteArray bomb = QByteArray::fromHex("1f8b0800000000000003") + qCompress(QByteArray(1 << 20, '0')).mid(6);
        QTest::newRow("gzip") << Answer::json(packed).withHeader("Content-Encoding", "gzip") << "GET" << 5.0
                              << qint64(json.size()) << json << "";
        QTest::newRow("gzip bomb") << Answer::json(bomb).withHeader("Content-Encoding", "gzip")
                                   << "GET" << 5.0 << qint64(65536) << QByteArray()
                                   << "The answer is too large (more than 65536 bytes)";
        QTest::newRow("fake gzip") << Answer::json(json).withHeader("Content-Encoding", "gzip") << "GET" << 5.0
                                   << qint64(0) << QByteArray()
                                   << "The answer claims gzip encoding, but its body is not gzip (incorrect header "
                                      "check) (127.0.0.1:%1)";
        QTest::newRow("gzip cut short") << Answer::json(packed.chopped(12)).withHeader("Content-Encoding", "gzip")
                                        << "GET" << 5.0 << qint64(0) << QByteArray()
                                        << "The answer was cut short: its compressed body ends early (127.0.0.1:%1)";
        QTest::newRow("coding not asked for") << Answer::json(json).withHeader("Content-Encoding", "br") << "GET" << 5.0
                                              << qint64(0) << QByteArray()
                                              << "The answer is encoded as \"br\", which was not asked for (127.0.0.1:%1)";
    }
    void oneAnswer()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, method);
        QFETCH(double, timeout);
        QFETCH(qint64, cap);
        QFETCH(QByteArray, body);
        QFETCH(QString, errorText);
        auto server = TestServer::https();
        server->enqueue(answer);
        URLSessionOptions options;
        if (cap)
            options.maximumBodySize = cap;
        const auto outcome = fetch(*server->makeTransport(options),
                                   makeRequest(server->url(QStringLiteral("/x")), method, std::nullopt, timeout));
        if (errorText.isEmpty()) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(outcome.value().response.statusCode, answer.status);
            QCOMPARE(outcome.value().data, body);
            return;
        }
        REQUIRE_TRANSPORT_ERROR(outcome);
        QVERIFY(error->code() != QNetworkReply::NoError);
        if (errorText != QLatin1String("*"))
            QCOMPARE(error->text(), errorText.replace(QLatin1String("%1"), QString::number(server->port())));
    }

    // Qt keeps a connection whose TLS handshake never came in its pool and
    // queues later requests to the host behind it, even once the request
    // that opened it was given up.
    void stalledHandshakeHoldsNothingUp_data()
    {
        QTest::addColumn<bool>("meanwhile");
        QTest::newRow("the next request") << false;
        QTest::newRow("a request started meanwhile") << true;
    }
    void stalledHandshakeHoldsNothingUp()
    {
        QFETCH(bool, meanwhile);
        auto server = TestServer::https();
        server->serve(QStringLiteral("/x"), Answer::json("[1]"));
        server->stallConnections(1);
        auto session = server->makeTransport();

        auto stalled = session->data(makeRequest(server->url(QStringLiteral("/x")), QStringLiteral("GET"), {}, 0.5));
        if (meanwhile) {
            QTRY_COMPARE(server->connectionCount(), 1);
            const auto other = fetch(*session, makeRequest(server->url(QStringLiteral("/x"))));
            QVERIFY2(other.succeeded(), qPrintable(other.errorText()));
        }
        QCOMPARE(runTask(std::move(stalled), 20s).errorText(),
                 QStringLiteral("The server sent nothing for 0.5 seconds (127.0.0.1:%1)").arg(server->port()));
        const auto next = fetch(*session, makeRequest(server->url(QStringLiteral("/x"))));
        QVERIFY2(next.succeeded(), qPrintable(next.errorText()));
    }

    // As on the way out of the application: a transfer in flight is dropped
    // with its connection, never resumed, and later ones fail.
    void closeDropsEverything()
    {
        auto server = TestServer::https();
        server->enqueue(Answer::silent());
        auto session = server->makeTransport();
        // The dropped transfer is never resumed, so its coroutine stays
        // allocated: by design, as resuming it on the way out is unsafe.
        ignoreLeaks(true);
        auto inFlight = session->data(makeRequest(server->url(QStringLiteral("/x")), QStringLiteral("GET"), {}, 0.2));
        ignoreLeaks(false);
        QVERIFY(server->waitForRequests(1));
        session->close();
        QTRY_COMPARE(server->closedCount(), 1);
        const auto later = fetch(*session, makeRequest(server->url(QStringLiteral("/x"))));
        QCOMPARE(later.errorText(), QStringLiteral("The network transport is no longer available"));
        QVERIFY(!inFlight.isReady());
    }

    // A stop request, here from another thread, aborts a transfer whose
    // answer the server holds: the task ends at once and the connection
    // closes. The transport goes on serving.
    void stopAbortsTheTransfer()
    {
        auto server = TestServer::https();
        server->enqueue(Answer::silent());
        auto session = server->makeTransport();
        std::stop_source stop;
        URLRequest request = makeRequest(server->url(QStringLiteral("/x")));
        request.stopToken = stop.get_token();
        auto task = session->data(request);
        QVERIFY(server->waitForRequests(1));
        std::thread([&stop] { stop.request_stop(); }).join();
        const auto outcome = runTask(std::move(task), 1s);
        QVERIFY2(outcome.error<TransferCancelled>(), qPrintable(outcome.errorText()));
        QCOMPARE(outcome.errorText(), QStringLiteral("The transfer was cancelled (127.0.0.1:%1)").arg(server->port()));
        QTRY_COMPARE_WITH_TIMEOUT(server->closedCount(), 1, 1000);
        QVERIFY(fetch(*session, makeRequest(server->url(QStringLiteral("/y")))).succeeded());
    }

    // Refused before anything reaches a socket: schemes other than http and
    // https (file: would read local files), and data that would add headers
    // of its own through a header or the method.
    void refusedBeforeSending_data()
    {
        QTest::addColumn<QString>("url"); // empty: the server's
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("named"); // in the error text; empty: a scheme refused
        QTest::newRow("file") << "file:///etc/hostname" << "GET" << "X-Note" << "" << "";
        QTest::newRow("no host") << "http:///path" << "GET" << "X-Note" << "" << "";
        QTest::newRow("CR LF in value") << "" << "GET" << "X-Note" << "a\r\nX-Injected: 1" << "X-Note";
        QTest::newRow("CR in value") << "" << "GET" << "X-Note" << "a\rb" << "X-Note";
        QTest::newRow("NUL in value") << "" << "GET" << "X-Note" << QStringLiteral("a") + QChar(0) + QStringLiteral("b")
                                      << "X-Note";
        QTest::newRow("colon in name") << "" << "GET" << "X-A: 1" << "1" << "X-A";
        QTest::newRow("method") << "" << "GET / HTTP/1.1\r\nX: 1" << "X-Note" << "fine" << "method";
    }
    void refusedBeforeSending()
    {
        QFETCH(QString, url);
        QFETCH(QString, method);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, named);
        auto server = TestServer::https();
        auto session = server->makeTransport();
        URLRequest request = makeRequest(url.isEmpty() ? server->url(QStringLiteral("/bad")) : QUrl(url), method);
        request.setValue(value, name);
        const auto outcome = fetch(*session, request);
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), named.isEmpty() ? QNetworkReply::ProtocolUnknownError
                                                : QNetworkReply::ProtocolInvalidOperationError);
        QVERIFY2(named.isEmpty() || (error->text().contains(named) && error->text().contains(QLatin1String("nothing was sent"))),
                 qPrintable(error->text()));
        // A good request after it is the first and only one to arrive.
        QVERIFY(fetch(*session, makeRequest(server->url(QStringLiteral("/good")))).finished());
        QCOMPARE(server->requestCount(), 1);
        QCOMPARE(server->lastRequest().path(), QStringLiteral("/good"));
        QCOMPARE(server->connectionCount(), 1);
    }

    void refusesUseFromAnotherThread()
    {
        auto server = TestServer::http();
        auto session = server->makeTransport();
        const URLRequest request = makeRequest(server->url(QStringLiteral("/x")));
        QString text;
        std::thread worker([&] { text = runTask(session->data(request), 5s).errorText(); });
        worker.join();
        QCOMPARE(text, QStringLiteral("The network transport was used outside the thread that made it"));
    }

    // Where a path leads from the base URL, for every verb.
    void resolvesPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // empty: no URL, and nothing to send
        QTest::newRow("relative path below the base's") << "data/items" << "https://h.example/api/v1/data/items";
        QTest::newRow("absolute path replaces the base's") << "/data/items" << "https://h.example/data/items";
        QTest::newRow("dot segments") << "../v2/items" << "https://h.example/api/v2/items";
        QTest::newRow("space") << "data items" << "";
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
        const Person person{QStringLiteral("a"), {1}, std::nullopt, {}};
        const Request json = build(client.makePostRequest(QStringLiteral("p"), person, ContentType::json))
                                 .withHeader(QStringLiteral("X-Token"), QStringLiteral("1"))
                                 .withHeader(QStringLiteral("x-token"), QStringLiteral("2"));
        QCOMPARE(json.urlRequest()->value(QStringLiteral("Authorization")), QStringLiteral("Bearer abc"));
        QCOMPARE(json.urlRequest()->value(QStringLiteral("X-TOKEN")), QStringLiteral("2"));
        QCOMPARE(bodyOf(json), QByteArray(R"({"first_name":"a","ids":[1]})")); // declared order, absent left out
        QCOMPARE(provider->calls, QStringList{"credentials"});

        // On GET and DELETE the body becomes the query, in snake_case; the
        // unencoded pair is parsed, so "+" reads as a space.
        const Request get = Request(QUrl(QStringLiteral("https://h.example/n?z=1")))
                                .withMethod(HttpMethod::delete_)
                                .withBody(Person{QStringLiteral("a+b"), {}, {}, {}}, KeyEncodingStrategy::useDefaultKeys);
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
        QCOMPARE(outcome.value().model->size(), std::size_t(2));
        QCOMPARE(outcome.value().model->at(0).firstName, QStringLiteral("\u00F6re"));
        QVERIFY(std::isnan(*outcome.value().model->at(0).height)); // the configured float texts
        QCOMPARE(server->lastRequest().target, QByteArray("/api/v1/items?page=2"));
        QCOMPARE(output.bytes(), info + "[GET] /api/v1/items page=2 \n" + info + checkMark + " [200] /api/v1/items \n");

        server->enqueue(Answer::json("[1,{\"a\":null}]", 201)); // an empty response takes any JSON
        const Person person{QStringLiteral("a b-c"), {1, 2}, {}, {}};
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

        // The configured timeout reaches the transport.
        Client::Configuration config = configuration(server->baseUrl(), server->makeTransport());
        config.timeout = 0.2;
        server->enqueue(Answer::silent());
        QCOMPARE(runTask(getAndDispatch(Client(config), QStringLiteral("/slow"))).errorText(),
                 QStringLiteral("The server sent nothing for 0.2 seconds (127.0.0.1:%1)").arg(server->port()));
    }

    // Answers and refused tokens: what the client returns, throws and logs,
    // and the provider's calls in order. Only 401 and 403 make it refresh,
    // and the answer to the second send is final whatever it is.
    void dispatch_data()
    {
        QTest::addColumn<Answer>("first");
        QTest::addColumn<QString>("initial");   // empty: no token; "-": no provider
        QTest::addColumn<QString>("refreshed"); // empty: the refresh gives none
        QTest::addColumn<bool>("keepsStored");
        QTest::addColumn<int>("second"); // the status of a second answer, with records
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QByteArrayList>("authorizations"); // per request; "-" for none
        QTest::addColumn<int>("status");                     // at the end; 0: not a known code
        const QStringList once{"credentials"};
        const QStringList refresh{"credentials", "refresh", "store new", "credentials"};
        const QByteArrayList none{"-"};
        const QByteArrayList oldThenNew{"Bearer old", "Bearer new"};
        // Empty bodies are never decoded, even for a type they could not be.
        QTest::newRow("204, empty") << Answer::make(204) << "" << "new" << true << 0 << once << none << 204;
        QTest::newRow("304") << Answer::make(304) << "" << "new" << true << 0 << once << none << 304;
        QTest::newRow("200 with records") << Answer::json(records) << "" << "new" << true << 0 << once << none << 200;
        QTest::newRow("299 is not in the table") << Answer::json("[]", 299) << "" << "new" << true << 0 << once << none << 0;
        QTest::newRow("404") << Answer::json("{}", 404) << "" << "new" << true << 0 << once << none << 404;
        QTest::newRow("401 without provider") << Answer::json("{}", 401) << "-" << "new" << true << 0 << QStringList()
                                              << none << 401;
        QTest::newRow("401 refreshed") << Answer::json("{}", 401) << "old" << "new" << true << 200 << refresh << oldThenNew << 200;
        QTest::newRow("403 refreshed") << Answer::json("{}", 403) << "old" << "new" << true << 200 << refresh << oldThenNew << 200;
        QTest::newRow("refused again") << Answer::json("{}", 401) << "old" << "new" << true << 401 << refresh << oldThenNew << 401;
        QTest::newRow("refresh gives none") << Answer::json("{}", 403) << "old" << "" << true << 0
                                            << QStringList{"credentials", "refresh"} << QByteArrayList{"Bearer old"} << 403;
        QTest::newRow("credentials stay none") << Answer::json("{}", 401) << "" << "new" << false << 204 << refresh
                                               << QByteArrayList{"-", "-"} << 204;
    }
    void dispatch()
    {
        QFETCH(Answer, first);
        QFETCH(QString, initial);
        QFETCH(QString, refreshed);
        QFETCH(bool, keepsStored);
        QFETCH(int, second);
        QFETCH(QStringList, calls);
        QFETCH(QByteArrayList, authorizations);
        QFETCH(int, status);
        auto server = TestServer::https();
        server->enqueue(first);
        server->enqueue(Answer::json(records, second));
        auto provider = std::make_shared<ScriptedCredentials>();
        if (!initial.isEmpty() && initial != QLatin1String("-"))
            provider->current = token(initial);
        if (!refreshed.isEmpty())
            provider->refreshed = token(refreshed);
        provider->keepsStored = keepsStored;
        const Client client(configuration(server->baseUrl(), server->makeTransport(),
                                          initial == QLatin1String("-") ? nullptr : provider));
        CapturedOutput output;
        const auto outcome = runTask(getAndDispatch(client, QStringLiteral("/me")));

        QCOMPARE(provider->calls, calls);
        QCOMPARE(server->requestCount(), authorizations.size());
        for (qsizetype i = 0; i < authorizations.size(); ++i)
            QCOMPARE(server->requests().at(i).header("Authorization").value_or("-"), authorizations.at(i));
        const QByteArray tokenLine = info + "\xF0\x9F\x94\x91 Received new token\n";
        QCOMPARE(output.bytes().contains(tokenLine), authorizations.size() == 2);
        const QByteArray requestLine = info + "[GET] /me  " + (authorizations.first() == "-" ? "" : maskedBearer) + "\n";
        QVERIFY(output.bytes().startsWith(requestLine));
        QCOMPARE(outcome.succeeded(), status > 0 && status < 400);
        if (outcome.succeeded()) {
            QCOMPARE(rawValue(outcome.value().status), status);
            QCOMPARE(outcome.value().model.has_value(), status == 200);
            QVERIFY(output.bytes().endsWith(info + checkMark + " [" + QByteArray::number(status) + "] /me \n"));
            return;
        }
        const auto error = outcome.error<Client::ErrorResponse>();
        QVERIFY2(error, qPrintable(outcome.errorText()));
        QCOMPARE(rawValue(error->status()), status);
        QCOMPARE(error->data(), server->requestCount() == 2 ? records : first.body);
        if (status == 404)
            QCOMPARE(QString::fromUtf8(error->what()), QStringLiteral("Service responded with error (404 notFound)"));
        QVERIFY(!output.bytes().contains(checkMark)); // failures are thrown, not logged
    }

    // A configured token never reaches the log, neither the first one nor
    // the one a refresh brings, while the server gets both.
    void logHidesTheToken()
    {
        auto server = TestServer::https();
        server->enqueue(Answer::json("{}", 401));
        server->enqueue(Answer::json(records));
        auto provider = std::make_shared<ScriptedCredentials>();
        provider->current = token(QStringLiteral("first-s3cret"));
        provider->refreshed = token(QStringLiteral("second-s3cret"));
        const Client client(configuration(server->baseUrl(), server->makeTransport(), provider));
        CapturedOutput output;
        QVERIFY(runTask(getAndDispatch(client, QStringLiteral("/me"))).succeeded());
        QCOMPARE(server->requests().at(0).header("Authorization").value_or("-"), "Bearer first-s3cret");
        QCOMPARE(server->requests().at(1).header("Authorization").value_or("-"), "Bearer second-s3cret");
        QVERIFY(output.bytes().startsWith(info + "[GET] /me  " + maskedBearer + "\n"));
        QVERIFY2(!output.bytes().contains("s3cret"), output.bytes().constData());
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
};

QTEST_GUILESS_MAIN(NetworkTest)
#include "network_test.moc"
