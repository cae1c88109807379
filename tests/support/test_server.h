#pragma once

#include "api_client/url_session.h"

#include <QSslKey>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

namespace tarimo::test_support {

struct IssuedCertificate
{
    QSslCertificate certificate;
    QSslKey privateKey;
};

// A certificate authority made at test time with the openssl tool (EC P-256
// keys, valid for `days` from now). Nothing it signs is trusted anywhere unless a
// test hands its certificate to a transport.
class TestCertificateAuthority
{
public:
    explicit TestCertificateAuthority(const QString &commonName = QStringLiteral("Tarimo Test CA"), int days = 2);
    // One per process, made on first use.
    static const TestCertificateAuthority &shared()
    {
        static const TestCertificateAuthority authority;
        return authority;
    }

    QSslCertificate certificate() const { return m_certificate; }
    // A server certificate for these host names and IP addresses.
    IssuedCertificate issue(const QStringList &dnsNames, const QStringList &ipAddresses = {}) const;
    // For 127.0.0.1 and localhost; made once per authority.
    const IssuedCertificate &loopbackCertificate() const
    {
        if (!m_loopback)
            m_loopback = std::make_unique<IssuedCertificate>(issue({"localhost"}, {"127.0.0.1"}));
        return *m_loopback;
    }

private:
    std::unique_ptr<QTemporaryDir> m_directory = std::make_unique<QTemporaryDir>();
    int m_days;
    QSslCertificate m_certificate;
    mutable std::unique_ptr<IssuedCertificate> m_loopback;
    mutable int m_issued = 0;
};

using HeaderList = QList<std::pair<QByteArray, QByteArray>>;

// One request as the server read it.
struct RecordedRequest
{
    QByteArray method;
    QByteArray target; // path and query as sent: "/api/items?a=1"
    HeaderList headers;
    QByteArray body;

    // The first field of that name, which compares ignoring case.
    std::optional<QByteArray> header(QByteArrayView name) const
    {
        for (const auto &[field, value] : headers)
            if (field.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return std::nullopt;
    }
    // The decoded path without the query.
    QString path() const { return QUrl::fromPercentEncoding(target.split('?').value(0)); }
};

// How the server answers one request: a maker adjusted by the with...
// functions, e.g. Answer::json(body).withHeader("ETag", "1").
struct Answer
{
    int status = 200;
    HeaderList headers;
    QByteArray body;
    // No Content-Length of the server's own: the connection closes after the
    // body, which ends early if the answer's headers declare a longer one.
    bool untilClose = false;
    std::chrono::milliseconds delay{0};
    // Never answers: the connection stays open and silent.
    bool held = false;
    // Sends the body this many bytes per turn of the event loop: a server
    // that never falls silent, however long the body takes.
    qint64 trickleBytes = 0;

    static Answer make(int status, QByteArray body = {}) { return Answer{status, {}, body}; }
    static Answer json(QByteArray body, int status = 200) { return make(status, body).withHeader("Content-Type", "application/json"); }
    static Answer text(QByteArray body, int status = 200) { return make(status, body).withHeader("Content-Type", "text/plain"); }
    static Answer redirect(int status, QByteArray location) { return make(status).withHeader("Location", location); }
    static Answer generated(qint64 size) { return make(200, QByteArray(size, 'x')); }
    static Answer silent() { return Answer().with(&Answer::held, true); }
    Answer withHeader(QByteArray name, QByteArray value) const { return with(&Answer::headers, headers + HeaderList{{name, value}}); }
    Answer withDelay(std::chrono::milliseconds wait) const { return with(&Answer::delay, wait); }

    template<class Field, class Value>
    Answer with(Field Answer::*field, Value value) const
    {
        Answer answer = *this;
        answer.*field = std::move(value);
        return answer;
    }
};

// An HTTP/1.1 server on 127.0.0.1 (an ephemeral port) that answers from a
// script and records every request; the HTTPS one presents a certificate of
// a test authority that nothing trusts unless a test says so. Answers come
// from the queue (enqueue), else the handler, else the path routes (serve),
// else 404. It works while its thread's event loop runs.
class TestServer : public QTcpServer
{
public:
    static std::unique_ptr<TestServer> http() { return std::unique_ptr<TestServer>(new TestServer(false)); }
    static std::unique_ptr<TestServer> https(
        const IssuedCertificate &certificate = TestCertificateAuthority::shared().loopbackCertificate(),
        const QSslCertificate &authority = TestCertificateAuthority::shared().certificate())
    {
        return std::unique_ptr<TestServer>(new TestServer(true, certificate, authority));
    }

    // Its connections go first: closing, they still count on the server.
    ~TestServer() override { qDeleteAll(findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly)); }

    quint16 port() const { return serverPort(); }
    QUrl baseUrl() const { return QUrl(QStringLiteral("%1://127.0.0.1:%2").arg(m_https ? "https" : "http").arg(port())); }
    QUrl url(const QString &pathAndQuery = QStringLiteral("/")) const { return baseUrl().resolved(QUrl(pathAndQuery)); }

    // Every request for this path (query ignored) gets the answer.
    void serve(const QString &path, const Answer &answer) { m_routes.insert(path, answer); }
    void serveJson(const QString &path, const QByteArray &json) { serve(path, Answer::json(json)); }
    // The next request, whatever its path, gets the answer.
    void enqueue(const Answer &answer) { m_queue.push_back(answer); }
    void setHandler(std::function<std::optional<Answer>(const RecordedRequest &)> handler) { m_handler = handler; }

    QList<RecordedRequest> requests() const { return m_requests; }
    qsizetype requestCount() const { return m_requests.size(); }
    RecordedRequest lastRequest() const { return m_requests.value(m_requests.size() - 1); }
    // TCP connections accepted, and those closed since by either side.
    int connectionCount() const { return m_connectionCount; }
    int closedCount() const { return m_closedCount; }
    // The next `count` connections are accepted and then left alone: no TLS
    // handshake, nothing read or written, for as long as the server lives.
    void stallConnections(int count) { m_stalledConnections = count; }

    // Runs the event loop until this many requests arrived or time ran out.
    bool waitForRequests(qsizetype count, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        return QTest::qWaitFor([&] { return m_requests.size() >= count; }, int(timeout.count()));
    }
    // A transport of its own (fresh network manager) that trusts this server.
    std::shared_ptr<api_client::URLSession> makeTransport(api_client::URLSessionOptions options = {}) const;

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    explicit TestServer(bool https, IssuedCertificate certificate = IssuedCertificate(),
                        QSslCertificate authority = QSslCertificate());
    static void send(QTcpSocket *socket, const Answer &answer, qsizetype offset);

    bool m_https;
    IssuedCertificate m_certificate;
    QSslCertificate m_authority;
    QList<Answer> m_queue;
    std::function<std::optional<Answer>(const RecordedRequest &)> m_handler;
    QMap<QString, Answer> m_routes;
    QList<RecordedRequest> m_requests;
    int m_connectionCount = 0, m_closedCount = 0, m_stalledConnections = 0;
};

} // namespace tarimo::test_support
