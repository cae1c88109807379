#include "api_client/transport_error.h"

namespace tarimo::api_client {

TransportError::TransportError(QNetworkReply::NetworkError code, const QString &text)
    : std::runtime_error(text.toStdString())
    , m_code(code)
{}

} // namespace tarimo::api_client
