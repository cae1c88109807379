#pragma once

#include "menubar_access/button_state_observer.h"
#include "menubar_access/menu_bar_platform_provider.h"

#include <functional>
#include <memory>
#include <optional>

namespace tarimo::menubar_access {

// What one menu-bar extra keeps between evaluations: the current button
// observer and outside-click monitor. Shared by every copy of its
// MenuBarExtraAccess; the queued work holds it alive until it has run.
class ObserverContainer : public std::enable_shared_from_this<ObserverContainer>
{
public:
    explicit ObserverContainer(std::shared_ptr<MenuBarPlatformProvider> platform);
    ~ObserverContainer();

    ObserverContainer(const ObserverContainer &) = delete;
    ObserverContainer &operator=(const ObserverContainer &) = delete;

    MenuBarPlatformProvider &platform() const { return *m_platform; }
    const std::shared_ptr<MenuBarPlatformProvider> &sharedPlatform() const { return m_platform; }

    ButtonStateObserver *observer() const { return m_observer.get(); }
    std::optional<MonitorToken> eventsMonitor() const { return m_eventsMonitor; }

    // While set, scheduleIntrospection queues nothing. Nothing in this layer
    // sets it; an owner that needs the status item only once may.
    bool statusItemIntrospectionSetup() const { return m_statusItemIntrospectionSetup; }
    void setStatusItemIntrospectionSetup(bool done) { m_statusItemIntrospectionSetup = done; }

    // Each queues its block on the GUI thread's event loop and returns at once.
    void scheduleIntrospection(std::function<void()> block);
    // The block's observer replaces, and so ends, the previous one.
    void scheduleStateObserver(std::function<std::unique_ptr<ButtonStateObserver>()> block);
    // The block's token replaces the previous one, whose monitor is removed.
    void scheduleOutsideClickMonitor(std::function<std::optional<MonitorToken>()> block);

private:
    std::shared_ptr<MenuBarPlatformProvider> m_platform;
    std::unique_ptr<ButtonStateObserver> m_observer;
    std::optional<MonitorToken> m_eventsMonitor;
    bool m_statusItemIntrospectionSetup = false;
};

} // namespace tarimo::menubar_access
