#include "api_client/url_session.h"
#include "tests/support/run_task.h"
#include "tests/support/test_server.h"

#include <QNetworkAccessManager>
#include <QTest>

#include <thread>

Q_DECLARE_METATYPE(tarimo::test_support::Answer)

using namespace tarimo::api_client;
using namespace tarimo::test_support;
using namespace std::chrono_literals;

namespace {

URLRequest makeRequest(const QUrl &url, const QString &method = QStringLiteral("GET"),
                       std::optional<QByteArray> body = std::nullopt, double timeout = 5)
{
    URLRequest request(url);
    request.httpMethod = method;
    request.httpBody = std::move(body);
    request.timeoutInterval = timeout;
    return request;
}

Outcome<TransferResult> fetch(URLSessionProvider &session, URLRequest request)
{
    return runTask(session.data(std::move(request)), 20s);
}

} // namespace

// Declares `error`, the TransportError the outcome failed with, or fails the test.
#define REQUIRE_TRANSPORT_ERROR(outcome)                                                                             \
    const auto error = (outcome).error<TransportError>();                                                            \
    QVERIFY2(error, qPrintable((outcome).errorText()))

class URLSessionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendsMethodHeadersAndBody_data()
    {
        QTest::addColumn<bool>("https");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("hasBody");
        QTest::newRow("GET") << true << "GET" << QByteArray() << false;
        QTest::newRow("GET over http") << false << "GET" << QByteArray() << false;
        QTest::newRow("POST") << true << "POST" << QByteArray("first_name=a%20b") << true;
        QTest::newRow("PUT") << true << "PUT" << QByteArray("{\"a\":1}") << true;
        QTest::newRow("DELETE") << true << "DELETE" << QByteArray() << false;
        QTest::newRow("DELETE with body") << true << "DELETE" << QByteArray("x=1") << true;
        QTest::newRow("PATCH") << false << "PATCH" << QByteArray("{}") << true;
        QTest::newRow("POST, empty body") << true << "POST" << QByteArray("") << true;
    }
    void sendsMethodHeadersAndBody()
    {
        QFETCH(bool, https);
        QFETCH(QString, method);
        QFETCH(QByteArray, body);
        QFETCH(bool, hasBody);

        auto server = https ? TestServer::https() : TestServer::http();
        server->serve(QStringLiteral("/data/items"),
                      Answer::json("{\"ok\":true}", 201).withHeader("X-Answer", "yes"));
        auto session = server->makeTransport();

        URLRequest request = makeRequest(server->url(QStringLiteral("/data/items?a=1&b=x%20y")), method,
                                         hasBody ? std::optional(body) : std::nullopt);
        request.setValue(QStringLiteral("application/json"), QStringLiteral("Accept"));
        request.setValue(QStringLiteral("Bearer t0k"), QStringLiteral("Authorization"));
        request.setValue(QStringLiteral("a\tb"), QStringLiteral("X-Note")); // a tab is no line break
        const auto outcome = fetch(*session, request);

        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        QCOMPARE(outcome.value().data, QByteArray("{\"ok\":true}"));
        QCOMPARE(outcome.value().response.statusCode, 201);
        QCOMPARE(outcome.value().response.value("x-answer"), QByteArray("yes"));
        QCOMPARE(outcome.value().response.url, request.url);

        QCOMPARE(server->requestCount(), 1);
        const RecordedRequest received = server->lastRequest();
        QCOMPARE(received.method, method.toLatin1());
        QCOMPARE(received.target, QByteArray("/data/items?a=1&b=x%20y"));
        QCOMPARE(received.body, body);
        QCOMPARE(received.header("Accept"), QByteArray("application/json"));
        QCOMPARE(received.header("Authorization"), QByteArray("Bearer t0k"));
        QCOMPARE(received.header("X-Note"), QByteArray("a\tb"));
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
        const TestCertificateAuthority stranger(QStringLiteral("Stranger CA"));
        std::unique_ptr<TestServer> server;
        if (problem == QLatin1String("stranger"))
            server = TestServer::https(stranger.loopbackCertificate(), stranger.certificate());
        else if (problem == QLatin1String("wrong host"))
            server = TestServer::https(authority.issue({QStringLiteral("wrong.example")}), authority.certificate());
        else
            server = TestServer::https();
        URLSessionOptions options;
        if (problem != QLatin1String("untrusted"))
            options.extraCaCertificates = {authority.certificate()};
        URLSession session(options);

        const auto outcome = fetch(session, makeRequest(server->url(QStringLiteral("/x"))));
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), QNetworkReply::SslHandshakeFailedError);
        QVERIFY2(error->text().contains(reason), qPrintable(error->text()));
        QCOMPARE(server->requestCount(), 0);
    }

    void refusesRedirectFromHttpsToHttp()
    {
        auto secure = TestServer::https();
        auto plain = TestServer::http();
        secure->enqueue(Answer::redirect(302, plain->url(QStringLiteral("/insecure")).toEncoded()));
        auto session = secure->makeTransport();

        const auto outcome = fetch(*session, makeRequest(secure->url(QStringLiteral("/start"))));
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), QNetworkReply::InsecureRedirectError);
        QCOMPARE(plain->requestCount(), 0);
    }

    void followsAtMostFiveRedirects_data()
    {
        QTest::addColumn<int>("hops");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("five") << 5 << true;
        QTest::newRow("six") << 6 << false;
    }
    void followsAtMostFiveRedirects()
    {
        QFETCH(int, hops);
        QFETCH(bool, succeeds);
        auto server = TestServer::https();
        for (int hop = 0; hop < hops; ++hop)
            server->serve(QStringLiteral("/hop%1").arg(hop),
                          Answer::redirect(301 + (hop % 2), QStringLiteral("/hop%1").arg(hop + 1).toLatin1()));
        server->serve(QStringLiteral("/hop%1").arg(hops), Answer::json("\"arrived\""));
        auto session = server->makeTransport();

        const auto outcome = fetch(*session, makeRequest(server->url(QStringLiteral("/hop0"))));
        if (succeeds) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(outcome.value().data, QByteArray("\"arrived\""));
            QCOMPARE(outcome.value().response.url, server->url(QStringLiteral("/hop%1").arg(hops)));
        } else {
            REQUIRE_TRANSPORT_ERROR(outcome);
            QCOMPARE(error->code(), QNetworkReply::TooManyRedirectsError);
            QCOMPARE(server->requestCount(), 6);
        }
    }

    void authorizationStaysWithItsOrigin_data()
    {
        QTest::addColumn<bool>("sameOrigin");
        QTest::newRow("same origin keeps it") << true;
        QTest::newRow("other origin loses it") << false;
    }
    void authorizationStaysWithItsOrigin()
    {
        QFETCH(bool, sameOrigin);
        auto first = TestServer::http();
        auto second = TestServer::http(); // another port is another origin
        TestServer &target = sameOrigin ? *first : *second;
        target.serve(QStringLiteral("/target"), Answer::json("{}"));
        first->serve(QStringLiteral("/start"), Answer::redirect(307, target.url(QStringLiteral("/target")).toEncoded()));
        auto session = first->makeTransport();

        URLRequest request = makeRequest(first->url(QStringLiteral("/start")));
        request.setValue(QStringLiteral("Bearer secret"), QStringLiteral("Authorization"));
        request.setValue(QStringLiteral("kept"), QStringLiteral("X-Other"));
        const auto outcome = fetch(*session, request);
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));

        const RecordedRequest arrived = target.lastRequest();
        QCOMPARE(arrived.path(), QStringLiteral("/target"));
        QCOMPARE(arrived.header("Authorization").has_value(), sameOrigin);
        QCOMPARE(arrived.header("X-Other"), QByteArray("kept"));
    }

    void redirectMethodRules_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("303 turns POST into GET") << 303 << QByteArray("GET") << QByteArray();
        QTest::newRow("302 turns POST into GET") << 302 << QByteArray("GET") << QByteArray();
        QTest::newRow("307 keeps POST and body") << 307 << QByteArray("POST") << QByteArray("a=1");
        QTest::newRow("308 keeps POST and body") << 308 << QByteArray("POST") << QByteArray("a=1");
    }
    void redirectMethodRules()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, body);
        auto server = TestServer::http();
        server->serve(QStringLiteral("/form"), Answer::redirect(status, "/done"));
        server->serve(QStringLiteral("/done"), Answer::json("{}"));
        auto session = server->makeTransport();

        URLRequest request = makeRequest(server->url(QStringLiteral("/form")), QStringLiteral("POST"), "a=1");
        request.setValue(QStringLiteral("application/x-www-form-urlencoded"), QStringLiteral("Content-Type"));
        const auto outcome = fetch(*session, request);
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
        QCOMPARE(server->requestCount(), 2);
        QCOMPARE(server->lastRequest().method, method);
        QCOMPARE(server->lastRequest().body, body);
        QCOMPARE(server->lastRequest().header("Content-Type").has_value(), !body.isEmpty());
    }

    // One request, one scripted answer: what arrives, or how it fails.
    void oneAnswer_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("method");
        QTest::addColumn<double>("timeout");
        QTest::addColumn<qint64>("cap"); // 0: the default
        QTest::addColumn<int>("error");  // QNetworkReply::NoError: success; -1: any error
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("errorText"); // %1: the server's port; empty: any
        const int ok = QNetworkReply::NoError;
        const int timedOut = QNetworkReply::TimeoutError;
        const QByteArray no = "{\"message\":\"no\"}";
        // Qt marks 4xx and 5xx answers as errors, and may hold back one with
        // a challenge; they are still whole answers with their bodies.
        for (const int status : {299, 400, 401, 402, 403, 404, 405, 409, 410, 418, 422, 429, 451, 500, 501, 502,
                                 503, 504, 511, 599})
            QTest::addRow("%d", status) << Answer::json(no, status).withHeader("WWW-Authenticate", "Bearer") << "GET"
                                        << 5.0 << qint64(0) << ok << no << "";
        QTest::newRow("204") << Answer::make(204) << "GET" << 5.0 << qint64(0) << ok << QByteArray() << "";
        QTest::newRow("200 empty") << Answer::make(200) << "GET" << 5.0 << qint64(0) << ok << QByteArray() << "";
        QTest::newRow("304") << Answer::make(304) << "GET" << 5.0 << qint64(0) << ok << QByteArray() << "";
        // A HEAD answer announces a length but sends no body.
        QTest::newRow("HEAD") << Answer::text("twelve bytes") << "HEAD" << 5.0 << qint64(0) << ok << QByteArray() << "";

        // The timeout counts idle time; the deadline (4 x the timeout) bounds
        // a transfer that never idles that long.
        QTest::newRow("silent server") << Answer::json("{}").withDelay(5s) << "GET" << 0.3 << qint64(0) << timedOut
                                       << QByteArray() << "The server sent nothing for 0.3 seconds (127.0.0.1:%1)";
        QTest::newRow("endless trickle") << Answer::text(QByteArray(100, 'x')).withTrickle(1, 100ms) << "GET" << 0.3
                                         << qint64(0) << timedOut << QByteArray()
                                         << "The answer did not complete within 1.2 seconds (127.0.0.1:%1)";
        QTest::newRow("steady trickle, longer than the timeout")
            << Answer::text("12345678").withTrickle(1, 100ms) << "GET" << 0.5 << qint64(0) << ok
            << QByteArray("12345678") << "";

        const QString tooLarge = QStringLiteral("The answer is too large (more than 1000 bytes)");
        QTest::newRow("declared too large") << Answer::generated(1001) << "GET" << 5.0 << qint64(1000) << -1
                                            << QByteArray() << tooLarge;
        QTest::newRow("chunked too large") << Answer::generated(1001).withFraming(Answer::Framing::chunked) << "GET"
                                           << 5.0 << qint64(1000) << -1 << QByteArray() << tooLarge;
        QTest::newRow("until close too large") << Answer::generated(50000).withFraming(Answer::Framing::untilClose)
                                               << "GET" << 5.0 << qint64(1000) << -1 << QByteArray() << tooLarge;
        // Qt reads the declared ten bytes and no more.
        QTest::newRow("declared small, sent large")
            << Answer::generated(5000).withDeclaredLength(10).withFraming(Answer::Framing::contentLength) << "GET"
            << 5.0 << qint64(1000) << ok << patternBytes(0, 10) << "";
        QTest::newRow("exactly at the cap") << Answer::generated(1000) << "GET" << 5.0 << qint64(1000) << ok
                                            << patternBytes(0, 1000) << "";
        QTest::newRow("chunked at the cap") << Answer::generated(1000).withFraming(Answer::Framing::chunked) << "GET"
                                            << 5.0 << qint64(1000) << ok << patternBytes(0, 1000) << "";
        QTest::newRow("default cap is 16 MiB")
            << Answer::generated(16 * 1024 * 1024 + 1).withFraming(Answer::Framing::untilClose) << "GET" << 5.0
            << qint64(0) << -1 << QByteArray() << "The answer is too large (more than 16777216 bytes)";

        // A body cut short is never handed on as whole.
        QTest::newRow("closed early") << Answer::text(QByteArray(2000, 'x')).withCloseAfterBodyBytes(700) << "GET"
                                      << 5.0 << qint64(0) << -1 << QByteArray() << "";
        QTest::newRow("longer Content-Length") << Answer::text("short").withDeclaredLength(50) << "GET" << 5.0
                                               << qint64(0) << -1 << QByteArray() << "";
        QTest::newRow("broken chunk size") << Answer::text(QByteArray(100, 'x')).withBrokenChunking() << "GET" << 5.0
                                           << qint64(0) << -1 << QByteArray() << "";
        QTest::newRow("chunked, closed before the last chunk")
            << Answer::text(QByteArray(2000, 'x')).withFraming(Answer::Framing::chunked).withCloseAfterBodyBytes(700)
            << "GET" << 5.0 << qint64(0) << -1 << QByteArray() << "";
        QTest::newRow("conflicting lengths")
            << Answer::text("hello").withHeader("Content-Length", "5").withHeader("Content-Length", "7").withCloseConnection()
            << "GET" << 5.0 << qint64(0) << -1 << QByteArray() << "";
        QTest::newRow("error status, closed early")
            << Answer::text(QByteArray(2000, 'x'), 404).withCloseAfterBodyBytes(700) << "GET" << 5.0 << qint64(0) << -1
            << QByteArray() << "";

        // Qt drops a head with a field over 100 KiB whole and reads on as if
        // it had no fields; below that, the head is capped at 64 KiB.
        QTest::newRow("huge header line") << Answer::json("[1]").withHeader("X-Huge", QByteArray(1 << 20, 'h')) << "GET"
                                          << 5.0 << qint64(0) << -1 << QByteArray()
                                          << "The answer's head could not be read: too large or malformed (127.0.0.1:%1)";
        QTest::newRow("head over 64 KiB") << Answer::json("[1]").withHeader("X-Big", QByteArray(70000, 'h')) << "GET"
                                          << 5.0 << qint64(0) << -1 << QByteArray()
                                          << "The answer's head is too large (more than 65536 bytes)";

        // The cap counts what the body grows to, not what the wire carries.
        const QByteArray json = "[{\"SEK_per_kWh\":0.5}]";
        const QByteArray packed = gzip(json);
        QTest::newRow("gzip") << Answer::json(packed).withHeader("Content-Encoding", "gzip") << "GET" << 5.0
                              << qint64(json.size()) << ok << json << "";
        QTest::newRow("gzip bomb") << Answer::json(gzip(QByteArray(1 << 20, '0'))).withHeader("Content-Encoding", "gzip")
                                   << "GET" << 5.0 << qint64(65536) << -1 << QByteArray()
                                   << "The answer is too large (more than 65536 bytes)";
        QTest::newRow("fake gzip") << Answer::json(json).withHeader("Content-Encoding", "gzip") << "GET" << 5.0
                                   << qint64(0) << -1 << QByteArray()
                                   << "The answer claims gzip encoding, but its body is not gzip (incorrect header "
                                      "check) (127.0.0.1:%1)";
        QTest::newRow("gzip cut short") << Answer::json(packed.chopped(12)).withHeader("Content-Encoding", "gzip")
                                        << "GET" << 5.0 << qint64(0) << -1 << QByteArray()
                                        << "The answer was cut short: its compressed body ends early (127.0.0.1:%1)";
        QTest::newRow("coding not asked for") << Answer::json(json).withHeader("Content-Encoding", "br") << "GET" << 5.0
                                              << qint64(0) << -1 << QByteArray()
                                              << "The answer is encoded as \"br\", which was not asked for (127.0.0.1:%1)";
    }
    void oneAnswer()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, method);
        QFETCH(double, timeout);
        QFETCH(qint64, cap);
        QFETCH(int, error);
        QFETCH(QByteArray, body);
        QFETCH(QString, errorText);
        auto server = TestServer::https();
        server->enqueue(answer);
        URLSessionOptions options;
        if (cap)
            options.maximumBodySize = cap;
        auto session = server->makeTransport(options);

        const auto outcome = fetch(*session, makeRequest(server->url(QStringLiteral("/x")), method, std::nullopt, timeout));
        if (error == QNetworkReply::NoError) {
            QVERIFY2(outcome.succeeded(), qPrintable(outcome.errorText()));
            QCOMPARE(outcome.value().response.statusCode, answer.status);
            QCOMPARE(outcome.value().data, body);
            return;
        }
        const auto failure = outcome.error<TransportError>();
        // Qt reads a chunk-size line that is not a number as the last chunk
        // and reports the body up to there as whole; nothing above Qt can
        // see the framing. Kept here so that a Qt that mends it shows up.
        QEXPECT_FAIL("broken chunk size", "Qt 6.4 takes a chunk size that is not a number for the last chunk", Abort);
        QVERIFY2(failure, qPrintable(outcome.succeeded() ? QStringLiteral("a short body was handed on as whole")
                                                         : outcome.errorText()));
        if (error > 0)
            QCOMPARE(int(failure->code()), error);
        else
            QVERIFY(failure->code() != QNetworkReply::NoError);
        if (!errorText.isEmpty())
            QCOMPARE(failure->text(), errorText.replace(QLatin1String("%1"), QString::number(server->port())));
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
        const auto given_up = runTask(std::move(stalled), 20s);
        QCOMPARE(given_up.errorText(),
                 QStringLiteral("The server sent nothing for 0.5 seconds (127.0.0.1:%1)").arg(server->port()));

        const auto next = fetch(*session, makeRequest(server->url(QStringLiteral("/x"))));
        QVERIFY2(next.succeeded(), qPrintable(next.errorText()));
        QCOMPARE(next.value().data, QByteArray("[1]"));
    }

    // As on the way out of the application: a transfer in flight is
    // dropped without a trace, and later ones fail.
    void closeDropsEverything()
    {
        auto server = TestServer::https();
        server->enqueue(Answer::json("{}").withDelay(5s));
        auto session = server->makeTransport();
        auto inFlight = session->data(makeRequest(server->url(QStringLiteral("/x")), QStringLiteral("GET"), {}, 0.2));
        QVERIFY(server->waitForRequests(1));

        session->close();
        QTest::qWait(400); // its idle timeout passes with its reply gone
        QVERIFY(!inFlight.isReady());
        const auto later = fetch(*session, makeRequest(server->url(QStringLiteral("/x"))));
        QCOMPARE(later.errorText(), QStringLiteral("The network transport is no longer available"));
    }

    void connectionRefused()
    {
        quint16 port = 0;
        {
            auto server = TestServer::http();
            port = server->port();
        }
        URLSession session;
        const auto outcome = fetch(session, makeRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port))));
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), QNetworkReply::ConnectionRefusedError);
        QCOMPARE(error->text(), QStringLiteral("Connection refused (127.0.0.1:%1)").arg(port));
    }

    // Qt sends the request again a few times and then gives up: an answer
    // that is not HTTP never reaches the client as a response.
    void nonHttpAnswer()
    {
        auto server = TestServer::http();
        server->setHandler([](const RecordedRequest &) { return Answer::rawBytes("SSH-2.0-OpenSSH_9.2\r\n"); });
        auto session = server->makeTransport();
        const auto outcome = fetch(*session, makeRequest(server->url(QStringLiteral("/x"))));
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), QNetworkReply::RemoteHostClosedError);
        QVERIFY(server->requestCount() >= 1);
    }

    void onlyHttpAndHttps_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("file") << QUrl(QStringLiteral("file:///etc/hostname"));
        QTest::newRow("data") << QUrl(QStringLiteral("data:text/plain,hello"));
        QTest::newRow("no host") << QUrl(QStringLiteral("http:///path"));
        QTest::newRow("empty") << QUrl();
    }
    void onlyHttpAndHttps()
    {
        QFETCH(QUrl, url);
        URLSession session;
        const auto outcome = fetch(session, makeRequest(url));
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), QNetworkReply::ProtocolUnknownError);
    }

    // Data that ends up in a header must not be able to add headers of its
    // own: such a request fails before anything reaches the socket.
    void refusesHeaderInjection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("named");
        QTest::newRow("CR LF in value") << "X-Note" << "a\r\nX-Injected: 1" << "GET" << "X-Note";
        QTest::newRow("LF in value") << "X-Note" << "a\nb" << "GET" << "X-Note";
        QTest::newRow("CR in value") << "X-Note" << "a\rb" << "GET" << "X-Note";
        QTest::newRow("NUL in value") << "X-Note" << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << "GET"
                                      << "X-Note";
        QTest::newRow("CR LF in name") << "X-A\r\nX-B" << "1" << "GET" << "X-A";
        QTest::newRow("colon in name") << "X-A: 1" << "1" << "GET" << "X-A";
        QTest::newRow("method") << "X-Note" << "fine" << "GET / HTTP/1.1\r\nX: 1" << "method";
    }
    void refusesHeaderInjection()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, method);
        QFETCH(QString, named);
        auto server = TestServer::https();
        auto session = server->makeTransport();
        URLRequest request = makeRequest(server->url(QStringLiteral("/x")), method);
        request.setValue(value, name);

        const auto outcome = fetch(*session, request);
        REQUIRE_TRANSPORT_ERROR(outcome);
        QCOMPARE(error->code(), QNetworkReply::ProtocolInvalidOperationError);
        QVERIFY2(error->text().contains(named), qPrintable(error->text()));
        QVERIFY2(error->text().contains(QLatin1String("nothing was sent")), qPrintable(error->text()));
        QTest::qWait(100); // a connection, if one was opened, would have arrived
        QCOMPARE(server->connectionCount(), 0);
        QCOMPARE(server->bytesReceived(), 0);
    }

    void completionCases()
    {
        URLResponse response;
        response.statusCode = 200;
        const TransportError error(QNetworkReply::ContentNotFoundError, QStringLiteral("not found"));

        // Body and response win over an error passed alongside.
        const TransferResult both = completeDataTask(QByteArray("body"), response, error);
        QCOMPARE(both.data, QByteArray("body"));
        QCOMPARE(both.response.statusCode, 200);

        try {
            completeDataTask(std::nullopt, std::nullopt, error);
            QFAIL("the error was not thrown");
        } catch (const TransportError &thrown) {
            QCOMPARE(thrown.code(), QNetworkReply::ContentNotFoundError);
            QCOMPARE(thrown.text(), QStringLiteral("not found"));
        }

        for (const bool withBody : {false, true}) {
            try {
                completeDataTask(withBody ? std::optional(QByteArray("x")) : std::nullopt, std::nullopt, std::nullopt);
                QFAIL("neither response nor error was accepted");
            } catch (const TransportError &thrown) {
                QCOMPARE(thrown.code(), QNetworkReply::ProtocolFailure);
                QVERIFY(thrown.text().contains(QLatin1String("bad server response")));
            }
        }
    }

    void refusesUseFromAnotherThread()
    {
        auto server = TestServer::http();
        auto session = server->makeTransport();
        const URLRequest request = makeRequest(server->url(QStringLiteral("/x")));
        QString text;
        std::thread worker([&] { text = runTask(session->data(request), 5s).errorText(); });
        worker.join();
        QVERIFY2(text.contains(QLatin1String("outside the thread")), qPrintable(text));
        QCOMPARE(server->connectionCount(), 0);
    }
};

QTEST_GUILESS_MAIN(URLSessionTest)
#include "url_session_test.moc"
