#include "app/window_chrome.h"

#include "app/window_control_button.h"
#include "display/painted_parts_accessible.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

namespace tarimo::app {

namespace {

bool canPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// A window with our chrome is what screen readers call a frame.
QAccessibleInterface *windowAccessibleFactory(const QString &className, QObject *object)
{
    if (!object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (!widget->isWindow() || !widget->findChild<WindowChrome *>(QString(), Qt::FindDirectChildrenOnly))
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

WindowChrome::WindowChrome(QWidget *window, const QString &closeName, std::function<void()> close)
    : QObject(window)
    , m_window(window)
{
    display::installAccessibleFactoryOnce<windowAccessibleFactory>();
    m_close = new WindowControlButton(WindowControlButton::Kind::close, closeName, window);
    m_close->move(closePosition);
    m_minimise = new WindowControlButton(WindowControlButton::Kind::minimise, tr("Minimise"), window);
    m_minimise->move(minimisePosition);
    for (auto *control : {m_close, m_minimise}) {
        control->raise();
        connect(control, &WindowControlButton::keyboardFocusChanged, this, &WindowChrome::updateControls);
    }
    connect(m_close, &QAbstractButton::clicked, this, [close = std::move(close)] { close(); });
    connect(m_minimise, &QAbstractButton::clicked, m_window, &QWidget::showMinimized);
    window->installEventFilter(this);
}

void WindowChrome::updateControls()
{
    const bool revealed = m_hovered || m_close->hasKeyboardFocus() || m_minimise->hasKeyboardFocus();
    m_close->setRevealed(revealed);
    m_minimise->setRevealed(revealed);
}

bool WindowChrome::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;

    switch (event->type()) {
    case QEvent::Enter:
        m_hovered = true;
        updateControls();
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        m_hovered = false;
        // A dragged window may fall behind a quick pointer for a moment.
        if (event->type() == QEvent::Hide || !m_dragging) {
            m_pressedAt.reset();
            m_dragging = false;
        }
        updateControls();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Reaches the window only where nothing inside took the press. The
        // second press of a double click may begin a drag as well.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressedAt = mouse->globalPosition().toPoint();
            m_windowAtPress = m_window->pos();
            m_dragging = false;
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_pressedAt || !(mouse->buttons() & Qt::LeftButton))
            break;
        const QPoint travelled = mouse->globalPosition().toPoint() - *m_pressedAt;
        if (!m_dragging) {
            // A click that trembles is no drag.
            if (travelled.manhattanLength() < QGuiApplication::styleHints()->startDragDistance())
                break;
            m_dragging = true;
            Q_EMIT moveStarted();
            // Where only the compositor may place windows (Wayland), it
            // moves this one from where the pointer is now. It must not be
            // handed a press whose button is already up again: that leaves
            // the window stuck to the pointer.
            if (!canPlaceWindows()) {
                m_pressedAt.reset();
                m_dragging = false;
                if (QWindow *handle = m_window->windowHandle())
                    handle->startSystemMove();
                return true;
            }
        }
        // Elsewhere the window follows by the whole way travelled, so that
        // the point pressed stays under the pointer. (A window manager handed
        // the move would hold the window against the pointer where it takes
        // over, a drag distance late, and may not yet know of a move made
        // just before.)
        m_window->move(m_windowAtPress + travelled);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_pressedAt.reset();
        m_dragging = false;
        break;
    default:
        break;
    }
    return false;
}

} // namespace tarimo::app
