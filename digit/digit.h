#pragma once

#include "digit/arm.h"
#include "digit/digit_codes.h"
#include "view_helpers/cached_drawing.h"
#include "view_helpers/shadow.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

namespace tarimo::digit {

// One seven-segment digit. It has no size of its own: it fills whatever
// rectangle its layout gives it, and lit segments glow past its edges into
// the space around it.
//
// Segments, numbered as in `mapping`: 1 upper left, 2 lower left, 3 top,
// 4 middle, 5 bottom, 6 upper right, 7 lower right. They are drawn in that
// order, each with its glow, so a later segment covers an earlier one's glow.
//
// The drawing is kept as an image and redrawn only when the value, the
// size, the device pixel ratio, the colours, thickness, distance or the glow
// switch change: an unchanged repaint draws one image.
class Digit : public QWidget
{
    Q_OBJECT

public:
    using Mapping = std::vector<std::vector<int>>;

    static constexpr int segmentCount = 7;
    // The glow of a lit segment: highligtedColor at 0.7 of its opacity.
    static constexpr qreal glowOpacity = 0.7;
    static constexpr qreal glowRadius = 5;

    // Rows 0-9 are the digits, 10 a minus sign (minusCode), 11 the letter E,
    // 12 blank (blankCode).
    static const Mapping &standardMapping();

    // An absent value shows blank.
    Digit(qreal thickness, qreal distance, std::optional<int> value, const QColor &color,
          const QColor &highligtedColor, bool applyHighlightedShaddow, QWidget *parent = nullptr);

    qreal thickness() const { return m_thickness; }
    void setThickness(qreal thickness);
    qreal distance() const { return m_distance; }
    void setDistance(qreal distance);
    int value() const { return m_value; }
    void setValue(std::optional<int> value);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor highligtedColor() const { return m_highligtedColor; }
    void setHighligtedColor(const QColor &highligtedColor);
    bool applyHighlightedShaddow() const { return m_applyHighlightedShaddow; }
    void setApplyHighlightedShaddow(bool applyHighlightedShaddow);
    const Mapping &mapping() const { return m_mapping; }

    // Whether segment 1-7 is lit for the current value.
    bool isLit(int segment) const;
    // A value outside the table (13 and up, or negative) lights nothing.
    static bool isLit(const Mapping &mapping, int value, int segment);

    static Arm::Direction direction(int segment);
    // The frames of segments 1-7 (index 0-6) in a rectangle of `size` with
    // its corner at (0, 0): every tip ends `distance` short of its joint.
    static std::array<QRectF, segmentCount> segmentFrames(QSizeF size, qreal thickness, qreal distance);

    // The glow of a lit segment, or nothing when glows are off.
    std::optional<view_helpers::Shadow> segmentGlow() const;

    // Draws the digit in widget coordinates, glow reaching past the edges.
    void paint(QPainter &painter);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // What the image shows besides the size and pixel ratio.
    struct CacheKey
    {
        unsigned litSegments = 0;
        QRgba64 color;
        QRgba64 highligtedColor;
        qreal thickness = 0;
        qreal distance = 0;
        bool glow = false;

        friend bool operator==(const CacheKey &, const CacheKey &) = default;
    };

    qreal overhang() const;
    void drawSegments(QPainter &painter) const;

    qreal m_thickness;
    qreal m_distance;
    int m_value;
    QColor m_color;
    QColor m_highligtedColor;
    bool m_applyHighlightedShaddow;
    Mapping m_mapping;

    view_helpers::CachedDrawing<CacheKey> m_drawing;
};

} // namespace tarimo::digit
