#pragma once

#include "api_client/url_session.h"
#include "tests/support/test_certificates.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QUrl>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace tarimo::test_support {

using HeaderList = QList<std::pair<QByteArray, QByteArray>>;

// One request as the server read it.
struct RecordedRequest
{
    QByteArray method;
    // Path and query exactly as sent: "/api/v1/prices/2025/10-26_SE3.json?a=1".
    QByteArray target;
    HeaderList headers;
    QByteArray body;

    // Names compare ignoring case; the first field of that name.
    std::optional<QByteArray> header(QByteArrayView name) const;
    // The decoded path without the query.
    QString path() const;
};

// How the server answers one request. Start from one of the makers and
// adjust with the with... functions, e.g.
//     Answer::json(body).withDelay(200ms).withHeader("ETag", "1")
struct Answer
{
    enum class Framing {
        contentLength, // Content-Length of the body (or declaredLength)
        chunked,       // Transfer-Encoding: chunked
        untilClose,    // no length; the connection closes after the body
    };

    int status = 200;
    HeaderList headers;
    QByteArray body;
    // A body of this many pattern bytes, produced as the socket takes them
    // instead of held in memory (see patternBytes).
    std::optional<qint64> generatedBodySize;
    Framing framing = Framing::contentLength;
    // A Content-Length other than the body's size; the connection closes
    // after the body.
    std::optional<qint64> declaredLength;
    // Waits this long before the first byte of the answer.
    std::chrono::milliseconds delay{0};
    // After the head, sends the body this many bytes at a time with this
    // pause in between.
    qint64 trickleBytes = 0;
    std::chrono::milliseconds trickleInterval{0};
    // Closes the connection once this many body bytes are out.
    std::optional<qint64> closeAfterBodyBytes;
    // Chunked framing whose second chunk-size line is not a number.
    bool brokenChunking = false;
    // Sends these bytes instead of an HTTP answer, then closes.
    std::optional<QByteArray> raw;
    // Sends "Connection: close" and closes after the answer.
    bool closeConnection = false;

    static Answer make(int status, QByteArray body = {});
    static Answer json(QByteArray body, int status = 200);
    static Answer text(QByteArray body, int status = 200);
    static Answer redirect(int status, QByteArray location);
    static Answer rawBytes(QByteArray bytes);
    static Answer generated(qint64 size, int status = 200);

    Answer withHeader(QByteArray name, QByteArray value) const;
    Answer withFraming(Framing framing) const;
    Answer withDeclaredLength(qint64 length) const;
    Answer withDelay(std::chrono::milliseconds delay) const;
    Answer withTrickle(qint64 bytes, std::chrono::milliseconds interval) const;
    Answer withCloseAfterBodyBytes(qint64 bytes) const;
    Answer withBrokenChunking() const;
    Answer withCloseConnection() const;

    qint64 bodySize() const { return generatedBodySize.value_or(body.size()); }
};

// The bytes of a generated body from offset on: a repeating a-z pattern.
QByteArray patternBytes(qint64 offset, qint64 size);

// The bytes in gzip form, for an answer with "Content-Encoding: gzip".
QByteArray gzip(QByteArrayView bytes);

class ServerConnection;

// An HTTP/1.1 server on 127.0.0.1 (an ephemeral port) that answers from a
// script and records every request. The HTTPS variant presents a certificate
// of a test authority that nothing trusts unless a test says so.
//
// Answers are chosen in this order: the queue (enqueue), the handler
// (setHandler), the path routes (serve); anything else gets 404.
//
// It lives in the thread that made it and works while that thread's event
// loop runs (QTest::qWait, runTask, a nested loop).
class TestServer : public QTcpServer
{
    Q_OBJECT

public:
    static std::unique_ptr<TestServer> http();
    static std::unique_ptr<TestServer> https(
        const IssuedCertificate &certificate = TestCertificateAuthority::shared().loopbackCertificate(),
        const QSslCertificate &authority = TestCertificateAuthority::shared().certificate());
    ~TestServer() override;

    quint16 port() const { return serverPort(); }
    // "https://127.0.0.1:<port>" (no path): a base URL for a client.
    QUrl baseUrl() const;
    // The server's URL for a path with optional query, "/api/items?a=1".
    QUrl url(const QString &pathAndQuery = QStringLiteral("/")) const;

    // Every request for this path (query ignored) gets the answer.
    void serve(const QString &path, Answer answer);
    void serveJson(const QString &path, QByteArray json);
    // The next request, whatever its path, gets the answer.
    void enqueue(Answer answer);
    void setHandler(std::function<std::optional<Answer>(const RecordedRequest &)> handler);

    QList<RecordedRequest> requests() const { return m_requests; }
    qsizetype requestCount() const { return m_requests.size(); }
    RecordedRequest lastRequest() const { return m_requests.value(m_requests.size() - 1); }
    // TCP connections accepted, and bytes read from all of them.
    int connectionCount() const { return m_connectionCount; }
    qint64 bytesReceived() const { return m_bytesReceived; }

    // The next `count` connections are accepted and then left alone: no TLS
    // handshake, nothing read or written, for as long as the server lives.
    void stallConnections(int count) { m_stalledConnections = count; }

    // Runs the event loop until this many requests arrived or time ran out.
    bool waitForRequests(qsizetype count, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // A transport of its own (fresh network manager) that trusts this
    // server's authority.
    std::shared_ptr<api_client::URLSession> makeTransport(api_client::URLSessionOptions options = {}) const;

Q_SIGNALS:
    void requestReceived(const tarimo::test_support::RecordedRequest &request);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    friend class ServerConnection;
    TestServer(bool https, IssuedCertificate certificate, QSslCertificate authority);
    Answer answerFor(const RecordedRequest &request);
    void record(const RecordedRequest &request);

    bool m_https;
    IssuedCertificate m_certificate;
    QSslCertificate m_authority;
    std::deque<Answer> m_queue;
    std::function<std::optional<Answer>(const RecordedRequest &)> m_handler;
    QMap<QString, Answer> m_routes;
    QList<RecordedRequest> m_requests;
    int m_connectionCount = 0;
    int m_stalledConnections = 0;
    qint64 m_bytesReceived = 0;
};

} // namespace tarimo::test_support
