#include "digit/digit.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tarimo::digit {

using view_helpers::Shadow;

const Digit::Mapping &Digit::standardMapping()
{
    static const Mapping mapping{
        {1, 2, 3, 5, 6, 7},    // 0
        {6, 7},                // 1
        {2, 3, 4, 5, 6},       // 2
        {3, 4, 5, 6, 7},       // 3
        {1, 4, 6, 7},          // 4
        {1, 3, 4, 5, 7},       // 5
        {1, 2, 3, 4, 5, 7},    // 6
        {3, 6, 7},             // 7
        {1, 2, 3, 4, 5, 6, 7}, // 8
        {1, 3, 4, 6, 7},       // 9, without the bottom bar
        {4},                   // minus
        {1, 2, 3, 4, 5},       // E
        {},                    // blank
    };
    return mapping;
}

Digit::Digit(qreal thickness, qreal distance, std::optional<int> value, const QColor &color,
             const QColor &highligtedColor, bool applyHighlightedShaddow, QWidget *parent)
    : QWidget(parent)
    , m_thickness(thickness)
    , m_distance(distance)
    , m_value(value.value_or(blankCode))
    , m_color(color)
    , m_highligtedColor(highligtedColor)
    , m_applyHighlightedShaddow(applyHighlightedShaddow)
    , m_mapping(standardMapping())
    , m_drawing(this, overhang(), [this](QPainter &painter) { paint(painter); })
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void Digit::setThickness(qreal thickness)
{
    if (thickness != m_thickness) {
        m_thickness = thickness;
        update();
    }
}

void Digit::setDistance(qreal distance)
{
    if (distance != m_distance) {
        m_distance = distance;
        update();
    }
}

void Digit::setValue(std::optional<int> value)
{
    const int newValue = value.value_or(blankCode);
    if (newValue != m_value) {
        m_value = newValue;
        update();
    }
}

void Digit::setColor(const QColor &color)
{
    if (color != m_color) {
        m_color = color;
        update();
    }
}

void Digit::setHighligtedColor(const QColor &highligtedColor)
{
    if (highligtedColor != m_highligtedColor) {
        m_highligtedColor = highligtedColor;
        update();
    }
}

void Digit::setApplyHighlightedShaddow(bool applyHighlightedShaddow)
{
    if (applyHighlightedShaddow != m_applyHighlightedShaddow) {
        // Repaint the old glow area before it shrinks.
        update();
        m_applyHighlightedShaddow = applyHighlightedShaddow;
        m_drawing.setOverhang(overhang());
        update();
    }
}

bool Digit::isLit(int segment) const
{
    return isLit(m_mapping, m_value, segment);
}

bool Digit::isLit(const Mapping &mapping, int value, int segment)
{
    if (value < 0 || std::size_t(value) >= mapping.size())
        return false;
    const auto &row = mapping[std::size_t(value)];
    return std::find(row.begin(), row.end(), segment) != row.end();
}

Arm::Direction Digit::direction(int segment)
{
    return segment == 3 || segment == 4 || segment == 5 ? Arm::Direction::horizontal
                                                        : Arm::Direction::vertical;
}

std::array<QRectF, Digit::segmentCount> Digit::segmentFrames(QSizeF size, qreal thickness, qreal distance)
{
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal t = thickness;
    const qreal d = distance;
    const qreal vertical = h / 2 - t / 2 - 2 * d;
    const qreal horizontal = w - t - 2 * d;
    return {
        QRectF(0, t / 2 + d, t, vertical),
        QRectF(0, h / 2 + d, t, vertical),
        QRectF(t / 2 + d, 0, horizontal, t),
        QRectF(t / 2 + d, h / 2 - t / 2, horizontal, t),
        QRectF(t / 2 + d, h - t, horizontal, t),
        QRectF(w - t, t / 2 + d, t, vertical),
        QRectF(w - t, h / 2 + d, t, vertical),
    };
}

std::optional<Shadow> Digit::segmentGlow() const
{
    if (!m_applyHighlightedShaddow)
        return std::nullopt;
    return Shadow::glow(m_highligtedColor, glowOpacity, glowRadius);
}

qreal Digit::overhang() const
{
    return m_applyHighlightedShaddow ? std::ceil(view_helpers::shadowExtent(glowRadius)) : 0;
}

void Digit::paint(QPainter &painter)
{
    unsigned lit = 0;
    for (int segment = 1; segment <= segmentCount; ++segment) {
        if (isLit(segment))
            lit |= 1u << segment;
    }
    const CacheKey key{lit,
                       m_color.rgba64(),
                       m_highligtedColor.rgba64(),
                       m_thickness,
                       m_distance,
                       m_applyHighlightedShaddow};
    m_drawing.draw(painter, key, [this](QPainter &imagePainter, const CacheKey &) { drawSegments(imagePainter); });
}

void Digit::drawSegments(QPainter &painter) const
{
    const auto frames = segmentFrames(size(), m_thickness, m_distance);
    const std::optional<Shadow> glow = segmentGlow();
    for (int segment = 1; segment <= segmentCount; ++segment) {
        const QPainterPath outline = Arm{direction(segment)}.path(frames[std::size_t(segment - 1)]);
        if (isLit(segment))
            view_helpers::fillPathWithShadow(painter, outline, m_highligtedColor, glow);
        else
            painter.fillPath(outline, m_color);
    }
}

void Digit::paintEvent(QPaintEvent *)
{
    // Only reached when the overhang effect is switched off: then the glow
    // stops at the widget's edges.
    QPainter painter(this);
    paint(painter);
}

} // namespace tarimo::digit
