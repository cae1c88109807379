#include "api_client/http_method.h"

namespace tarimo::api_client {

QString rawValue(HttpMethod method)
{
    switch (method) {
    case HttpMethod::get:
        return QStringLiteral("GET");
    case HttpMethod::post:
        return QStringLiteral("POST");
    case HttpMethod::put:
        return QStringLiteral("PUT");
    case HttpMethod::delete_:
        return QStringLiteral("DELETE");
    }
    return QString();
}

std::optional<HttpMethod> httpMethodFromRawValue(const QString &rawValue)
{
    for (const HttpMethod method : {HttpMethod::get, HttpMethod::post, HttpMethod::put, HttpMethod::delete_}) {
        if (api_client::rawValue(method) == rawValue)
            return method;
    }
    return std::nullopt;
}

} // namespace tarimo::api_client
