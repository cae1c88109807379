#pragma once

// Reaching an object's members by name. A member of a QObject is its
// property (declared or dynamic) of that name or, failing that, its direct
// child with that object name; a member of a map is its entry. Values are
// QVariants, a QObject travelling as a pointer.

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace tarimo::menubar_access {

// The object a value holds, or nullptr when it holds none.
QObject *objectIn(const QVariant &value);

// The member `name` of `value`, or nothing when it has no such member.
std::optional<QVariant> reflectedMember(const QVariant &value, const QString &name);

// Follows `path` member by member from `root`; nothing as soon as a step
// finds nothing. An empty path gives `root` itself.
std::optional<QVariant> reflectedDescendant(QObject *root, const QStringList &path);

// A text of the value that stays the same for as long as the value lives:
// for an object its class name and address, not its changing state; for
// anything else its text.
QString lastingDescription(const QVariant &value);

} // namespace tarimo::menubar_access
