#pragma once

// Reaching an object's stored members by name. A member of a QObject is its
// direct child with that object name or, failing that, its property
// (declared or dynamic) of that name; a member of a map is its entry. Values
// are QVariants, a QObject travelling as a pointer. Reading a property by
// name alone is QObject::property.

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

// A full text of the value: for an object its class name and every
// readable property with its value; for anything else its text form.
QString reflectedDescription(const QVariant &value);

} // namespace tarimo::menubar_access
