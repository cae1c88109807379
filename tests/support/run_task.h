#pragma once

#include <QEventLoop>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <variant>

namespace tarimo::test_support {

// What became of a task: its value, the exception it threw, or neither when
// it did not finish in time.
template<class T>
class Outcome
{
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    bool finished() const { return m_value.has_value() || m_error != nullptr; }
    bool succeeded() const { return m_value.has_value(); }
    bool failed() const { return m_error != nullptr; }

    Value &value() { return *m_value; }
    const Value &value() const { return *m_value; }
    std::exception_ptr exception() const { return m_error; }

    // The thrown exception as E, if it was one.
    template<class E>
    std::optional<E> error() const
    {
        if (!m_error)
            return std::nullopt;
        try {
            std::rethrow_exception(m_error);
        } catch (const E &e) {
            return e;
        } catch (...) {
            return std::nullopt;
        }
    }

    // what() of the exception; "finished" or "still running" otherwise.
    QString errorText() const
    {
        if (!m_error)
            return finished() ? QStringLiteral("finished") : QStringLiteral("still running");
        try {
            std::rethrow_exception(m_error);
        } catch (const std::exception &e) {
            return QString::fromUtf8(e.what());
        } catch (...) {
            return QStringLiteral("an exception not derived from std::exception");
        }
    }

    std::optional<Value> m_value;
    std::exception_ptr m_error;
};

namespace detail {

template<class T>
struct RunState
{
    Outcome<T> outcome;
    QPointer<QEventLoop> loop;
};

template<class T>
QCoro::Task<> drive(QCoro::Task<T> task, std::shared_ptr<RunState<T>> state)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await task;
            state->outcome.m_value.emplace();
        } else {
            state->outcome.m_value.emplace(co_await task);
        }
    } catch (...) {
        state->outcome.m_error = std::current_exception();
    }
    if (state->loop)
        state->loop->quit();
}

} // namespace detail

// Runs the event loop until the task ends or the limit passes. Unlike
// QCoro::waitFor it returns when the task throws, and it never hangs.
template<class T>
Outcome<T> runTask(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    auto state = std::make_shared<detail::RunState<T>>();
    QEventLoop loop;
    state->loop = &loop;
    detail::drive<T>(std::move(task), state);
    if (!state->outcome.finished()) {
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    state->loop = nullptr;
    return state->outcome;
}

} // namespace tarimo::test_support
