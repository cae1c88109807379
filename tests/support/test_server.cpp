#include "tests/support/test_server.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <zlib.h>

#include <algorithm>

namespace tarimo::test_support {

namespace {

constexpr qsizetype maximumHeadSize = 64 * 1024;
constexpr qint64 maximumRequestBodySize = 64 * 1024 * 1024;
constexpr qint64 pieceSize = 64 * 1024;
constexpr qint64 writeBacklog = 256 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool hasHeader(const HeaderList &headers, QByteArrayView name)
{
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto &field) { return field.first.compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace

std::optional<QByteArray> RecordedRequest::header(QByteArrayView name) const
{
    for (const auto &[field, value] : headers) {
        if (field.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QString RecordedRequest::path() const
{
    const qsizetype question = target.indexOf('?');
    return QUrl::fromPercentEncoding(question < 0 ? target : target.left(question));
}

QByteArray patternBytes(qint64 offset, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char('a' + (offset + i) % 26);
    return bytes;
}

QByteArray gzip(QByteArrayView bytes)
{
    z_stream stream{};
    // 15 window bits, plus 16 for the gzip wrapper.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    out.truncate(qsizetype(stream.total_out));
    return out;
}

Answer Answer::make(int code, QByteArray body)
{
    Answer answer;
    answer.status = code;
    answer.body = std::move(body);
    return answer;
}

Answer Answer::json(QByteArray body, int status)
{
    return Answer::make(status, std::move(body)).withHeader("Content-Type", "application/json");
}

Answer Answer::text(QByteArray body, int status)
{
    return Answer::make(status, std::move(body)).withHeader("Content-Type", "text/plain; charset=utf-8");
}

Answer Answer::redirect(int status, QByteArray location)
{
    return Answer::make(status).withHeader("Location", std::move(location));
}

Answer Answer::rawBytes(QByteArray bytes)
{
    Answer answer;
    answer.raw = std::move(bytes);
    return answer;
}

Answer Answer::generated(qint64 size, int status)
{
    Answer answer = Answer::make(status).withHeader("Content-Type", "application/octet-stream");
    answer.generatedBodySize = size;
    return answer;
}

Answer Answer::withHeader(QByteArray name, QByteArray value) const
{
    Answer answer = *this;
    answer.headers.append({std::move(name), std::move(value)});
    return answer;
}

Answer Answer::withFraming(Framing framing) const
{
    Answer answer = *this;
    answer.framing = framing;
    return answer;
}

Answer Answer::withDeclaredLength(qint64 length) const
{
    Answer answer = *this;
    answer.declaredLength = length;
    return answer;
}

Answer Answer::withDelay(std::chrono::milliseconds delay) const
{
    Answer answer = *this;
    answer.delay = delay;
    return answer;
}

Answer Answer::withTrickle(qint64 bytes, std::chrono::milliseconds interval) const
{
    Answer answer = *this;
    answer.trickleBytes = std::max<qint64>(1, bytes);
    answer.trickleInterval = interval;
    return answer;
}

Answer Answer::withCloseAfterBodyBytes(qint64 bytes) const
{
    Answer answer = *this;
    answer.closeAfterBodyBytes = bytes;
    return answer;
}

Answer Answer::withBrokenChunking() const
{
    Answer answer = withFraming(Framing::chunked);
    answer.brokenChunking = true;
    return answer;
}

Answer Answer::withCloseConnection() const
{
    Answer answer = *this;
    answer.closeConnection = true;
    return answer;
}

// One accepted connection: reads requests one after the other and writes
// each scripted answer, pacing large and trickled bodies by the socket.
class ServerConnection : public QObject
{
public:
    ServerConnection(TestServer *server, QTcpSocket *socket)
        : QObject(server)
        , m_server(server)
        , m_socket(socket)
    {
        m_socket->setParent(this);
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] { onTimer(); });
        connect(m_socket, &QTcpSocket::readyRead, this, [this] { onReadyRead(); });
        connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
            const bool writing = m_stage == Stage::head || m_stage == Stage::body || m_stage == Stage::tail;
            if (writing && m_answer.trickleBytes == 0)
                pump();
        });
        connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
            if (m_socket->state() == QAbstractSocket::UnconnectedState) {
                m_timer.stop();
                m_stage = Stage::closed;
                deleteLater();
            }
        });
        connect(m_socket, &QTcpSocket::disconnected, this, [this] {
            m_timer.stop();
            m_stage = Stage::closed;
            deleteLater();
        });
    }

private:
    enum class Stage { idle, waiting, head, body, tail, closed };

    void onReadyRead()
    {
        const QByteArray data = m_socket->readAll();
        m_server->m_bytesReceived += data.size();
        m_buffer += data;
        if (m_stage == Stage::idle)
            handleBuffered();
    }

    // Parses one complete request from the buffer, if there is one.
    void handleBuffered()
    {
        const qsizetype headEnd = m_buffer.indexOf("\r\n\r\n");
        if (headEnd < 0) {
            if (m_buffer.size() > maximumHeadSize)
                refuse(431);
            return;
        }
        const QList<QByteArray> lines = m_buffer.left(headEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1.")) {
            refuse(400);
            return;
        }
        RecordedRequest request;
        request.method = requestLine[0];
        request.target = requestLine[1];
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) {
                refuse(400);
                return;
            }
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }

        qsizetype consumed = headEnd + 4;
        if (request.header("Transfer-Encoding").value_or(QByteArray()).toLower().contains("chunked")) {
            // Chunk size lines, data, and a last empty chunk; trailers are not read.
            qsizetype pos = consumed;
            for (;;) {
                const qsizetype lineEnd = m_buffer.indexOf("\r\n", pos);
                if (lineEnd < 0)
                    return;
                bool ok = false;
                const qint64 size = m_buffer.mid(pos, lineEnd - pos).split(';').value(0).trimmed().toLongLong(&ok, 16);
                if (!ok || size < 0 || request.body.size() + size > maximumRequestBodySize) {
                    refuse(400);
                    return;
                }
                if (m_buffer.size() < lineEnd + 2 + size + 2)
                    return;
                if (size == 0) {
                    pos = lineEnd + 4;
                    break;
                }
                request.body += m_buffer.mid(lineEnd + 2, size);
                pos = lineEnd + 2 + size + 2;
            }
            consumed = pos;
        } else if (const auto length = request.header("Content-Length")) {
            bool ok = false;
            const qint64 size = length->toLongLong(&ok);
            if (!ok || size < 0 || size > maximumRequestBodySize) {
                refuse(400);
                return;
            }
            if (m_buffer.size() < consumed + size)
                return;
            request.body = m_buffer.mid(consumed, size);
            consumed += size;
        }
        m_buffer.remove(0, consumed);

        m_isHead = request.method == "HEAD";
        Answer answer = m_server->answerFor(request);
        m_server->record(request);
        start(std::move(answer));
    }

    void refuse(int status)
    {
        m_buffer.clear();
        start(Answer::make(status).withCloseConnection());
    }

    void start(Answer answer)
    {
        m_answer = std::move(answer);
        m_bodyOffset = 0;
        m_chunks = 0;
        m_stage = Stage::waiting;
        if (m_answer.delay.count() > 0)
            m_timer.start(m_answer.delay);
        else
            begin();
    }

    void begin()
    {
        if (m_answer.raw) {
            write(*m_answer.raw);
            m_socket->disconnectFromHost();
            return;
        }
        m_stage = Stage::head;
        pump();
    }

    void onTimer()
    {
        if (m_stage == Stage::waiting)
            begin();
        else
            pump();
    }

    bool bodyAllowed() const
    {
        const int status = m_answer.status;
        return !m_isHead && status >= 200 && status != 204 && status != 304;
    }

    QByteArray head() const
    {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(m_answer.status) + ' '
                          + reasonPhrase(m_answer.status) + "\r\n";
        for (const auto &[name, value] : m_answer.headers)
            head += name + ": " + value + "\r\n";
        switch (m_answer.framing) {
        case Answer::Framing::contentLength:
            if (!hasHeader(m_answer.headers, "Content-Length"))
                head += "Content-Length: " + QByteArray::number(m_answer.declaredLength.value_or(m_answer.bodySize()))
                        + "\r\n";
            break;
        case Answer::Framing::chunked:
            head += "Transfer-Encoding: chunked\r\n";
            break;
        case Answer::Framing::untilClose:
            break;
        }
        if (closesAfterAnswer())
            head += "Connection: close\r\n";
        return head + "\r\n";
    }

    bool closesAfterAnswer() const
    {
        return m_answer.closeConnection || m_answer.framing == Answer::Framing::untilClose || m_answer.declaredLength
               || m_answer.closeAfterBodyBytes || m_answer.brokenChunking;
    }

    // The next piece of the answer, at most about `limit` body bytes.
    QByteArray nextPiece(qint64 limit)
    {
        switch (m_stage) {
        case Stage::head:
            m_stage = bodyAllowed() ? Stage::body : Stage::closed;
            if (!bodyAllowed())
                m_finished = true;
            return head();
        case Stage::body: {
            qint64 end = m_answer.bodySize();
            if (m_answer.closeAfterBodyBytes)
                end = std::min(end, *m_answer.closeAfterBodyBytes);
            const bool chunked = m_answer.framing == Answer::Framing::chunked;
            if (chunked && m_answer.brokenChunking && m_chunks == 0)
                limit = std::max<qint64>(1, m_answer.bodySize() / 2);
            const qint64 size = std::min(limit, end - m_bodyOffset);
            if (size <= 0) {
                m_stage = Stage::tail;
                return nextPiece(limit);
            }
            QByteArray bytes = m_answer.generatedBodySize ? patternBytes(m_bodyOffset, size)
                                                          : m_answer.body.mid(m_bodyOffset, size);
            m_bodyOffset += size;
            if (!chunked)
                return bytes;
            const QByteArray sizeLine = (m_answer.brokenChunking && m_chunks > 0) ? QByteArray("zz")
                                                                                 : QByteArray::number(size, 16);
            ++m_chunks;
            return sizeLine + "\r\n" + bytes + "\r\n";
        }
        case Stage::tail:
            m_stage = Stage::closed;
            m_finished = true;
            if (m_answer.framing == Answer::Framing::chunked && !m_answer.brokenChunking
                && !m_answer.closeAfterBodyBytes)
                return "0\r\n\r\n";
            return {};
        default:
            return {};
        }
    }

    void pump()
    {
        while (!m_finished) {
            if (m_answer.trickleBytes == 0 && m_socket->bytesToWrite() > writeBacklog)
                return;
            const bool trickling = m_answer.trickleBytes > 0 && m_stage == Stage::body;
            write(nextPiece(trickling ? m_answer.trickleBytes : pieceSize));
            if (trickling && !m_finished) {
                m_timer.start(m_answer.trickleInterval);
                return;
            }
        }
        m_finished = false;
        if (closesAfterAnswer()) {
            m_stage = Stage::closed;
            m_socket->disconnectFromHost();
            return;
        }
        m_stage = Stage::idle;
        // The next request may already be waiting; not from inside a write.
        QTimer::singleShot(0, this, [this] {
            if (m_stage == Stage::idle)
                handleBuffered();
        });
    }

    void write(const QByteArray &bytes)
    {
        if (bytes.isEmpty())
            return;
        m_socket->write(bytes);
    }

    QPointer<TestServer> m_server;
    QTcpSocket *m_socket;
    QTimer m_timer;
    QByteArray m_buffer;
    Stage m_stage = Stage::idle;
    Answer m_answer;
    qint64 m_bodyOffset = 0;
    int m_chunks = 0;
    bool m_isHead = false;
    bool m_finished = false;
};

TestServer::TestServer(bool https, IssuedCertificate certificate, QSslCertificate authority)
    : m_https(https)
    , m_certificate(std::move(certificate))
    , m_authority(std::move(authority))
{
    if (!listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error(("test server cannot listen: " + errorString()).toStdString());
}

TestServer::~TestServer()
{
    close();
}

std::unique_ptr<TestServer> TestServer::http()
{
    return std::unique_ptr<TestServer>(new TestServer(false, IssuedCertificate(), QSslCertificate()));
}

std::unique_ptr<TestServer> TestServer::https(const IssuedCertificate &certificate, const QSslCertificate &authority)
{
    return std::unique_ptr<TestServer>(new TestServer(true, certificate, authority));
}

QUrl TestServer::baseUrl() const
{
    QUrl url;
    url.setScheme(m_https ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(serverPort());
    return url;
}

QUrl TestServer::url(const QString &pathAndQuery) const
{
    return baseUrl().resolved(QUrl(pathAndQuery));
}

void TestServer::serve(const QString &path, Answer answer)
{
    m_routes.insert(path, std::move(answer));
}

void TestServer::serveJson(const QString &path, QByteArray json)
{
    serve(path, Answer::json(std::move(json)));
}

void TestServer::enqueue(Answer answer)
{
    m_queue.push_back(std::move(answer));
}

void TestServer::setHandler(std::function<std::optional<Answer>(const RecordedRequest &)> handler)
{
    m_handler = std::move(handler);
}

Answer TestServer::answerFor(const RecordedRequest &request)
{
    if (!m_queue.empty()) {
        Answer answer = std::move(m_queue.front());
        m_queue.pop_front();
        return answer;
    }
    if (m_handler) {
        if (auto answer = m_handler(request))
            return *answer;
    }
    const auto route = m_routes.constFind(request.path());
    if (route != m_routes.constEnd())
        return *route;
    return Answer::text("not found", 404);
}

void TestServer::record(const RecordedRequest &request)
{
    m_requests.append(request);
    Q_EMIT requestReceived(request);
}

void TestServer::incomingConnection(qintptr socketDescriptor)
{
    ++m_connectionCount;
    if (m_stalledConnections > 0) {
        --m_stalledConnections;
        auto *stalled = new QTcpSocket(this);
        if (!stalled->setSocketDescriptor(socketDescriptor))
            delete stalled;
        return;
    }
    QTcpSocket *socket = nullptr;
    if (m_https) {
        auto *ssl = new QSslSocket;
        if (!ssl->setSocketDescriptor(socketDescriptor)) {
            delete ssl;
            return;
        }
        ssl->setLocalCertificate(m_certificate.certificate);
        ssl->setPrivateKey(m_certificate.privateKey);
        ssl->setPeerVerifyMode(QSslSocket::VerifyNone);
        ssl->startServerEncryption();
        socket = ssl;
    } else {
        socket = new QTcpSocket;
        if (!socket->setSocketDescriptor(socketDescriptor)) {
            delete socket;
            return;
        }
    }
    // Like a production server: the head is written apart from the body,
    // and Nagle would hold it back for a delayed acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    new ServerConnection(this, socket);
}

bool TestServer::waitForRequests(qsizetype count, std::chrono::milliseconds timeout)
{
    if (m_requests.size() >= count)
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &TestServer::requestReceived, &loop, [&] {
        if (m_requests.size() >= count)
            loop.quit();
    });
    timer.start(timeout);
    loop.exec();
    return m_requests.size() >= count;
}

std::shared_ptr<api_client::URLSession> TestServer::makeTransport(api_client::URLSessionOptions options) const
{
    if (m_https)
        options.extraCaCertificates.append(m_authority);
    return std::make_shared<api_client::URLSession>(std::move(options));
}

} // namespace tarimo::test_support
