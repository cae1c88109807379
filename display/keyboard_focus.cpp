#include "display/keyboard_focus.h"

#include "display/panel_colors.h"

#include <QFocusEvent>
#include <QPainter>
#include <QWidget>

namespace tarimo::display {

void KeyboardFocus::focusIn(const QFocusEvent *event)
{
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        m_shown = true;
    else if (event->reason() == Qt::MouseFocusReason)
        m_shown = false;
}

bool KeyboardFocus::isShown(const QWidget *widget) const
{
    return m_shown && widget->hasFocus();
}

void KeyboardFocus::drawOutline(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor light = panel_colors::light();
    light.setAlphaF(0.8f);
    painter.setPen(QPen(light, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    painter.restore();
}

} // namespace tarimo::display
