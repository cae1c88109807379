#include "view_helpers/overhang_effect.h"

#include <QPainter>

namespace tarimo::view_helpers {

OverhangEffect::OverhangEffect(QMarginsF overhang, Paint paint, QObject *parent)
    : QGraphicsEffect(parent)
    , m_overhang(overhang)
    , m_paint(std::move(paint))
{}

void OverhangEffect::setOverhang(QMarginsF overhang)
{
    if (overhang == m_overhang)
        return;
    m_overhang = overhang;
    updateBoundingRect();
}

QRectF OverhangEffect::boundingRectFor(const QRectF &sourceRect) const
{
    return sourceRect.marginsAdded(m_overhang);
}

void OverhangEffect::draw(QPainter *painter)
{
    // The painter comes in widget coordinates; the widget's own paintEvent is
    // bypassed (asking for the source pixmap would render it needlessly).
    if (m_paint) {
        painter->save();
        // Never past the promised area: nothing would repaint it.
        painter->setClipRect(boundingRectFor(sourceBoundingRect(Qt::LogicalCoordinates)), Qt::IntersectClip);
        m_paint(*painter);
        painter->restore();
    }
}

} // namespace tarimo::view_helpers
