#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QSizeF>

#include <cstdint>

namespace tarimo::digit {

// One bar of a seven-segment digit: a hexagon with pointed ends, as long and
// as thick as the rectangle it is given.
struct Arm
{
    enum class Direction : std::uint8_t { horizontal = 0, vertical = 1 };

    Direction direction = Direction::horizontal;

    // The outline for a rectangle of `size` with its corner at (0, 0): three
    // closed polygons (tip, body, tip) filled with the non-zero winding rule.
    // A horizontal bar is as thick as the height, its tips each height / 2
    // long; a vertical bar likewise along the other axis. A bar shorter than
    // its thickness gives overlapping polygons; it is not clamped.
    QPainterPath path(QSizeF size) const;
    // The same outline moved to the rectangle's corner.
    QPainterPath path(const QRectF &rect) const;

    friend bool operator==(const Arm &, const Arm &) = default;
};

} // namespace tarimo::digit
