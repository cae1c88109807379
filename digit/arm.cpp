#include "digit/arm.h"

#include <QPolygonF>

namespace tarimo::digit {

namespace {

void addPolygon(QPainterPath &path, std::initializer_list<QPointF> points)
{
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
}

} // namespace

QPainterPath Arm::path(QSizeF size) const
{
    const qreal a = size.width();
    const qreal b = size.height();
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    switch (direction) {
    case Direction::horizontal:
        addPolygon(path, {{0, b / 2}, {b / 2, b}, {b / 2, 0}});
        addPolygon(path, {{b / 2, 0}, {b / 2, b}, {a - b / 2, b}, {a - b / 2, 0}});
        addPolygon(path, {{a - b / 2, b}, {a, b / 2}, {a - b / 2, 0}});
        break;
    case Direction::vertical:
        addPolygon(path, {{a / 2, 0}, {a, a / 2}, {0, a / 2}});
        addPolygon(path, {{0, a / 2}, {a, a / 2}, {a, b - a / 2}, {0, b - a / 2}});
        addPolygon(path, {{0, b - a / 2}, {a, b - a / 2}, {a / 2, b}});
        break;
    }
    return path;
}

QPainterPath Arm::path(const QRectF &rect) const
{
    return path(rect.size()).translated(rect.topLeft());
}

} // namespace tarimo::digit
