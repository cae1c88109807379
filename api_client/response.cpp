#include "api_client/response.h"

namespace tarimo::api_client {

Client::ErrorResponse::ErrorResponse(std::optional<QString> message, HttpStatusCode status,
                                     std::optional<QByteArray> data)
    : m_message(std::move(message))
    , m_status(status)
    , m_data(std::move(data))
    , m_text(QStringLiteral("%1 (%2 %3)")
                 .arg(m_message.value_or(QStringLiteral("Error")))
                 .arg(rawValue(m_status))
                 .arg(caseName(m_status))
                 .toStdString())
{}

Client::ErrorResponse Coding<Client::ErrorResponse>::decode(DecodingContext &context, const Json &json)
{
    if (!json.is_object())
        context.typeMismatch("an object", json);
    int code = 0;
    std::optional<QString> message;
    std::optional<QByteArray> data;
    context.decodeField(json, "status", true, code);
    context.decodeField(json, "message", true, message);
    context.decodeField(json, "data", true, data);
    const auto status = httpStatusCodeFromRawValue(code);
    if (!status) {
        DecodingContext::PathScope scope(context, std::string("status"));
        context.fail(DecodingError::Kind::dataCorrupted,
                     QStringLiteral("%1 is not a known HTTP status code").arg(code));
    }
    return Client::ErrorResponse(std::move(message), *status, std::move(data));
}

Json Coding<Client::ErrorResponse>::encode(EncodingContext &context, const Client::ErrorResponse &value)
{
    Json object = Json::object();
    context.encodeField(object, "message", true, value.message());
    context.encodeField(object, "status", true, rawValue(value.status()));
    context.encodeField(object, "data", true, value.data());
    return object;
}

} // namespace tarimo::api_client
