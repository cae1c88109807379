#pragma once

#include "menubar_access/button_state_observer.h"
#include "menubar_access/menu_bar_platform_provider.h"
#include "menubar_access/status_item_key.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tarimo::menubar_access {

// Finds the status items, their panels and identifiers among the
// platform's windows. Lookups give nullptr or nothing when they find
// nothing; their few messages go to standard output.
class StatusItemLookup
{
public:
    // A panel's class name contains this.
    static constexpr const char *menuBarExtraWindowClassMarker = "MenuBarExtraWindow";

    explicit StatusItemLookup(MenuBarPlatformProvider &platform)
        : m_platform(platform)
    {}

    // The status items of the windows that carry one, in window order.
    QList<QObject *> allStatusItems() const;
    QObject *statusItemOfWindow(QObject *window) const;
    // No key: the first status item.
    QObject *statusItemFor(const std::optional<StatusItemKey> &key = std::nullopt) const;

    // The identifier of the menu-bar extra behind the status item, read
    // from its button's target.
    std::optional<QString> menuBarExtraId(QObject *statusItem) const;
    // The identifier an object carries: its "menuBarExtraId" text or, failing
    // that, a hash of its "label" that holds while the label lives (and only
    // within one run). Properties come before children of the same name.
    static std::optional<QString> menuBarExtraIdOf(QObject *object);

    // The panel of a status item. No key: the first panel.
    QObject *menuBarExtraWindowFor(const std::optional<StatusItemKey> &key = std::nullopt) const;

    std::unique_ptr<ButtonStateObserver>
    makeButtonStateObserver(int index, std::function<void(const StateChange &)> changeHandler) const;

private:
    bool isStatusItem(QObject *object) const;
    QList<QObject *> menuBarExtraWindows() const;

    MenuBarPlatformProvider &m_platform;
};

} // namespace tarimo::menubar_access
