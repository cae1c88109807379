#pragma once

#include <QString>

#include <variant>

namespace tarimo::menubar_access {

// How a lookup names a status item: by its position among the status items
// or by its menu-bar-extra identifier.
class StatusItemKey
{
public:
    static StatusItemKey byIndex(int index) { return StatusItemKey(index); }
    static StatusItemKey byId(QString id) { return StatusItemKey(std::move(id)); }

    const int *index() const { return std::get_if<int>(&m_value); }
    const QString *id() const { return std::get_if<QString>(&m_value); }

    friend bool operator==(const StatusItemKey &, const StatusItemKey &) = default;

private:
    explicit StatusItemKey(std::variant<int, QString> value)
        : m_value(std::move(value))
    {}

    std::variant<int, QString> m_value;
};

} // namespace tarimo::menubar_access
