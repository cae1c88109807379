#include "price/digit_model.h"

#include <cmath>
#include <string>

namespace tarimo::price {

DigitModel makeDigitModel(qint64 ore)
{
    const std::string text = std::to_string(ore);
    auto code = [&](std::size_t fromRight) -> qint64 {
        if (text.size() < fromRight)
            return DigitModel::blankDigit;
        const char c = text[text.size() - fromRight];
        if (c == '-')
            return DigitModel::minusDigit;
        if (c >= '0' && c <= '9')
            return c - '0';
        return DigitModel::blankDigit;
    };
    return {code(5), code(4), code(3), code(2), code(1)};
}

std::optional<qint64> wholeOre(double kronor)
{
    // An hour's mean of quarter prices carries binary noise: quarters that
    // average 3142.5 öre come out as 31.424999999999997 kronor. The service
    // writes five decimals of a krona, so a millionth of an öre is far below
    // any real difference; snapping to it first lets exact halves round away
    // from zero as they should. (Beyond a billion öre a double has no
    // millionths left to snap.)
    double ore = kronor * 100.0;
    if (std::abs(ore) < 1e9)
        ore = std::round(ore * 1e6) / 1e6;
    ore = std::round(ore);
    // 2^63 is exact in a double; every double below it converts safely.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(ore) || ore >= limit || ore < -limit)
        return std::nullopt;
    return qint64(ore);
}

} // namespace tarimo::price
