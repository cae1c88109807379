#include "menubar_access/status_item_lookup.h"

#include "console/console.h"
#include "menubar_access/reflection.h"

#include <QHash>

namespace tarimo::menubar_access {

namespace {

const QString statusItemMember = QStringLiteral("statusItem");
// Where an extra keeps its own identifier, and the label that stands in for
// it when there is none.
const QStringList identifierPath = {QStringLiteral("menuBarExtraId")};
const QStringList labelPath = {QStringLiteral("label")};

bool classNameContains(const QObject *object, const char *marker)
{
    return QByteArray(object->metaObject()->className()).contains(marker);
}

} // namespace

bool StatusItemLookup::isStatusItem(QObject *object) const
{
    return object && object->inherits(m_platform.statusItemClassName().constData());
}

QList<QObject *> StatusItemLookup::allStatusItems() const
{
    const QByteArray marker = m_platform.statusBarWindowClassMarker();
    const QByteArray exactName = m_platform.statusItemClassName();
    QList<QObject *> items;
    const QList<QObject *> windows = m_platform.windows();
    for (QObject *window : windows) {
        if (!window || !classNameContains(window, marker.constData()))
            continue;
        // Only the platform's own class counts; a subclass would shift every
        // position after it.
        QObject *item = statusItemOfWindow(window);
        if (item && exactName == item->metaObject()->className())
            items.append(item);
    }
    return items;
}

QObject *StatusItemLookup::statusItemOfWindow(QObject *window) const
{
    if (!window)
        return nullptr;
    QObject *byProperty = objectIn(window->property(statusItemMember.toUtf8().constData()));
    if (isStatusItem(byProperty))
        return byProperty;
    QObject *byMember = window->findChild<QObject *>(statusItemMember, Qt::FindDirectChildrenOnly);
    return isStatusItem(byMember) ? byMember : nullptr;
}

QObject *StatusItemLookup::statusItemFor(const std::optional<StatusItemKey> &key) const
{
    const QList<QObject *> items = allStatusItems();
    if (!key)
        return items.isEmpty() ? nullptr : items.first();
    if (const int *index = key->index())
        return *index >= 0 && *index < items.size() ? items.at(*index) : nullptr;
    const QString &id = *key->id();
    for (QObject *item : items) {
        if (menuBarExtraId(item) == id)
            return item;
    }
    return nullptr;
}

std::optional<QString> StatusItemLookup::menuBarExtraId(QObject *statusItem) const
{
    QObject *button = statusItem ? m_platform.button(statusItem) : nullptr;
    QObject *target = button ? m_platform.target(button) : nullptr;
    if (!target) {
        console::printLine(QStringLiteral("Could not find status item's target."));
        return std::nullopt;
    }
    return menuBarExtraIdOf(target);
}

std::optional<QString> StatusItemLookup::menuBarExtraIdOf(QObject *object)
{
    const std::optional<QVariant> identifier = reflectedDescendant(object, identifierPath);
    if (identifier && identifier->typeId() == QMetaType::QString)
        return identifier->toString();

    const std::optional<QVariant> label = reflectedDescendant(object, labelPath);
    const bool labelIsView = label && objectIn(*label);
    const bool labelIsText = label && label->typeId() == QMetaType::QString && !label->toString().isEmpty();
    if (labelIsView || labelIsText) {
        // qHash is seeded per process, so this identifier holds for one run;
        // within it, it must not change while the label lives.
        const QString hashed = QString::number(qHash(lastingDescription(*label)));
        console::printLine(QStringLiteral("hash: ") + hashed);
        return hashed;
    }

    console::printLine(QStringLiteral("Could not determine MenuBarExtra ID"));
    return std::nullopt;
}

QList<QObject *> StatusItemLookup::menuBarExtraWindows() const
{
    QList<QObject *> kept;
    const QList<QObject *> windows = m_platform.windows();
    for (QObject *window : windows) {
        if (window && classNameContains(window, menuBarExtraWindowClassMarker))
            kept.append(window);
    }
    return kept;
}

QObject *StatusItemLookup::menuBarExtraWindowFor(const std::optional<StatusItemKey> &key) const
{
    const QList<QObject *> windows = menuBarExtraWindows();
    if (!key)
        return windows.isEmpty() ? nullptr : windows.first();

    if (const int *index = key->index()) {
        QObject *item = statusItemFor(StatusItemKey::byIndex(*index));
        if (!item)
            return nullptr;
        for (QObject *window : windows) {
            if (statusItemOfWindow(window) == item)
                return window;
        }
        return nullptr;
    }

    const QString &id = *key->id();
    for (QObject *window : windows) {
        if (menuBarExtraIdOf(window) == id)
            return window;
    }
    // The message has no closing quotation mark; keep it byte for byte.
    console::printLine(QStringLiteral("Window could not be found for status item with ID \"") + id + QLatin1Char('.'));
    return nullptr;
}

std::unique_ptr<ButtonStateObserver>
StatusItemLookup::makeButtonStateObserver(int index, std::function<void(const StateChange &)> changeHandler) const
{
    QObject *item = statusItemFor(StatusItemKey::byIndex(index));
    if (!item) {
        console::printLine(QStringLiteral(
            "Can't register menu bar extra state observer: Can't find status item. It may not yet exist."));
        return nullptr;
    }
    QObject *button = m_platform.button(item);
    if (!button) {
        console::printLine(QStringLiteral("Can't register menu bar extra state observer: Can't generate observer."));
        return nullptr;
    }
    std::unique_ptr<ButtonStateObserver> observer(new ButtonStateObserver(button));
    // The handler hears the present state before this returns.
    observer->m_observation = m_platform.observeState(button, std::move(changeHandler));
    return observer;
}

} // namespace tarimo::menubar_access
