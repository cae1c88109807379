#pragma once

// The codes of the rows of the digit's table (Digit::standardMapping) that
// are not digits: 0 to 9 show themselves. Plain constants without Qt, so that
// the price model names the codes it hands to the display without linking
// the widget.
namespace tarimo::digit {

inline constexpr int minusCode = 10;
inline constexpr int blankCode = 12;

} // namespace tarimo::digit
