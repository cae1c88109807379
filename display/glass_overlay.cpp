#include "display/glass_overlay.h"

#include "view_helpers/shadow.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tarimo::display {

namespace {

QColor black(qreal opacity)
{
    return QColor::fromRgbF(0, 0, 0, float(opacity));
}

} // namespace

GlassOverlay::GlassOverlay(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void GlassOverlay::setContentHeight(qreal height)
{
    if (height == m_contentHeight)
        return;
    m_contentHeight = height;
    update();
}

QRectF GlassOverlay::glossEllipse(QSizeF size, qreal contentHeight)
{
    // Centred on the middle of the content block, then moved right and up.
    const QPointF centre(size.width() / 2 + size.width() / 5 * 3, contentHeight / 2 + size.height() / 11 - 50);
    const QSizeF box(size.width() / 5 * 20, size.height() * 0.5);
    return QRectF(centre - QPointF(box.width() / 2, box.height() / 2), box);
}

QRectF GlassOverlay::glossMask(QSizeF size, qreal contentHeight)
{
    const QPointF centre(size.width() / 2, contentHeight / 2);
    return QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size);
}

void GlassOverlay::drawGlass(QPainter &painter, QSizeF size, qreal contentHeight)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    // Gloss: the top of a wide ellipse, darkest at its upper edge.
    const QRectF ellipse = glossEllipse(size, contentHeight);
    QPainterPath mask;
    mask.addRoundedRect(glossMask(size, contentHeight), 10, 10);
    painter.setClipPath(mask);
    QLinearGradient gloss(ellipse.topRight(), ellipse.bottomRight());
    gloss.setColorAt(0.0, black(0.283));
    gloss.setColorAt(0.2, black(0));
    painter.setBrush(gloss);
    painter.drawEllipse(ellipse);
    painter.setClipping(false);

    const QRectF panel(QPointF(0, 0), size);
    QLinearGradient bottomShade(panel.topLeft(), panel.bottomLeft());
    bottomShade.setColorAt(0.7, black(0));
    bottomShade.setColorAt(1.0, black(0.5));
    painter.fillRect(panel, bottomShade);

    QLinearGradient topShade(panel.topLeft(), panel.bottomLeft());
    topShade.setColorAt(0.0, black(0.6));
    topShade.setColorAt(0.32, black(0.2));
    painter.fillRect(panel, topShade);
    view_helpers::drawInnerShadow(painter, panel, view_helpers::Shadow{black(0.7), 20, QPointF(1, 1)});

    painter.restore();
}

void GlassOverlay::paintEvent(QPaintEvent *)
{
    // Drawn afresh: the gradients are quick, the blurred inner shadow comes
    // from the shared cache, and the panel repaints only when a price or an
    // hour changes, so a full-panel image of our own would be memory held
    // for little.
    QPainter painter(this);
    drawGlass(painter, size(), m_contentHeight);
}

} // namespace tarimo::display
