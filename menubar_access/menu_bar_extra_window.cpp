#include "menubar_access/menu_bar_extra_window.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace tarimo::menubar_access {

MenuBarExtraWindow::MenuBarExtraWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_statusItem(new QSystemTrayIcon(this))
    , m_button(new StatusBarButton(m_statusItem, this, [this] { togglePanel(); }))
{
    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_button->performClick();
    });
    // The window list orders windows by when their platform window was
    // made; making it now gives panels the order of their construction.
    create();
}

void MenuBarExtraWindow::togglePanel()
{
    if (isVisible()) {
        hide();
        return;
    }
    placeNearStatusItem();
    show();
    raise();
    // An active panel lets the application's deactivation tell us the user
    // has gone elsewhere.
    activateWindow();
}

void MenuBarExtraWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_button->setState(ControlState::on);
}

void MenuBarExtraWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_button->setState(ControlState::off);
}

void MenuBarExtraWindow::placeNearStatusItem()
{
    const QRect icon = m_statusItem->geometry();
    const QPoint anchor = icon.isValid() ? icon.bottomLeft() : QCursor::pos();
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
