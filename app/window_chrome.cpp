#include "app/window_chrome.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

namespace tarimo::app {

WindowChrome::WindowChrome(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    window->installEventFilter(this);
}

bool WindowChrome::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;

    switch (event->type()) {
    case QEvent::Hide:
        m_pressedAt.reset();
        break;
    case QEvent::MouseButtonPress: {
        // Reaches the window only where nothing inside took the press.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressedAt = mouse->globalPosition().toPoint();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        // A move starts only once the pointer has travelled with the button
        // held: handing a press to the window manager when the button is
        // already up again leaves the window stuck to the pointer.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_pressedAt && (mouse->buttons() & Qt::LeftButton)
            && (mouse->globalPosition().toPoint() - *m_pressedAt).manhattanLength()
                   >= QGuiApplication::styleHints()->startDragDistance()) {
            m_pressedAt.reset();
            Q_EMIT moveStarted();
            if (QWindow *handle = m_window->windowHandle())
                handle->startSystemMove();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_pressedAt.reset();
        break;
    default:
        break;
    }
    return false;
}

} // namespace tarimo::app
