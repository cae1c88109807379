#pragma once

#include <QColor>
#include <QString>

#include <optional>

namespace tarimo::view_helpers {

// Named colours; the raw value is the case name (and the JSON form, see
// api_client/color_type_coding.h).
enum class ColorType { white, black, green, blue, yellow, orange, red, pink, clear, gray };

// "white" ... "gray".
QString rawValue(ColorType type);
// Exact match of a raw value; anything else ("Red", " red") gives nothing.
std::optional<ColorType> colorTypeFromRawValue(QStringView text);
// Qt's standard colour of that name; `clear` is fully transparent.
QColor color(ColorType type);

} // namespace tarimo::view_helpers
