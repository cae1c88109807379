#pragma once

#include <optional>
#include <type_traits>
#include <utility>

namespace tarimo::view_helpers {

// Gives `transform(subject)` when `condition` holds and `subject` unchanged
// otherwise. The subject is anything a change applies to: a widget pointer,
// a drawing style, an optional shadow. For instance, a glow only on the
// selected label:
//
//     const auto glow = applyIf(selected, std::optional<Shadow>(),
//                               [](auto) { return std::optional(Shadow::glow(grey, 0.7, 5)); });
template<class T, class Transform>
    requires std::is_convertible_v<std::invoke_result_t<Transform, T &&>, T>
T applyIf(bool condition, T subject, Transform &&transform)
{
    if (condition)
        return std::forward<Transform>(transform)(std::move(subject));
    return subject;
}

// Gives `transform(subject, *value)` when `value` holds something and
// `subject` unchanged when it is empty.
template<class T, class V, class Transform>
    requires std::is_convertible_v<std::invoke_result_t<Transform, T &&, const V &>, T>
T applyIfPresent(const std::optional<V> &value, T subject, Transform &&transform)
{
    if (value)
        return std::forward<Transform>(transform)(std::move(subject), *value);
    return subject;
}

} // namespace tarimo::view_helpers
