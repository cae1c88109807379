#pragma once

#include <QString>

#include <optional>

namespace tarimo::api_client {

// `delete` is a C++ keyword, hence the trailing underscore of that case.
enum class HttpMethod { get, post, put, delete_ };

QString rawValue(HttpMethod method);
std::optional<HttpMethod> httpMethodFromRawValue(const QString &rawValue);

} // namespace tarimo::api_client
