#include "menubar_access/status_bar_button.h"

#include <QSystemTrayIcon>

namespace tarimo::menubar_access {

StatusBarButton::StatusBarButton(QSystemTrayIcon *statusItem, QObject *target, std::function<void()> action)
    : QObject(statusItem)
    , m_target(target)
    , m_action(std::move(action))
{}

void StatusBarButton::setState(ControlState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(int(state));
}

void StatusBarButton::setHighlighted(bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    Q_EMIT highlightedChanged(highlighted);
}

void StatusBarButton::performClick()
{
    Q_EMIT clicked();
    if (m_target && m_action)
        m_action();
}

} // namespace tarimo::menubar_access
