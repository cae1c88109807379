#pragma once

#include <QNetworkReply>
#include <QString>

#include <stdexcept>

namespace tarimo::api_client {

// A transfer that brought no usable answer: refused connection, untrusted
// certificate, time-out, an answer cut short or too large. The code is Qt's;
// what() tells a person what happened, e.g. "Connection refused (127.0.0.1:4431)".
class TransportError : public std::runtime_error
{
public:
    TransportError(QNetworkReply::NetworkError code, const QString &text);

    QNetworkReply::NetworkError code() const { return m_code; }
    QString text() const { return QString::fromUtf8(what()); }

private:
    QNetworkReply::NetworkError m_code;
};

// A transfer given up because its request's stop token asked for it: the
// connection is dropped and nothing more comes of it. Its code is
// OperationCanceledError; what() is "The transfer was cancelled (<endpoint>)".
class TransferCancelled : public TransportError
{
public:
    explicit TransferCancelled(const QString &endpoint);
};

} // namespace tarimo::api_client
