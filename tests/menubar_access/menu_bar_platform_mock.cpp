#include "tests/menubar_access/menu_bar_platform_mock.h"

#include <QCoreApplication>
#include <QVariant>

namespace tarimo::menubar_access {

namespace {

StatusBarButtonMock *asButton(QObject *object)
{
    return qobject_cast<StatusBarButtonMock *>(object);
}

class ConnectionObservation : public StateObservation
{
public:
    ConnectionObservation(QMetaObject::Connection connection, int &activeCount)
        : m_connection(std::move(connection))
        , m_activeCount(activeCount)
    {
        ++m_activeCount;
    }
    ~ConnectionObservation() override { invalidate(); }

    void invalidate() override
    {
        if (m_valid) {
            m_valid = false;
            QObject::disconnect(m_connection);
            --m_activeCount;
        }
    }

private:
    QMetaObject::Connection m_connection;
    int &m_activeCount;
    bool m_valid = true;
};

} // namespace

void StatusBarButtonMock::setState(ControlState newState)
{
    if (state == newState)
        return;
    state = newState;
    Q_EMIT stateChanged();
}

void StatusBarButtonMock::click()
{
    ++clickCount;
    setState(state == ControlState::off ? ControlState::on : ControlState::off);
}

MenuBarPlatformMock::MenuBarPlatformMock() = default;

MenuBarPlatformMock::~MenuBarPlatformMock() = default;

StatusItemMock *MenuBarPlatformMock::addStatusItem(bool withButton)
{
    auto *window = make<StatusBarWindowMock>();
    auto *item = make<StatusItemMock>();
    if (withButton) {
        item->button = make<StatusBarButtonMock>();
        item->button->target = make<QObject>();
    }
    window->setProperty("statusItem", QVariant::fromValue<QObject *>(item));
    windowList.append(window);
    return item;
}

MenuBarExtraWindowMock *MenuBarPlatformMock::addMenuBarExtraWindow(QObject *statusItem)
{
    auto *window = make<MenuBarExtraWindowMock>();
    window->setProperty("statusItem", QVariant::fromValue(statusItem));
    windowList.append(window);
    return window;
}

QByteArray MenuBarPlatformMock::statusBarWindowClassMarker() const
{
    return "StatusBarWindowMock";
}

QByteArray MenuBarPlatformMock::statusItemClassName() const
{
    return StatusItemMock::staticMetaObject.className();
}

QList<QObject *> MenuBarPlatformMock::windows() const
{
    QList<QObject *> live;
    for (const QPointer<QObject> &window : windowList) {
        if (window)
            live.append(window);
    }
    return live;
}

QObject *MenuBarPlatformMock::button(QObject *statusItem) const
{
    auto *item = qobject_cast<StatusItemMock *>(statusItem);
    return item ? item->button.data() : nullptr;
}

QObject *MenuBarPlatformMock::target(QObject *button) const
{
    StatusBarButtonMock *mock = asButton(button);
    return mock ? mock->target.data() : nullptr;
}

ControlState MenuBarPlatformMock::state(QObject *button) const
{
    StatusBarButtonMock *mock = asButton(button);
    return mock ? mock->state : ControlState::off;
}

void MenuBarPlatformMock::setHighlighted(QObject *button, bool highlighted)
{
    if (StatusBarButtonMock *mock = asButton(button)) {
        mock->highlighted = highlighted;
        ++mock->highlightCount;
    }
}

void MenuBarPlatformMock::performClick(QObject *button)
{
    if (StatusBarButtonMock *mock = asButton(button))
        mock->click();
}

std::unique_ptr<StateObservation>
MenuBarPlatformMock::observeState(QObject *button, std::function<void(const StateChange &)> handler)
{
    StatusBarButtonMock *mock = asButton(button);
    if (!mock)
        return nullptr;
    ++observationsStarted;
    handler(StateChange{mock->state});
    QPointer<StatusBarButtonMock> observed = mock;
    return std::make_unique<ConnectionObservation>(
        QObject::connect(mock, &StatusBarButtonMock::stateChanged, mock,
                         [observed, handler = std::move(handler)] { handler(StateChange{observed->state}); }),
        activeObservations);
}

std::optional<MonitorToken> MenuBarPlatformMock::addOutsideClickMonitor(std::function<void()> handler)
{
    if (failMonitorInstallation)
        return std::nullopt;
    ++monitorInstallations;
    const MonitorToken token{m_nextMonitorId++};
    m_monitors.emplace(token.id, std::move(handler));
    return token;
}

void MenuBarPlatformMock::removeMonitor(MonitorToken token)
{
    if (m_monitors.erase(token.id) != 0)
        ++monitorRemovals;
}

void MenuBarPlatformMock::post(std::function<void()> block)
{
    ++postedBlocks;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, block = std::move(block)] {
            ++ranBlocks;
            block();
        },
        Qt::QueuedConnection);
}

void MenuBarPlatformMock::clickOutside()
{
    // A handler may remove monitors; call the ones installed at the click.
    std::vector<std::function<void()>> handlers;
    for (const auto &[id, handler] : m_monitors)
        handlers.push_back(handler);
    for (const auto &handler : handlers)
        handler();
}

} // namespace tarimo::menubar_access
