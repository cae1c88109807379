#pragma once

#include <QColor>
#include <QString>
#include <QStringView>

namespace tarimo::view_helpers {

// An opaque sRGB colour from hexadecimal text such as "ff0000" or "#dddddd".
// Leading "#" characters are skipped (nothing else, not even spaces), then an
// optional 0x prefix and the longest run of hex digits are read; the rest of
// the text is ignored. Only the low 24 bits count, so "ff000080" is blue 128
// and "FFF" is 0x000FFF. No digits give black; a value too large for 64 bits
// saturates (and so gives white).
QColor colorFromHex(QStringView text);

// Six upper-case hex digits, red, green, blue, no "#". Each component is
// multiplied by 255 and truncated, so a grey of 0.5 is "7F7F7F". Alpha is
// left out. An invalid colour has no components and gives "000000".
QString hexText(const QColor &color);

// `color` with its alpha replaced by `alpha` (0 to 1).
QColor withAlpha(QColor color, qreal alpha);
// `color` with its alpha multiplied by `factor`, kept within 0 to 1: how
// much of a half-transparent colour a half-strong glow shows.
QColor withAlphaMultiplied(QColor color, qreal factor);

} // namespace tarimo::view_helpers
