#pragma once

#include "menubar_access/menu_bar_platform_provider.h"

#include <QObject>
#include <QPointer>

#include <map>

namespace tarimo::menubar_access {

// Plain stand-ins for the platform's objects, for tests. A window carries
// its status item in a "statusItem" property or child, as a real one does.

class StatusBarButtonMock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    ControlState state = ControlState::off;
    bool highlighted = false;
    QPointer<QObject> target;
    int clickCount = 0;
    int highlightCount = 0;

    // Changes the state as the platform would and tells the observers.
    void setState(ControlState newState);
    // A click hides a shown panel and shows a hidden one.
    void click();

Q_SIGNALS:
    void stateChanged();
};

class StatusItemMock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    QPointer<StatusBarButtonMock> button;
};

class StatusBarWindowMock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
};

class MenuBarExtraWindowMock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
};

// A platform made of the objects above. Tests build the window list
// themselves or with the helpers; queued blocks run on the real event loop.
class MenuBarPlatformMock : public MenuBarPlatformProvider
{
public:
    MenuBarPlatformMock();
    ~MenuBarPlatformMock() override;

    // In the order lookups see them. Windows that are gone are skipped.
    QList<QPointer<QObject>> windowList;

    // A status bar window with a status item and its button, appended to the
    // window list; owned by the platform.
    StatusItemMock *addStatusItem(bool withButton = true);
    // A panel for `statusItem`, appended to the window list.
    MenuBarExtraWindowMock *addMenuBarExtraWindow(QObject *statusItem);
    // Makes an object owned by the platform.
    template<class T>
    T *make()
    {
        return new T(&m_objects);
    }

    QByteArray statusBarWindowClassMarker() const override;
    QByteArray statusItemClassName() const override;
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
    void post(std::function<void()> block) override;

    // A click in another application: every installed monitor hears it.
    void clickOutside();

    bool failMonitorInstallation = false;
    int monitorInstallations = 0;
    int monitorRemovals = 0;
    int installedMonitorCount() const { return int(m_monitors.size()); }
    bool isMonitorInstalled(MonitorToken token) const { return m_monitors.count(token.id) != 0; }

    int observationsStarted = 0;
    int activeObservations = 0;

    int postedBlocks = 0;
    int ranBlocks = 0;

private:
    QObject m_objects;
    quint64 m_nextMonitorId = 1;
    std::map<quint64, std::function<void()>> m_monitors;
};

} // namespace tarimo::menubar_access
