#include "menubar_access/qt_menu_bar_platform.h"

#include "menubar_access/menu_bar_extra_window.h"
#include "menubar_access/status_bar_button.h"
#include "menubar_access/status_item_lookup.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QMenu>
#include <QSet>
#include <QSystemTrayIcon>
#include <QWidget>
#include <QWindow>

namespace tarimo::menubar_access {

namespace {

StatusBarButton *asButton(QObject *object)
{
    return qobject_cast<StatusBarButton *>(object);
}

class SignalObservation : public StateObservation
{
public:
    explicit SignalObservation(QMetaObject::Connection connection)
        : m_connection(std::move(connection))
    {}
    ~SignalObservation() override { invalidate(); }

    // Safe after the button is gone: its connections are gone with it.
    void invalidate() override { QObject::disconnect(m_connection); }

private:
    QMetaObject::Connection m_connection;
};

} // namespace

// Watches every mouse press of the application as it reaches its window,
// once per press, and the application's activation.
class QtMenuBarPlatform::OutsideClickMonitor : public QObject
{
public:
    OutsideClickMonitor(const QtMenuBarPlatform &platform, std::function<void()> handler)
        : m_platform(platform)
        , m_handler(std::move(handler))
    {
        auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
        application->installEventFilter(this);
        connect(application, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (!m_stopped && state != Qt::ApplicationActive)
                m_handler();
        });
    }

    void stop()
    {
        m_stopped = true;
        if (QCoreApplication *application = QCoreApplication::instance()) {
            application->removeEventFilter(this);
            disconnect(application, nullptr, this, nullptr);
        }
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_stopped)
            return false;
        const bool press = event->type() == QEvent::MouseButtonPress
                           || event->type() == QEvent::NonClientAreaMouseButtonPress;
        // Widgets hear a press after their window did, and again for each
        // parent it is passed on to; the window hears it once.
        if (press && watched->isWindowType() && !m_platform.isMenuBarExtraWindow(static_cast<QWindow *>(watched)))
            m_handler();
        return false;
    }

private:
    const QtMenuBarPlatform &m_platform;
    std::function<void()> m_handler;
    bool m_stopped = false;
};

QtMenuBarPlatform::QtMenuBarPlatform() = default;

QtMenuBarPlatform::~QtMenuBarPlatform()
{
    for (auto &[id, monitor] : m_monitors)
        monitor->stop();
}

QByteArray QtMenuBarPlatform::statusBarWindowClassMarker() const
{
    return StatusItemLookup::menuBarExtraWindowClassMarker;
}

QByteArray QtMenuBarPlatform::statusItemClassName() const
{
    return QSystemTrayIcon::staticMetaObject.className();
}

QList<QObject *> QtMenuBarPlatform::windows() const
{
    QHash<QWindow *, QWidget *> widgetOfWindow;
    const QWidgetList topLevelWidgets = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevelWidgets) {
        if (QWindow *window = widget->windowHandle())
            widgetOfWindow.insert(window, widget);
    }

    QList<QObject *> ordered;
    QSet<QWidget *> listed;
    const QWindowList topLevelWindows = QGuiApplication::topLevelWindows();
    for (QWindow *window : topLevelWindows) {
        if (QWidget *widget = widgetOfWindow.value(window)) {
            ordered.append(widget);
            listed.insert(widget);
        } else {
            ordered.append(window);
        }
    }
    for (QWidget *widget : topLevelWidgets) {
        if (!listed.contains(widget) && widget->windowType() != Qt::Desktop)
            ordered.append(widget);
    }
    return ordered;
}

QObject *QtMenuBarPlatform::button(QObject *statusItem) const
{
    if (!statusItem)
        return nullptr;
    return statusItem->findChild<StatusBarButton *>(QString(), Qt::FindDirectChildrenOnly);
}

QObject *QtMenuBarPlatform::target(QObject *button) const
{
    StatusBarButton *statusBarButton = asButton(button);
    return statusBarButton ? statusBarButton->target() : nullptr;
}

ControlState QtMenuBarPlatform::state(QObject *button) const
{
    StatusBarButton *statusBarButton = asButton(button);
    return statusBarButton ? statusBarButton->state() : ControlState::off;
}

void QtMenuBarPlatform::setHighlighted(QObject *button, bool highlighted)
{
    if (StatusBarButton *statusBarButton = asButton(button))
        statusBarButton->setHighlighted(highlighted);
}

void QtMenuBarPlatform::performClick(QObject *button)
{
    if (StatusBarButton *statusBarButton = asButton(button))
        statusBarButton->performClick();
}

std::unique_ptr<StateObservation>
QtMenuBarPlatform::observeState(QObject *button, std::function<void(const StateChange &)> handler)
{
    StatusBarButton *statusBarButton = asButton(button);
    if (!statusBarButton)
        return nullptr;
    handler(StateChange{statusBarButton->state()});
    return std::make_unique<SignalObservation>(
        QObject::connect(statusBarButton, &StatusBarButton::stateChanged, statusBarButton,
                         [handler = std::move(handler)](int state) {
                             handler(StateChange{ControlState(state)});
                         }));
}

std::optional<MonitorToken> QtMenuBarPlatform::addOutsideClickMonitor(std::function<void()> handler)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return std::nullopt;
    const MonitorToken token{m_nextMonitorId++};
    m_monitors.emplace(token.id, std::make_unique<OutsideClickMonitor>(*this, std::move(handler)));
    return token;
}

void QtMenuBarPlatform::removeMonitor(MonitorToken token)
{
    const auto found = m_monitors.find(token.id);
    if (found == m_monitors.end())
        return;
    // The monitor may be the one whose handler is running right now: stop
    // it at once, delete it once that handler has returned.
    OutsideClickMonitor *monitor = found->second.release();
    m_monitors.erase(found);
    monitor->stop();
    monitor->deleteLater();
}

void QtMenuBarPlatform::post(std::function<void()> block)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(block), Qt::QueuedConnection);
}

bool QtMenuBarPlatform::isMenuBarExtraWindow(QWindow *window) const
{
    QSet<QWindow *> extraWindows;
    QList<QSystemTrayIcon *> icons;
    const QList<QObject *> all = windows();
    for (QObject *object : all) {
        auto *panel = qobject_cast<MenuBarExtraWindow *>(object);
        if (!panel)
            continue;
        extraWindows.insert(panel->windowHandle());
        if (!panel->statusItem())
            continue;
        icons.append(panel->statusItem());
        if (QMenu *menu = panel->statusItem()->contextMenu())
            extraWindows.insert(menu->windowHandle());
    }
    extraWindows.remove(nullptr);

    for (QWindow *current = window; current; current = current->transientParent()) {
        if (extraWindows.contains(current))
            return true;
        // On X11 a tray icon is a small window of ours that the tray holds;
        // Qt names no link from the icon to it, but the icon's place is the
        // window's place.
        const QRect area(current->mapToGlobal(QPoint(0, 0)), current->size());
        for (QSystemTrayIcon *icon : std::as_const(icons)) {
            if (icon->isVisible() && icon->geometry() == area)
                return true;
        }
    }
    return false;
}

} // namespace tarimo::menubar_access
