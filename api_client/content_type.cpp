#include "api_client/content_type.h"

namespace tarimo::api_client {

QString rawValue(ContentType contentType)
{
    switch (contentType) {
    case ContentType::form:
        return QStringLiteral("application/x-www-form-urlencoded; charset=utf-8");
    case ContentType::json:
        return QStringLiteral("application/json; charset=utf-8");
    }
    return QString();
}

std::optional<ContentType> contentTypeFromRawValue(const QString &rawValue)
{
    for (const ContentType contentType : {ContentType::form, ContentType::json}) {
        if (api_client::rawValue(contentType) == rawValue)
            return contentType;
    }
    return std::nullopt;
}

} // namespace tarimo::api_client
