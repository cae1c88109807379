#pragma once

#include "menubar_access/menu_bar_platform_provider.h"

#include <map>
#include <memory>

class QWindow;

namespace tarimo::menubar_access {

// The platform as Qt offers it. A status item is a QSystemTrayIcon whose
// button is its StatusBarButton child; the windows that carry one are the
// MenuBarExtraWindow panels. Qt cannot see clicks in other applications, so
// the outside-click monitor fires on a mouse press in any of our windows
// that is not part of a menu-bar extra, and when the application stops
// being the active one. Needs a QApplication.
class QtMenuBarPlatform : public MenuBarPlatformProvider
{
public:
    QtMenuBarPlatform();
    ~QtMenuBarPlatform() override;

    QByteArray statusBarWindowClassMarker() const override;
    QByteArray statusItemClassName() const override;
    // The top-level widgets in the order their platform windows were made
    // (other top-level QWindows in between), then any widget that has no
    // platform window yet.
    QList<QObject *> windows() const override;

    QObject *button(QObject *statusItem) const override;
    QObject *target(QObject *button) const override;
    ControlState state(QObject *button) const override;
    void setHighlighted(QObject *button, bool highlighted) override;
    void performClick(QObject *button) override;
    std::unique_ptr<StateObservation> observeState(QObject *button,
                                                   std::function<void(const StateChange &)> handler) override;

    std::optional<MonitorToken> addOutsideClickMonitor(std::function<void()> handler) override;
    void removeMonitor(MonitorToken token) override;
    int installedMonitorCount() const { return int(m_monitors.size()); }

    void post(std::function<void()> block) override;

    // Whether a press in `window` is inside a menu-bar extra: in a panel,
    // on a panel's tray icon or in the icon's menu, or in a window opened
    // over one of these (a pop-up or submenu).
    bool isMenuBarExtraWindow(QWindow *window) const;

private:
    class OutsideClickMonitor;

    quint64 m_nextMonitorId = 1;
    std::map<quint64, std::unique_ptr<OutsideClickMonitor>> m_monitors;
};

} // namespace tarimo::menubar_access
