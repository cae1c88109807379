#include "menubar_access/observer_container.h"

namespace tarimo::menubar_access {

ObserverContainer::ObserverContainer(std::shared_ptr<MenuBarPlatformProvider> platform)
    : m_platform(std::move(platform))
{}

ObserverContainer::~ObserverContainer()
{
    m_observer.reset();
    // A monitor left installed would keep firing for an extra that is gone.
    if (m_eventsMonitor)
        m_platform->removeMonitor(*m_eventsMonitor);
}

void ObserverContainer::scheduleIntrospection(std::function<void()> block)
{
    if (m_statusItemIntrospectionSetup)
        return;
    m_platform->post(std::move(block));
}

void ObserverContainer::scheduleStateObserver(std::function<std::unique_ptr<ButtonStateObserver>()> block)
{
    m_platform->post([self = shared_from_this(), block = std::move(block)] {
        self->m_observer = block();
    });
}

void ObserverContainer::scheduleOutsideClickMonitor(std::function<std::optional<MonitorToken>()> block)
{
    m_platform->post([self = shared_from_this(), block = std::move(block)] {
        const std::optional<MonitorToken> previous = std::exchange(self->m_eventsMonitor, block());
        // Every evaluation installs a fresh monitor; without this the old
        // ones would pile up and each would close the panel again.
        if (previous && previous != self->m_eventsMonitor)
            self->m_platform->removeMonitor(*previous);
    });
}

} // namespace tarimo::menubar_access
