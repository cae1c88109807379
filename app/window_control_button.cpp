#include "app/window_control_button.h"

#include "display/panel_colors.h"
#include "view_helpers/color.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace tarimo::app {

namespace panel_colors = display::panel_colors;
using view_helpers::withAlpha;

WindowControlButton::WindowControlButton(Kind kind, const QString &name, QWidget *parent)
    : QAbstractButton(parent)
    , m_kind(kind)
{
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::TabFocus);
    setToolTip(name);
    setAccessibleName(name);
    setCursor(Qt::ArrowCursor);
}

void WindowControlButton::setRevealed(bool revealed)
{
    if (revealed == m_revealed)
        return;
    m_revealed = revealed;
    update();
}

void WindowControlButton::paintEvent(QPaintEvent *)
{
    if (!m_revealed)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QColor light = panel_colors::light();
    const bool hot = underMouse() || isDown();
    const QRectF disc = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);

    // Dark glass at rest; under the pointer the close control lights up red
    // like the digits, minimise like the texts.
    QColor fill = withAlpha(Qt::black, 0.55);
    if (hot)
        fill = m_kind == Kind::close ? withAlpha(panel_colors::red(), isDown() ? 0.7 : 0.9)
                                     : withAlpha(light, isDown() ? 0.3 : 0.45);
    painter.setPen(QPen(withAlpha(light, hot ? 0.0 : 0.55), 1));
    painter.setBrush(fill);
    painter.drawEllipse(disc);

    // The sign: a cross or a bar, in the text colour.
    const QPointF c = disc.center();
    const qreal arm = 2.5;
    QPainterPath sign;
    if (m_kind == Kind::close) {
        sign.moveTo(c + QPointF(-arm, -arm));
        sign.lineTo(c + QPointF(arm, arm));
        sign.moveTo(c + QPointF(arm, -arm));
        sign.lineTo(c + QPointF(-arm, arm));
    } else {
        sign.moveTo(c + QPointF(-arm - 0.5, 0));
        sign.lineTo(c + QPointF(arm + 0.5, 0));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(hot && m_kind == Kind::minimise ? QColor(Qt::black) : light, 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(sign);

    if (hasKeyboardFocus()) {
        painter.setPen(QPen(light, 1));
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void WindowControlButton::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
    Q_EMIT keyboardFocusChanged();
}

void WindowControlButton::focusOutEvent(QFocusEvent *event)
{
    m_keyboardFocus = false;
    QAbstractButton::focusOutEvent(event);
    Q_EMIT keyboardFocusChanged();
}

void WindowControlButton::keyPressEvent(QKeyEvent *event)
{
    // Focus the window handed over on activation is not shown: keys go on
    // to the window, so no unseen control is pressed.
    if (!m_keyboardFocus) {
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void WindowControlButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void WindowControlButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    update();
}

} // namespace tarimo::app
