#include "menubar_access/menu_bar_extra_access.h"

#include "menubar_access/status_item_lookup.h"
#include "menubar_access/status_item_operations.h"

namespace tarimo::menubar_access::detail {

void introspectStatusItem(MenuBarPlatformProvider &platform, int index, const StatusItemHandler &introspection)
{
    QObject *item = StatusItemLookup(platform).statusItemFor(StatusItemKey::byIndex(index));
    if (item && introspection)
        introspection(item);
}

std::unique_ptr<ButtonStateObserver> makePresentedObserver(MenuBarPlatformProvider &platform, int index,
                                                           Binding<bool> isMenuPresented)
{
    return StatusItemLookup(platform).makeButtonStateObserver(
        index, [isMenuPresented](const StateChange &change) mutable {
            if (!change.newValue)
                return;
            const bool shown = *change.newValue != ControlState::off;
            if (isMenuPresented.get() != shown)
                isMenuPresented.set(shown);
        });
}

std::optional<MonitorToken> installOutsideClickMonitor(MenuBarPlatformProvider &platform, int index,
                                                       Binding<bool> isMenuPresented)
{
    MenuBarPlatformProvider *platformAddress = &platform;
    return platform.addOutsideClickMonitor([platformAddress, index, isMenuPresented]() mutable {
        if (QObject *item = StatusItemLookup(*platformAddress).statusItemFor(StatusItemKey::byIndex(index)))
            applyPresented(*platformAddress, item, false);
        isMenuPresented.set(false);
    });
}

void presentedChanged(MenuBarPlatformProvider &platform, int index, bool presented)
{
    if (QObject *item = StatusItemLookup(platform).statusItemFor(StatusItemKey::byIndex(index)))
        applyPresented(platform, item, presented);
}

} // namespace tarimo::menubar_access::detail
