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
        // A window moved by hand may fall behind a quick pointer for a moment.
        if (event->type() == QEvent::Hide || !m_movingByHand) {
            m_pressedAt.reset();
            m_movingByHand = false;
        }
        updateControls();
        break;
    case QEvent::MouseButtonPress: {
        // Reaches the window only where nothing inside took the press.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressedAt = mouse->globalPosition().toPoint();
            m_windowAtPress = m_window->pos();
            m_movingByHand = false;
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_pressedAt || !(mouse->buttons() & Qt::LeftButton))
            break;
        const QPoint travelled = mouse->globalPosition().toPoint() - *m_pressedAt;
        if (m_movingByHand) {
            m_window->move(m_windowAtPress + travelled);
            return true;
        }
        // A move starts only once the pointer has travelled with the button
        // held: handing a press to the window manager when the button is
        // already up again leaves the window stuck to the pointer.
        if (travelled.manhattanLength() < QGuiApplication::styleHints()->startDragDistance())
            break;
        // The window manager keeps the window where it is against the
        // pointer when it takes over: catch up with the way travelled
        // first, so that the point pressed stays under the pointer.
        m_window->move(m_windowAtPress + travelled);
        Q_EMIT moveStarted();
        QWindow *handle = m_window->windowHandle();
        if (handle && handle->startSystemMove())
            m_pressedAt.reset();
        else
            m_movingByHand = true;
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_pressedAt.reset();
        m_movingByHand = false;
        break;
    default:
        break;
    }
    return false;
}

} // namespace tarimo::app
