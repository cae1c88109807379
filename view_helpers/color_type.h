#pragma once

#include "api_client/json_coding.h"

#include <QColor>
#include <QString>

#include <optional>

namespace tarimo::view_helpers {

// Named colours; the raw value (and the JSON form) is the case name.
enum class ColorType { white, black, green, blue, yellow, orange, red, pink, clear, gray };

// "white" ... "gray".
QString rawValue(ColorType type);
// Exact match of a raw value; anything else ("Red", " red") gives nothing.
std::optional<ColorType> colorTypeFromRawValue(QStringView text);
// Qt's standard colour of that name; `clear` is fully transparent.
QColor color(ColorType type);

} // namespace tarimo::view_helpers

template<>
struct tarimo::api_client::Coding<tarimo::view_helpers::ColorType>
{
    // A text that is no raw value fails as dataCorrupted.
    static tarimo::view_helpers::ColorType decode(DecodingContext &context, const Json &json);
    static Json encode(EncodingContext &context, tarimo::view_helpers::ColorType value);
};
