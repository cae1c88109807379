#include "tests/support/test_server.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>
#include <QTimer>

namespace tarimo::test_support {

namespace {

// Runs openssl in `directory` with the space-separated arguments and a new
// key valid for `days`, then returns the files `read`.
QByteArrayList openssl(const QString &directory, const QString &arguments, int days, const QString &subject,
                       QStringList read)
{
    QProcess process;
    process.setWorkingDirectory(directory);
    process.start(QStringLiteral("openssl"), (arguments + " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days "
                                              + QString::number(days) + " -subj").split(u' ') + QStringList{"/CN=" + subject});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        throw std::runtime_error("openssl failed: " + process.readAllStandardError().toStdString());
    QByteArrayList files;
    for (const QString &name : read) {
        QFile file(directory + u'/' + name);
        files.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

} // namespace

TestCertificateAuthority::TestCertificateAuthority(const QString &commonName, int days)
    : m_days(days)
    , m_certificate(openssl(m_directory->path(), "req -x509 -keyout ca.key -out ca.crt -addext basicConstraints=critical,CA:TRUE"
                            " -addext keyUsage=critical,keyCertSign,cRLSign", days, commonName, {"ca.crt"})[0])
{}

IssuedCertificate TestCertificateAuthority::issue(const QStringList &dnsNames, const QStringList &ipAddresses) const
{
    const QString name = QStringLiteral("server%1").arg(++m_issued);
    QStringList names;
    for (const QString &host : dnsNames + ipAddresses)
        names.append((ipAddresses.contains(host) ? "IP:" : "DNS:") + host);
    // Signed by the authority (req -CA), with the names as extensions.
    const QByteArrayList pem = openssl(m_directory->path(),
        QStringLiteral("req -x509 -CA ca.crt -CAkey ca.key -keyout %1.key -out %1.crt -addext subjectAltName=%2 -addext "
                       "basicConstraints=CA:FALSE -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=serverAuth")
            .arg(name, names.join(u',')), m_days, (dnsNames + ipAddresses).value(0), {name + ".crt", name + ".key"});
    return {QSslCertificate(pem[0], QSsl::Pem), QSslKey(pem[1], QSsl::Ec, QSsl::Pem)};
}

TestServer::TestServer(bool https, IssuedCertificate certificate, QSslCertificate authority)
    : m_https(https), m_certificate(std::move(certificate)), m_authority(std::move(authority))
{
    if (!listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error(("test server cannot listen: " + errorString()).toStdString());
}

void TestServer::incomingConnection(qintptr socketDescriptor)
{
    ++m_connectionCount;
    auto *socket = m_https ? new QSslSocket(this) : new QTcpSocket(this);
    socket->setSocketDescriptor(socketDescriptor);
    if (m_stalledConnections-- > 0)
        return;
    if (auto *ssl = qobject_cast<QSslSocket *>(socket)) {
        ssl->setLocalCertificate(m_certificate.certificate);
        ssl->setPrivateKey(m_certificate.privateKey);
        ssl->startServerEncryption();
    }
    // As a production server does: the head goes out apart from the body,
    // and Nagle would hold it back for a delayed acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // The client sends the next request once an answer is complete.
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::disconnected, socket, [this, socket] { ++m_closedCount, socket->deleteLater(); });
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
        *buffer += socket->readAll();
        const qsizetype headEnd = buffer->indexOf("\r\n\r\n");
        const QList<QByteArray> lines = buffer->left(headEnd).split('\n');
        RecordedRequest request{lines[0].split(' ').value(0), lines[0].split(' ').value(1), {}, {}};
        for (const QByteArray &line : lines.mid(1))
            request.headers.append({line.left(line.indexOf(':')).trimmed(), line.mid(line.indexOf(':') + 1).trimmed()});
        const qint64 length = request.header("Content-Length").value_or("0").toLongLong();
        if (headEnd < 0 || buffer->size() < headEnd + 4 + length)
            return;
        request.body = buffer->mid(headEnd + 4, length);
        buffer->remove(0, headEnd + 4 + length);
        m_requests.append(request);

        std::optional<Answer> answer;
        if (!m_queue.isEmpty())
            answer = m_queue.takeFirst();
        else if (m_handler)
            answer = m_handler(request);
        Answer sent = answer.value_or(m_routes.value(request.path(), Answer::text("not found", 404)));
        QByteArray head = "HTTP/1.1 " + QByteArray::number(sent.status) + " Status\r\n";
        for (const auto &[name, value] : sent.headers)
            head += name + ": " + value + "\r\n";
        if (!sent.untilClose)
            head += "Content-Length: " + QByteArray::number(sent.body.size()) + "\r\n";
        if (request.method == "HEAD" || sent.status < 200 || sent.status == 204 || sent.status == 304)
            sent.body.clear();
        head += sent.untilClose ? "Connection: close\r\n\r\n" : "\r\n";
        if (!sent.held)
            QTimer::singleShot(sent.delay, socket, [socket, head, sent] { socket->write(head), send(socket, sent, 0); });
    });
}

// Writes the body from `offset` on: all of it, or a piece per turn of the
// event loop when trickling.
void TestServer::send(QTcpSocket *socket, const Answer &answer, qsizetype offset)
{
    const qsizetype size = answer.trickleBytes > 0 ? answer.trickleBytes : answer.body.size();
    socket->write(answer.body.mid(offset, size));
    if (offset + size < answer.body.size())
        QTimer::singleShot(0, socket, [socket, answer, offset, size] { send(socket, answer, offset + size); });
    else if (answer.untilClose)
        socket->disconnectFromHost();
}

std::shared_ptr<api_client::URLSession> TestServer::makeTransport(api_client::URLSessionOptions options) const
{
    if (m_https)
        options.extraCaCertificates.append(m_authority);
    return std::make_shared<api_client::URLSession>(std::move(options));
}

} // namespace tarimo::test_support
