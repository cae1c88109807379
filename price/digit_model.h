#pragma once

#include "digit/digit_codes.h"

#include <QtGlobal>

#include <optional>

namespace tarimo::price {

// The five digit codes of the price display, left to right: rows of the
// digit's table. 0–9 are digits, minusDigit a minus sign, blankDigit a dark
// position.
struct DigitModel
{
    static constexpr qint64 minusDigit = digit::minusCode;
    static constexpr qint64 blankDigit = digit::blankCode;

    qint64 digitOne = blankDigit;
    qint64 digitTwo = blankDigit;
    qint64 digitThree = blankDigit;
    qint64 digitFour = blankDigit;
    qint64 digitFive = blankDigit;

    friend bool operator==(const DigitModel &, const DigitModel &) = default;
};

// Right-aligns the decimal text of n in the five positions; a longer text
// keeps only its last five characters.
DigitModel makeDigitModel(qint64 ore);

// A price in kronor per kWh as whole öre: × 100, to the nearest, halves away
// from zero. Nothing for NaN, infinities and values beyond 64 bits, so that a
// broken record blanks the display instead of showing garbage.
std::optional<qint64> wholeOre(double kronor);

} // namespace tarimo::price
