#pragma once

#include "menubar_access/binding.h"
#include "menubar_access/button_state_observer.h"
#include "menubar_access/menu_bar_platform_provider.h"
#include "menubar_access/observer_container.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace tarimo::menubar_access {

using StatusItemHandler = std::function<void(QObject *statusItem)>;

namespace detail {

// The steps behind MenuBarExtraAccess; they need no scene type.

// Calls `introspection` with the status item at `index`, when both exist.
void introspectStatusItem(MenuBarPlatformProvider &platform, int index, const StatusItemHandler &introspection);
// Observes the button at `index`, keeping `isMenuPresented` equal to
// whether it is shown.
std::unique_ptr<ButtonStateObserver> makePresentedObserver(MenuBarPlatformProvider &platform, int index,
                                                           Binding<bool> isMenuPresented);
// Closes the panel at `index` and clears `isMenuPresented` on every click
// outside the application's panels. The handler holds the platform only
// by address: the platform owns the handler and outlives it.
std::optional<MonitorToken> installOutsideClickMonitor(MenuBarPlatformProvider &platform, int index,
                                                       Binding<bool> isMenuPresented);
// Follows an owner's change of the presented flag.
void presentedChanged(MenuBarPlatformProvider &platform, int index, bool presented);

} // namespace detail

// A menu-bar scene as evaluated: the wrapped scene plus the handler that
// follows the presented flag. Holding it keeps the handler attached; the
// next evaluation's result takes its place.
template<class Scene>
struct MenuBarExtraScene
{
    Scene scene;
    int setUpPass = 0;
    BindingSubscription presentedChange;
};

// Wraps a menu-bar scene and keeps `isMenuPresented` in step with its status
// item's button both ways, and closes its panel on clicks outside the
// application. A value: every copy shares one ObserverContainer.
template<class Scene>
class MenuBarExtraAccess
{
public:
    // Position of the status item among StatusItemLookup::allStatusItems().
    int index = 0;
    // Called with the status item after each set-up pass that finds it.
    StatusItemHandler statusItemIntrospection;
    Scene menuBarExtra;
    Binding<bool> isMenuPresented;
    std::shared_ptr<ObserverContainer> observerContainer;

    // Evaluates the scene: runs the set-up pass, then attaches the handler
    // that follows the presented flag. Call it each time the scene is
    // evaluated and keep the latest result.
    MenuBarExtraScene<Scene> body() const
    {
        MenuBarExtraScene<Scene> evaluated{menuBarExtra, setUp(), {}};
        evaluated.presentedChange = isMenuPresented.onChange(
            [platform = observerContainer->sharedPlatform(), index = index](const bool &presented) {
                detail::presentedChanged(*platform, index, presented);
            });
        return evaluated;
    }

    // Queues, in this order: the introspection, a new button observer and a
    // new outside-click monitor. They run on later turns of the event loop,
    // never inside this call. Returns 0.
    int setUp() const
    {
        ObserverContainer &container = *observerContainer;
        container.scheduleIntrospection([self = *this] {
            detail::introspectStatusItem(self.observerContainer->platform(), self.index,
                                         self.statusItemIntrospection);
        });
        container.scheduleStateObserver([self = *this] {
            return detail::makePresentedObserver(self.observerContainer->platform(), self.index,
                                                 self.isMenuPresented);
        });
        container.scheduleOutsideClickMonitor([self = *this] {
            return detail::installOutsideClickMonitor(self.observerContainer->platform(), self.index,
                                                      self.isMenuPresented);
        });
        return 0;
    }
};

// Wraps `scene` with a new ObserverContainer on `platform`.
template<class Scene>
MenuBarExtraAccess<Scene> attachMenuBarExtraAccess(std::shared_ptr<MenuBarPlatformProvider> platform,
                                                   Scene scene, int index, Binding<bool> isMenuPresented,
                                                   StatusItemHandler statusItemIntrospection = {})
{
    MenuBarExtraAccess<Scene> access;
    access.index = index;
    access.statusItemIntrospection = std::move(statusItemIntrospection);
    access.menuBarExtra = std::move(scene);
    access.isMenuPresented = std::move(isMenuPresented);
    access.observerContainer = std::make_shared<ObserverContainer>(std::move(platform));
    return access;
}

} // namespace tarimo::menubar_access
