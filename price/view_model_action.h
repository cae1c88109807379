#pragma once

#include "price/zone.h"

#include <variant>

namespace tarimo::price {

// What a view asks the view model to do.
class ViewModelAction
{
public:
    struct SelectZone
    {
        Zone zone;
        friend bool operator==(const SelectZone &, const SelectZone &) = default;
    };
    struct Reload
    {
        friend bool operator==(const Reload &, const Reload &) = default;
    };
    struct AppWindowClosed
    {
        friend bool operator==(const AppWindowClosed &, const AppWindowClosed &) = default;
    };
    struct AppWindowOpened
    {
        friend bool operator==(const AppWindowOpened &, const AppWindowOpened &) = default;
    };
    using Case = std::variant<SelectZone, Reload, AppWindowClosed, AppWindowOpened>;

    static ViewModelAction selectZone(Zone zone) { return ViewModelAction(SelectZone{zone}); }
    static ViewModelAction reload() { return ViewModelAction(Reload{}); }
    static ViewModelAction appWindowClosed() { return ViewModelAction(AppWindowClosed{}); }
    static ViewModelAction appWindowOpened() { return ViewModelAction(AppWindowOpened{}); }

    const Case &value() const { return m_value; }
    friend bool operator==(const ViewModelAction &, const ViewModelAction &) = default;

private:
    explicit ViewModelAction(Case value)
        : m_value(value)
    {}

    Case m_value;
};

} // namespace tarimo::price
