#include "view_helpers/color_type.h"

#include <array>
#include <utility>

namespace tarimo::view_helpers {

namespace {

constexpr std::array<std::pair<ColorType, const char *>, 10> rawValues{{
    {ColorType::white, "white"},
    {ColorType::black, "black"},
    {ColorType::green, "green"},
    {ColorType::blue, "blue"},
    {ColorType::yellow, "yellow"},
    {ColorType::orange, "orange"},
    {ColorType::red, "red"},
    {ColorType::pink, "pink"},
    {ColorType::clear, "clear"},
    {ColorType::gray, "gray"},
}};

} // namespace

QString rawValue(ColorType type)
{
    for (const auto &[candidate, text] : rawValues) {
        if (candidate == type)
            return QString::fromLatin1(text);
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<ColorType> colorTypeFromRawValue(QStringView text)
{
    for (const auto &[type, raw] : rawValues) {
        if (text == QLatin1String(raw))
            return type;
    }
    return std::nullopt;
}

QColor color(ColorType type)
{
    switch (type) {
    case ColorType::white:
        return QColor(Qt::white);
    case ColorType::black:
        return QColor(Qt::black);
    case ColorType::green:
        return QColor(Qt::green);
    case ColorType::blue:
        return QColor(Qt::blue);
    case ColorType::yellow:
        return QColor(Qt::yellow);
    case ColorType::orange:
        // Qt has no global orange or pink; these are the standard web colours.
        return QColor(0xff, 0xa5, 0x00);
    case ColorType::red:
        return QColor(Qt::red);
    case ColorType::pink:
        return QColor(0xff, 0xc0, 0xcb);
    case ColorType::clear:
        return QColor(Qt::transparent);
    case ColorType::gray:
        return QColor(Qt::gray);
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace tarimo::view_helpers
