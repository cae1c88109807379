#include "menubar_access/menu_bar_extra_window.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace tarimo::menubar_access {

MenuBarExtraWindow::MenuBarExtraWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    createStatusItem();
    // The window list orders windows by when their platform window was
    // made; making it now gives panels the order of their construction.
    create();
}

MenuBarExtraWindow::MenuBarExtraWindow(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{}

void MenuBarExtraWindow::createStatusItem()
{
    if (m_statusItem)
        return;
    m_statusItem = new QSystemTrayIcon(this);
    m_button = new StatusBarButton(m_statusItem, this, [this] { togglePanel(); });
    m_button->setState(isVisible() && !isMinimized() ? ControlState::on : ControlState::off);
    // A left click: a press on the icon's own window in an X11 tray, an
    // Activate call from a tray that speaks D-Bus.
    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_button->performClick();
    });
}

void MenuBarExtraWindow::togglePanel()
{
    if (isVisible() && !isMinimized()) {
        hide();
        return;
    }
    placeNearStatusItem();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    // An active panel lets the application's deactivation tell us the user
    // has gone elsewhere.
    activateWindow();
}

void MenuBarExtraWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_button)
        m_button->setState(ControlState::on);
}

void MenuBarExtraWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_button)
        m_button->setState(ControlState::off);
}

void MenuBarExtraWindow::placeNearStatusItem()
{
    const QRect icon = m_statusItem ? m_statusItem->geometry() : QRect();
    if (!icon.isValid() && m_unknownIconPlace == UnknownIconPlace::whereItWas) {
        // A place asked for is kept; a window placed by the window manager
        // (also one it moved) would be placed anew each time it is shown.
        if (QWindow *window = windowHandle())
            window->setPosition(window->position());
        return;
    }
    const QPoint anchor = icon.isValid() ? QPoint(icon.left(), icon.bottom() + 1) : QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(icon.isValid() ? icon.center() : anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    QRect frame(anchor, size());
    if (screen) {
        const QRect available = screen->availableGeometry();
        // A tray at the bottom of the screen opens its panel upwards.
        if (icon.isValid() && frame.bottom() > available.bottom())
            frame.moveBottom(icon.top() - 1);
        frame.moveLeft(qBound(available.left(), frame.left(), available.right() - frame.width() + 1));
        frame.moveTop(qBound(available.top(), frame.top(), available.bottom() - frame.height() + 1));
    }
    move(frame.topLeft());
}

} // namespace tarimo::menubar_access
