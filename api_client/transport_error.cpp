#include "api_client/transport_error.h"

namespace tarimo::api_client {

TransportError::TransportError(QNetworkReply::NetworkError code, const QString &text)
    : std::runtime_error(text.toStdString())
    , m_code(code)
{}

TransferCancelled::TransferCancelled(const QString &endpoint)
    : TransportError(QNetworkReply::OperationCanceledError,
                     QStringLiteral("The transfer was cancelled (%1)").arg(endpoint))
{}

} // namespace tarimo::api_client
