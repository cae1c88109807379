#pragma once

#include "menubar_access/menu_bar_platform_provider.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QSystemTrayIcon;

namespace tarimo::menubar_access {

// The button of a tray icon: a tray icon has no button object of its own,
// so this one, a child of the icon, stands for it. Its state says whether
// the icon's panel is shown; a click runs the action of its target.
class StatusBarButton : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int state READ stateValue NOTIFY stateChanged)
    Q_PROPERTY(bool highlighted READ isHighlighted WRITE setHighlighted NOTIFY highlightedChanged)
    Q_PROPERTY(QObject *target READ target CONSTANT)

public:
    StatusBarButton(QSystemTrayIcon *statusItem, QObject *target, std::function<void()> action);

    ControlState state() const { return m_state; }
    int stateValue() const { return int(m_state); }
    // Set by the panel as it is shown and hidden.
    void setState(ControlState state);

    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

    QObject *target() const { return m_target; }

    // Does what a user's click on the tray icon does.
    void performClick();

Q_SIGNALS:
    void stateChanged(int state);
    void highlightedChanged(bool highlighted);
    void clicked();

private:
    QPointer<QObject> m_target;
    std::function<void()> m_action;
    ControlState m_state = ControlState::off;
    bool m_highlighted = false;
};

} // namespace tarimo::menubar_access
