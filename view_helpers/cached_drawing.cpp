#include "view_helpers/cached_drawing.h"

#include "view_helpers/overhang_effect.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tarimo::view_helpers {

namespace {

QMarginsF margins(qreal overhang)
{
    return QMarginsF(overhang, overhang, overhang, overhang);
}

} // namespace

CachedDrawingBase::CachedDrawingBase(QWidget *widget, qreal overhang, Paint paint)
    : m_widget(widget)
    , m_effect(new OverhangEffect(margins(overhang), std::move(paint), widget))
    , m_overhang(overhang)
{
    widget->setGraphicsEffect(m_effect);
}

void CachedDrawingBase::setOverhang(qreal overhang)
{
    m_overhang = overhang;
    m_image = QImage();
    m_effect->setOverhang(margins(overhang));
}

bool CachedDrawingBase::fits(qreal ratio) const
{
    return !m_image.isNull() && m_size == m_widget->size() && m_image.devicePixelRatio() == ratio;
}

void CachedDrawingBase::renderImage(qreal ratio, const Paint &render)
{
    m_size = m_widget->size();
    const QSizeF area = QSizeF(m_size).grownBy(margins(m_overhang));
    const QSize pixels(std::max(1, int(std::ceil(area.width() * ratio))), std::max(1, int(std::ceil(area.height() * ratio))));
    // The image of the same size is drawn over, never held beside a new one:
    // two would be the peak of the program's memory.
    if (m_image.size() != pixels) {
        m_image = QImage();
        m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    }
    m_image.setDevicePixelRatio(ratio);
    m_image.fill(Qt::transparent);

    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(m_overhang, m_overhang);
    render(painter);
}

void CachedDrawingBase::drawImage(QPainter &painter) const
{
    painter.drawImage(QPointF(-m_overhang, -m_overhang), m_image);
}

qreal CachedDrawingBase::pixelRatio(const QPainter &painter) const
{
    return painter.device() ? painter.device()->devicePixelRatioF() : m_widget->devicePixelRatioF();
}

} // namespace tarimo::view_helpers
