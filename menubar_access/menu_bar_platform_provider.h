#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace tarimo::menubar_access {

// The state of a status bar button. Shown always means "not off", so a mixed
// button counts as shown.
enum class ControlState : int { mixed = -1, off = 0, on = 1 };

// One report of a button's state: a registration or a change. A report
// without a new value carries nothing to act on.
struct StateChange
{
    std::optional<ControlState> newValue;
};

// Stops the reports of one state observation. Destroying it stops them too.
class StateObservation
{
public:
    virtual ~StateObservation() = default;
    virtual void invalidate() = 0;
};

// What the platform hands back for an installed outside-click monitor; it
// is needed again to remove that monitor.
struct MonitorToken
{
    quint64 id = 0;
    friend bool operator==(const MonitorToken &, const MonitorToken &) = default;
};

// The platform objects a menu-bar extra is made of, and the few operations
// on them that QObject does not already give (class names, properties and
// named children are read through QObject itself). Windows, status items,
// buttons and their targets are QObjects; every call happens on the GUI
// thread.
class MenuBarPlatformProvider
{
public:
    virtual ~MenuBarPlatformProvider() = default;

    // The class name of a window that carries a status item contains this.
    virtual QByteArray statusBarWindowClassMarker() const = 0;
    // The exact class name of a status item; objects of other classes,
    // subclasses included, get no position among the status items.
    virtual QByteArray statusItemClassName() const = 0;

    // The application's windows, in the platform's order.
    virtual QList<QObject *> windows() const = 0;

    // The status item's button, or nullptr when it has none.
    virtual QObject *button(QObject *statusItem) const = 0;
    // The object that acts on the button's clicks, or nullptr.
    virtual QObject *target(QObject *button) const = 0;
    virtual ControlState state(QObject *button) const = 0;
    virtual void setHighlighted(QObject *button, bool highlighted) = 0;
    // Clicks the button as the user would, with the button as sender; the
    // button's state has changed when this returns.
    virtual void performClick(QObject *button) = 0;

    // Reports the button's state to `handler` once at once, then on every
    // change, until the returned observation is invalidated or destroyed.
    virtual std::unique_ptr<StateObservation> observeState(QObject *button,
                                                           std::function<void(const StateChange &)> handler)
        = 0;

    // Calls `handler` for each mouse press outside the application's
    // menu-bar extras (their panels and status items), for as long as the
    // monitor is installed. Gives nothing when no monitor could be installed.
    virtual std::optional<MonitorToken> addOutsideClickMonitor(std::function<void()> handler) = 0;
    // Unknown or already removed tokens are ignored.
    virtual void removeMonitor(MonitorToken token) = 0;

    // Runs `block` on a later turn of the GUI thread's event loop; blocks
    // run in the order they were posted.
    virtual void post(std::function<void()> block) = 0;
};

} // namespace tarimo::menubar_access
