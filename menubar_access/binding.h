#pragma once

#include <QtGlobal>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tarimo::menubar_access {

// Ends a change subscription when destroyed or reset.
class BindingSubscription
{
public:
    BindingSubscription() = default;
    explicit BindingSubscription(std::function<void()> cancel)
        : m_cancel(std::move(cancel))
    {}
    BindingSubscription(BindingSubscription &&other) noexcept
        : m_cancel(std::exchange(other.m_cancel, {}))
    {}
    BindingSubscription &operator=(BindingSubscription &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_cancel = std::exchange(other.m_cancel, {});
        }
        return *this;
    }
    BindingSubscription(const BindingSubscription &) = delete;
    BindingSubscription &operator=(const BindingSubscription &) = delete;
    ~BindingSubscription() { reset(); }

    void reset()
    {
        if (auto cancel = std::exchange(m_cancel, {}))
            cancel();
    }
    bool isActive() const { return bool(m_cancel); }

private:
    std::function<void()> m_cancel;
};

// A two-way binding to one shared value: every copy reads and writes the
// same value, and the change handlers hear each assignment that changes it.
template<class T>
class Binding
{
public:
    using Handler = std::function<void(const T &)>;

    Binding()
        : Binding(T{})
    {}
    explicit Binding(T initial)
        : m_state(std::make_shared<State>())
    {
        m_state->value = std::move(initial);
    }

    T get() const { return m_state->value; }

    // Handlers run at once, in the order they subscribed, and only when the
    // value really changes.
    void set(T value)
    {
        if (m_state->value == value)
            return;
        m_state->value = std::move(value);
        const T current = m_state->value;
        // A handler may subscribe or unsubscribe others while we walk.
        const auto handlers = m_state->handlers;
        for (const auto &[id, handler] : handlers) {
            if (m_state->isSubscribed(id))
                (*handler)(current);
        }
    }

    [[nodiscard]] BindingSubscription onChange(Handler handler) const
    {
        const quint64 id = m_state->nextId++;
        m_state->handlers.emplace_back(id, std::make_shared<Handler>(std::move(handler)));
        std::weak_ptr<State> weakState = m_state;
        return BindingSubscription([weakState, id] {
            if (const auto state = weakState.lock())
                std::erase_if(state->handlers, [id](const auto &entry) { return entry.first == id; });
        });
    }

    // Copies made from one another share their value.
    bool sharesValueWith(const Binding &other) const { return m_state == other.m_state; }

private:
    struct State
    {
        T value{};
        quint64 nextId = 1;
        std::vector<std::pair<quint64, std::shared_ptr<Handler>>> handlers;

        bool isSubscribed(quint64 id) const
        {
            return std::any_of(handlers.begin(), handlers.end(),
                               [id](const auto &entry) { return entry.first == id; });
        }
    };

    std::shared_ptr<State> m_state;
};

} // namespace tarimo::menubar_access
