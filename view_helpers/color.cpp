#include "view_helpers/color.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace tarimo::view_helpers {

namespace {

std::optional<unsigned> hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return std::nullopt;
}

} // namespace

QColor colorFromHex(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && text[pos] == u'#')
        ++pos;
    // The prefix only counts when digits follow it; "0x" alone reads as 0 either way.
    if (pos + 2 < text.size() && text[pos] == u'0' && (text[pos + 1] == u'x' || text[pos + 1] == u'X')
        && hexDigit(text[pos + 2]))
        pos += 2;

    constexpr std::uint64_t maxValue = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const auto digit = hexDigit(text[pos]);
        if (!digit)
            break;
        if (value > (maxValue >> 4)) {
            // Keep reading the run so that it is consumed, but stay saturated.
            value = maxValue;
            continue;
        }
        value = (value << 4) | *digit;
    }

    return QColor::fromRgb(int((value >> 16) & 0xff), int((value >> 8) & 0xff), int(value & 0xff));
}

QString hexText(const QColor &color)
{
    if (!color.isValid())
        return QStringLiteral("000000");
    int red = 0;
    int green = 0;
    int blue = 0;
    if (color.spec() == QColor::ExtendedRgb) {
        // Components may lie outside 0...1 here; truncation, not clamping.
        red = int(color.redF() * 255.0);
        green = int(color.greenF() * 255.0);
        blue = int(color.blueF() * 255.0);
    } else {
        // Every other colour model (HSV, CMYK, ...) reads back as red, green and blue;
        // a grey simply has three equal components. Integer arithmetic on
        // the stored 16-bit values truncates exactly: 221 stays 221 instead
        // of becoming 220.99999.
        const QRgba64 rgb = color.rgba64();
        red = int(rgb.red() * 255u / 65535u);
        green = int(rgb.green() * 255u / 65535u);
        blue = int(rgb.blue() * 255u / 65535u);
    }
    return QString::asprintf("%02x%02x%02x", unsigned(red), unsigned(green), unsigned(blue)).toUpper();
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

QColor withAlphaMultiplied(QColor color, qreal factor)
{
    color.setAlphaF(float(std::clamp(color.alphaF() * factor, 0.0, 1.0)));
    return color;
}

} // namespace tarimo::view_helpers
