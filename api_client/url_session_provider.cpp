#include "api_client/url_session_provider.h"

namespace tarimo::api_client {

std::optional<QByteArray> URLResponse::value(QByteArrayView field) const
{
    for (const auto &[name, value] : headerFields) {
        if (name.compare(field, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

TransferResult completeDataTask(std::optional<QByteArray> data,
                                std::optional<URLResponse> response,
                                std::optional<TransportError> error)
{
    if (data && response)
        return {std::move(*data), std::move(*response)};
    if (error)
        throw std::move(*error);
    throw TransportError(QNetworkReply::ProtocolFailure,
                         QStringLiteral("The server's answer could not be read (bad server response)"));
}

} // namespace tarimo::api_client
