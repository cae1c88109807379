#pragma once

#include <QString>

#include <optional>

namespace tarimo::api_client {

// The raw value is the exact Content-Type header value.
enum class ContentType { form, json };

QString rawValue(ContentType contentType);
std::optional<ContentType> contentTypeFromRawValue(const QString &rawValue);

} // namespace tarimo::api_client
