#include "api_client/url_session.h"

#include "api_client/content_decoder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslError>
#include <QThread>
#include <QTimer>

#include <qcoro/qcorosignal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <stop_token>

namespace tarimo::api_client {

// Qt pools connections per network manager and host, and puts a new request
// behind a connection of that pool that is still being opened, however long
// that takes. A connection whose TLS handshake never comes stays in the pool
// even after the reply that opened it was aborted, and every later request
// to that host would wait behind it. So a transfer never joins a manager on
// which another one is still connecting, and a manager on which a transfer
// was abandoned takes no new ones: both get a fresh manager, and the old one
// goes once its last reply has.
class NetworkManagers
{
public:
    NetworkManagers() = default;
    ~NetworkManagers() { close(); }
    NetworkManagers(const NetworkManagers &) = delete;
    NetworkManagers &operator=(const NetworkManagers &) = delete;

    QThread *thread() const { return m_thread; }

    // The manager for a new transfer, which counts as connecting until it
    // calls connected(); null once closed.
    QNetworkAccessManager *startTransfer()
    {
        if (m_closed)
            return nullptr;
        if (m_current && m_connecting > 0)
            retireCurrent();
        if (!m_current)
            m_current = new QNetworkAccessManager;
        ++m_connecting;
        return m_current;
    }

    void connected(QNetworkAccessManager *manager)
    {
        if (manager == m_current)
            --m_connecting;
    }

    void abandoned(QNetworkAccessManager *manager)
    {
        if (manager == m_current)
            retireCurrent();
    }

    void close()
    {
        m_closed = true;
        delete std::exchange(m_current, nullptr);
        for (const QPointer<QNetworkAccessManager> &old : std::exchange(m_retired, {}))
            delete old.data();
    }

private:
    void retireCurrent()
    {
        QNetworkAccessManager *old = std::exchange(m_current, nullptr);
        m_connecting = 0;
        m_retired.removeAll(nullptr);
        m_retired.append(old);
        const auto replies = old->findChildren<QNetworkReply *>(Qt::FindDirectChildrenOnly);
        if (replies.isEmpty()) {
            old->deleteLater();
            return;
        }
        auto remaining = std::make_shared<qsizetype>(replies.size());
        for (QNetworkReply *reply : replies) {
            QObject::connect(reply, &QObject::destroyed, old, [old, remaining] {
                if (--*remaining == 0)
                    old->deleteLater();
            });
        }
    }

    QThread *const m_thread = QThread::currentThread();
    QNetworkAccessManager *m_current = nullptr;
    int m_connecting = 0;
    QList<QPointer<QNetworkAccessManager>> m_retired;
    bool m_closed = false;
};

namespace {

using std::chrono::milliseconds;

// Deletes the reply later, unless its manager has taken it along already.
struct ReplyPointer
{
    QPointer<QNetworkReply> reply;
    ~ReplyPointer()
    {
        if (reply)
            reply->deleteLater();
    }
};

// RFC 9110 token characters.
bool isToken(QStringView text)
{
    if (text.isEmpty())
        return false;
    static const QLatin1StringView specials("!#$%&'*+-.^_`|~");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool alnum = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
        if (!alnum && !(u < 0x80 && specials.contains(QLatin1Char(char(u)))))
            return false;
    }
    return true;
}

// Framing is the transport's business; a caller's value could contradict
// the body actually sent.
bool isTransportOwned(const QString &name)
{
    static const QStringList owned = {QStringLiteral("Content-Length"), QStringLiteral("Transfer-Encoding"),
                                      QStringLiteral("Host"), QStringLiteral("Connection")};
    return owned.contains(name, Qt::CaseInsensitive);
}

QString endpointText(const QUrl &url)
{
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    QString host = url.host();
    if (host.contains(u':'))
        host = u'[' + host + u']';
    return host + u':' + QString::number(url.port(defaultPort));
}

QString originOf(const QUrl &url)
{
    return url.scheme().toLower() + QStringLiteral("://") + endpointText(url).toLower();
}

bool isFetchable(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString secondsText(milliseconds duration)
{
    return QString::number(double(duration.count()) / 1000.0, 'g', 6);
}

milliseconds clampedMilliseconds(double seconds)
{
    const double ms = std::ceil(seconds * 1000.0);
    return milliseconds(qint64(std::clamp(ms, 1.0, double(std::numeric_limits<int>::max()))));
}

QNetworkRequest::CacheLoadControl cacheLoadControl(URLRequest::CachePolicy policy)
{
    switch (policy) {
    case URLRequest::CachePolicy::useProtocolCachePolicy:
        return QNetworkRequest::PreferNetwork;
    case URLRequest::CachePolicy::reloadIgnoringLocalCacheData:
        return QNetworkRequest::AlwaysNetwork;
    case URLRequest::CachePolicy::returnCacheDataElseLoad:
        return QNetworkRequest::PreferCache;
    case URLRequest::CachePolicy::returnCacheDataDontLoad:
        return QNetworkRequest::AlwaysCache;
    }
    return QNetworkRequest::PreferNetwork;
}

// The error code Qt sets on a complete answer with this status: such an
// answer is still an answer, and the client decides what its status means.
QNetworkReply::NetworkError qtErrorForHttpStatus(int status)
{
    switch (status) {
    case 400:
    case 418:
        return QNetworkReply::ProtocolInvalidOperationError;
    case 401:
        return QNetworkReply::AuthenticationRequiredError;
    case 403:
        return QNetworkReply::ContentAccessDenied;
    case 404:
        return QNetworkReply::ContentNotFoundError;
    case 405:
        return QNetworkReply::ContentOperationNotPermittedError;
    case 407:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    case 409:
        return QNetworkReply::ContentConflictError;
    case 410:
        return QNetworkReply::ContentGoneError;
    case 500:
        return QNetworkReply::InternalServerError;
    case 501:
        return QNetworkReply::OperationNotImplementedError;
    case 503:
        return QNetworkReply::ServiceUnavailableError;
    default:
        if (status > 500)
            return QNetworkReply::UnknownServerError;
        if (status >= 400)
            return QNetworkReply::UnknownContentError;
        return QNetworkReply::NoError;
    }
}

QString describe(QNetworkReply::NetworkError code, const QString &qtText, const QList<QSslError> &sslErrors)
{
    switch (code) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Connection refused");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("The server closed the connection before the answer was complete");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Host not found");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("The connection timed out");
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("The transfer was canceled");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("The network is not available");
    case QNetworkReply::ProtocolFailure:
        return QStringLiteral("The answer is not valid HTTP");
    case QNetworkReply::SslHandshakeFailedError: {
        QStringList reasons;
        for (const QSslError &error : sslErrors)
            reasons.append(error.errorString());
        reasons.removeDuplicates();
        if (reasons.isEmpty())
            return QStringLiteral("The secure connection could not be established: %1").arg(qtText);
        return QStringLiteral("The server's certificate was refused: %1").arg(reasons.join(QLatin1String("; ")));
    }
    default:
        return qtText;
    }
}

enum class StopReason { none, idle, deadline, tooLarge, headTooLarge, headUnreadable, undecodable, cancelled };

struct WatchSettings
{
    qint64 maximumBodySize;
    qint64 maximumHeadSize;
    // Undo the answer's content coding (we asked for gzip).
    bool decode;
    // Called once, when the request is out or the reply ends without that.
    std::function<void()> connected;
};

// Watches one reply: keeps its (decoded) body, and stops the transfer when a
// limit is crossed. Aborts are queued so that the reply never finishes inside
// one of our own slots.
//
// Idle time is Qt's transfer timeout. The overall deadline is ours: Qt has
// none that holds against a server trickling a byte now and then.
class ReplyWatch
{
public:
    ReplyWatch(QNetworkReply *reply, WatchSettings settings, milliseconds deadline)
        : m_reply(reply)
        , m_settings(std::move(settings))
    {
        m_deadline.setSingleShot(true);
        m_deadline.setInterval(deadline);
        QObject::connect(&m_deadline, &QTimer::timeout, &m_context, [this] { stop(StopReason::deadline); });
        QObject::connect(reply, &QNetworkReply::requestSent, &m_context, [this] { reportConnected(); });
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &m_context, [this] { checkHead(); });
        QObject::connect(reply, &QNetworkReply::readyRead, &m_context, [this] { readAvailable(); });
        QObject::connect(reply, &QNetworkReply::sslErrors, &m_context,
                         [this](const QList<QSslError> &errors) { m_sslErrors += errors; });
        m_deadline.start();
    }

    // Called once the reply has finished.
    void finish()
    {
        m_deadline.stop();
        readAvailable();
        reportConnected();
        // Qt ends a transfer that stayed quiet for its transfer timeout as
        // if it had been aborted, and reports it so; nothing else here
        // aborts without giving a reason of its own.
        if (m_reason == StopReason::none && m_reply && m_reply->error() == QNetworkReply::OperationCanceledError)
            m_reason = StopReason::idle;
    }

    // Safe from any thread while the watch lives: the stop is queued to the
    // reply's thread.
    void cancel()
    {
        QMetaObject::invokeMethod(&m_context, [this] { stop(StopReason::cancelled); }, Qt::QueuedConnection);
    }

    StopReason reason() const { return m_reason; }
    // Why the body could not be decoded (reason undecodable).
    const QString &decodingError() const { return m_decodingError; }
    QByteArray takeBody() { return std::move(m_body); }
    // Bytes as they came over the wire, before decoding.
    qint64 receivedBytes() const { return m_received; }
    // A compressed body whose stream stopped short.
    bool isBodyIncomplete() const { return m_decoder->isIncomplete(); }
    const QList<QSslError> &sslErrors() const { return m_sslErrors; }

private:
    void stop(StopReason reason)
    {
        if (m_reason != StopReason::none)
            return;
        m_reason = reason;
        m_deadline.stop();
        m_body.clear();
        if (m_reply)
            QMetaObject::invokeMethod(m_reply.data(), &QNetworkReply::abort, Qt::QueuedConnection);
    }

    void reportConnected()
    {
        if (m_settings.connected)
            std::exchange(m_settings.connected, nullptr)();
    }

    void checkHead()
    {
        const auto fields = m_reply->rawHeaderPairs();
        // Qt reads the whole head before anyone can look at it, and a head
        // it will not take (a field over 100 KiB, more than 100 fields) it
        // drops whole, reading on as if no field had come. Servers send at
        // least a Date, so an HTTP/1 answer without fields is such a head.
        if (fields.isEmpty() && !m_reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool())
            return stop(StopReason::headUnreadable);
        qint64 headSize = 0;
        for (const auto &[name, value] : fields)
            headSize += name.size() + value.size() + 4; // ": " and CR LF
        if (headSize > m_settings.maximumHeadSize)
            return stop(StopReason::headTooLarge);

        if (m_settings.decode && m_received == 0) {
            const QByteArray coding = m_reply->rawHeader("Content-Encoding");
            m_decoder = std::make_unique<ContentDecoder>(coding);
            if (!m_decoder->isSupported()) {
                m_decodingError = QStringLiteral("The answer is encoded as \"%1\", which was not asked for")
                                      .arg(QString::fromLatin1(coding));
                return stop(StopReason::undecodable);
            }
            m_coding = QString::fromLatin1(coding.trimmed());
        }

        // A compressed length says little about what the body grows to;
        // that is counted as it arrives.
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (m_decoder->isIdentity() && length.isValid() && length.toLongLong() > m_settings.maximumBodySize)
            return stop(StopReason::tooLarge);
    }

    void readAvailable()
    {
        if (m_reason != StopReason::none || !m_reply || !m_reply->isOpen())
            return;
        const QByteArray chunk = m_reply->readAll();
        m_received += chunk.size();
        switch (m_decoder->decode(chunk, m_body, m_settings.maximumBodySize)) {
        case ContentDecoder::Result::ok:
            break;
        case ContentDecoder::Result::tooLarge:
            stop(StopReason::tooLarge);
            break;
        case ContentDecoder::Result::corrupt:
            m_decodingError = QStringLiteral("The answer claims %1 encoding, but its body is not %1 (%2)")
                                  .arg(m_coding, m_decoder->errorText());
            stop(StopReason::undecodable);
            break;
        }
    }

    QObject m_context;
    QTimer m_deadline;
    // Gone when its manager was closed in mid-transfer.
    QPointer<QNetworkReply> m_reply;
    WatchSettings m_settings;
    std::unique_ptr<ContentDecoder> m_decoder = std::make_unique<ContentDecoder>(QByteArrayView());
    QString m_coding;
    QString m_decodingError;
    StopReason m_reason = StopReason::none;
    QByteArray m_body;
    qint64 m_received = 0;
    QList<QSslError> m_sslErrors;
};

struct HopResult
{
    QByteArray body;
    URLResponse response;
};

QNetworkRequest makeNetworkRequest(const URLRequest &request, const URLSessionOptions &options, milliseconds idle)
{
    QNetworkRequest networkRequest(request.url);
    networkRequest.setTransferTimeout(int(idle.count()));
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, cacheLoadControl(request.cachePolicy));
    for (const auto &[name, value] : request.allHTTPHeaderFields()) {
        if (!isTransportOwned(name))
            networkRequest.setRawHeader(name.toLatin1(), value.toUtf8());
    }
    // Asked for here, so that Qt leaves the body as it came and the cap
    // counts decompressed bytes as they arrive: Qt's own decompression runs
    // far past any cap before it stops, and reports a bomb and a body that
    // is not gzip alike, without a reason.
    if (!request.value(QStringLiteral("Accept-Encoding")))
        networkRequest.setRawHeader("Accept-Encoding", "gzip");
    if (request.url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        if (!options.extraCaCertificates.isEmpty())
            ssl.addCaCertificates(options.extraCaCertificates);
        networkRequest.setSslConfiguration(ssl);
    }
    return networkRequest;
}

// One request and its answer, without following redirects.
QCoro::Task<HopResult> sendOnce(std::shared_ptr<NetworkManagers> managers, URLRequest request,
                                URLSessionOptions options, milliseconds idle, milliseconds total,
                                QDeadlineTimer deadline)
{
    const QString endpoint = endpointText(request.url);
    const auto deadlineError = [&] {
        return TransportError(QNetworkReply::TimeoutError,
                              QStringLiteral("The answer did not complete within %1 seconds (%2)")
                                  .arg(secondsText(total), endpoint));
    };
    if (request.stopToken.stop_requested())
        throw TransferCancelled(endpoint);
    if (deadline.hasExpired())
        throw deadlineError();
    QNetworkAccessManager *const manager = managers->startTransfer();
    if (!manager)
        throw TransportError(QNetworkReply::OperationCanceledError,
                             QStringLiteral("The network transport is no longer available"));

    const QNetworkRequest networkRequest = makeNetworkRequest(request, options, idle);
    const QByteArray verb = request.httpMethod.value_or(QStringLiteral("GET")).toLatin1();
    QNetworkReply *reply = nullptr;
    if (request.httpBody)
        reply = manager->sendCustomRequest(networkRequest, verb, *request.httpBody);
    else if (verb == "GET")
        reply = manager->get(networkRequest);
    else if (verb == "HEAD")
        reply = manager->head(networkRequest);
    else
        reply = manager->sendCustomRequest(networkRequest, verb);
    const ReplyPointer owner{reply};
    // Keeps Qt from buffering far ahead of what we have read and counted.
    reply->setReadBufferSize(1024 * 1024);

    WatchSettings settings{options.maximumBodySize, options.maximumHeadSize,
                           !request.value(QStringLiteral("Accept-Encoding")),
                           [managers, manager] { managers->connected(manager); }};
    ReplyWatch watch(reply, std::move(settings), milliseconds(std::max<qint64>(1, deadline.remainingTime())));
    {
        // Ends before the watch does, and waits for a callback running on
        // another thread.
        const std::stop_callback onStop(request.stopToken, [&watch] { watch.cancel(); });
        // The signal of QCoro's core: its network library would be one more
        // to load at every start for this one wait.
        if (!reply->isFinished())
            co_await qCoro(reply, &QNetworkReply::finished);
    }
    watch.finish();
    if (watch.reason() != StopReason::none)
        managers->abandoned(manager);
    // An answer that came in the same turn as the stop is not handed on
    // either: whoever stopped it wants nothing more from it.
    if (request.stopToken.stop_requested())
        throw TransferCancelled(endpoint);

    switch (watch.reason()) {
    case StopReason::none:
        break;
    case StopReason::idle:
        throw TransportError(QNetworkReply::TimeoutError,
                             QStringLiteral("The server sent nothing for %1 seconds (%2)")
                                 .arg(secondsText(idle), endpoint));
    case StopReason::deadline:
        throw deadlineError();
    case StopReason::tooLarge:
        throw TransportError(QNetworkReply::UnknownContentError,
                             QStringLiteral("The answer is too large (more than %1 bytes)")
                                 .arg(options.maximumBodySize));
    case StopReason::headTooLarge:
        throw TransportError(QNetworkReply::ProtocolFailure,
                             QStringLiteral("The answer's head is too large (more than %1 bytes)")
                                 .arg(options.maximumHeadSize));
    case StopReason::headUnreadable:
        throw TransportError(QNetworkReply::ProtocolFailure,
                             QStringLiteral("The answer's head could not be read: too large or malformed (%1)")
                                 .arg(endpoint));
    case StopReason::undecodable:
        throw TransportError(QNetworkReply::ProtocolFailure,
                             QStringLiteral("%1 (%2)").arg(watch.decodingError(), endpoint));
    case StopReason::cancelled:
        throw TransferCancelled(endpoint);
    }

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    const std::optional<int> status = statusAttribute.isValid() ? std::optional(statusAttribute.toInt())
                                                                : std::nullopt;
    std::optional<TransportError> transportError;
    if (error != QNetworkReply::NoError)
        transportError.emplace(error, describe(error, reply->errorString(), watch.sslErrors()) + QStringLiteral(" (")
                                          + endpoint + u')');

    const bool isAnswer = error == QNetworkReply::NoError || (status && error == qtErrorForHttpStatus(*status));
    if (!isAnswer) {
        completeDataTask(std::nullopt, std::nullopt, std::move(transportError));
        Q_UNREACHABLE();
    }

    std::optional<URLResponse> response;
    if (status) {
        response.emplace();
        response->url = reply->url();
        response->statusCode = status;
        response->headerFields = reply->rawHeaderPairs();
    }
    QByteArray body = watch.takeBody();

    // Qt reports most answers cut short; this catches any that slip through.
    if (response && verb != "HEAD" && *status >= 200 && *status != 204 && *status != 304) {
        if (const auto declared = response->value("Content-Length")) {
            // Repeated fields arrive joined by commas; they must agree.
            const QList<QByteArray> lengths = declared->split(',');
            bool ok = false;
            const qint64 length = lengths.first().trimmed().toLongLong(&ok);
            for (const QByteArray &other : lengths) {
                if (other.trimmed() != lengths.first().trimmed())
                    throw TransportError(QNetworkReply::ProtocolFailure,
                                         QStringLiteral("The answer declares conflicting lengths (%1)").arg(endpoint));
            }
            if (ok && length != watch.receivedBytes())
                throw TransportError(QNetworkReply::RemoteHostClosedError,
                                     QStringLiteral("The answer was cut short: %1 of %2 bytes arrived (%3)")
                                         .arg(watch.receivedBytes())
                                         .arg(length)
                                         .arg(endpoint));
        }
        if (watch.isBodyIncomplete())
            throw TransportError(QNetworkReply::RemoteHostClosedError,
                                 QStringLiteral("The answer was cut short: its compressed body ends early (%1)")
                                     .arg(endpoint));
    }

    TransferResult result = completeDataTask(std::move(body), std::move(response), std::move(transportError));
    co_return HopResult{std::move(result.data), std::move(result.response)};
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

URLSession::URLSession(URLSessionOptions options)
    : m_managers(std::make_shared<NetworkManagers>())
    , m_options(std::move(options))
{}

URLSession::~URLSession() = default;

std::shared_ptr<URLSession> URLSession::shared()
{
    // Qt's TLS teardown needs the application object: closed any later, it
    // complains on standard error.
    static const std::shared_ptr<URLSession> session = [] {
        auto made = std::make_shared<URLSession>();
        if (QCoreApplication *application = QCoreApplication::instance())
            QObject::connect(application, &QCoreApplication::aboutToQuit, application, [session = made.get()] {
                session->close();
            });
        return made;
    }();
    return session;
}

void URLSession::close()
{
    m_managers->close();
}

void URLSession::validate(const URLRequest &request)
{
    const QString method = request.httpMethod.value_or(QStringLiteral("GET"));
    if (!isToken(method))
        throw TransportError(QNetworkReply::ProtocolInvalidOperationError,
                             QStringLiteral("The method \"%1\" is not a valid HTTP method; nothing was sent")
                                 .arg(method.toHtmlEscaped()));
    for (const auto &[name, value] : request.allHTTPHeaderFields()) {
        if (!isToken(name))
            throw TransportError(QNetworkReply::ProtocolInvalidOperationError,
                                 QStringLiteral("The header name \"%1\" is not valid; nothing was sent")
                                     .arg(QString(name).replace(u'\r', QLatin1String("\\r"))
                                              .replace(u'\n', QLatin1String("\\n"))
                                              .replace(QChar(0), QLatin1String("\\0"))));
        if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(0)))
            throw TransportError(QNetworkReply::ProtocolInvalidOperationError,
                                 QStringLiteral("The header \"%1\" contains a line break or NUL; nothing was sent")
                                     .arg(name));
    }
}

QCoro::Task<TransferResult> URLSession::data(URLRequest request)
{
    // Everything this coroutine needs is copied before it first suspends.
    const std::shared_ptr<NetworkManagers> managers = m_managers;
    const URLSessionOptions options = m_options;

    if (!isFetchable(request.url))
        throw TransportError(QNetworkReply::ProtocolUnknownError,
                             QStringLiteral("Only http and https addresses can be fetched (%1)")
                                 .arg(request.url.toDisplayString()));
    validate(request);
    if (managers->thread() != QThread::currentThread())
        throw TransportError(QNetworkReply::UnknownNetworkError,
                             QStringLiteral("The network transport was used outside the thread that made it"));

    const double timeout = request.timeoutInterval > 0 && std::isfinite(request.timeoutInterval)
                               ? request.timeoutInterval
                               : URLRequest::defaultTimeoutInterval;
    const milliseconds idle = clampedMilliseconds(timeout);
    const milliseconds total = clampedMilliseconds(timeout * std::max(1.0, options.deadlineFactor));
    const QDeadlineTimer deadline(total.count());

    // Redirects are followed here, not by Qt's redirect policies: Qt 6.4
    // sends the Authorization header on to whatever origin a redirect names,
    // and each hop must get a manager that no stalled connection holds up
    // and the same caps on head and body. Its error texts would also lose
    // the address that was refused.
    URLRequest current = std::move(request);
    for (int redirects = 0;; ++redirects) {
        HopResult hop = co_await sendOnce(managers, current, options, idle, total, deadline);
        const int status = hop.response.statusCode.value_or(0);
        const auto location = hop.response.value("Location");
        if (!isRedirect(status) || !location) {
            co_return TransferResult{std::move(hop.body), std::move(hop.response)};
        }

        if (redirects >= options.maximumRedirects)
            throw TransportError(QNetworkReply::TooManyRedirectsError,
                                 QStringLiteral("Too many redirects (more than %1) (%2)")
                                     .arg(options.maximumRedirects)
                                     .arg(endpointText(current.url)));
        const QUrl target = current.url.resolved(QUrl::fromEncoded(location->trimmed()));
        if (!isFetchable(target))
            throw TransportError(QNetworkReply::ProtocolUnknownError,
                                 QStringLiteral("Refused to follow a redirect to %1").arg(target.toDisplayString()));
        if (current.url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
            && target.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0)
            throw TransportError(QNetworkReply::InsecureRedirectError,
                                 QStringLiteral("Refused to follow a redirect from https to http (%1)")
                                     .arg(target.toDisplayString()));

        if (originOf(target) != originOf(current.url)) {
            // Credentials were meant for the origin they were given to.
            current.setValue(std::nullopt, QStringLiteral("Authorization"));
            current.setValue(std::nullopt, QStringLiteral("Proxy-Authorization"));
            current.setValue(std::nullopt, QStringLiteral("Cookie"));
        }
        const QString method = current.httpMethod.value_or(QStringLiteral("GET"));
        if ((status == 303 && method != QLatin1String("HEAD"))
            || ((status == 301 || status == 302) && method == QLatin1String("POST"))) {
            current.httpMethod = QStringLiteral("GET");
            current.httpBody.reset();
            current.setValue(std::nullopt, QStringLiteral("Content-Type"));
        }
        current.url = target;
    }
}

} // namespace tarimo::api_client
