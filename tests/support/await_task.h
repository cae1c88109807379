#pragma once

// Runs a task to its end in a nested event loop, for plain test functions.
// Unlike QCoro::waitFor, an exception thrown by the task reaches the caller
// (QCoro 0.8 loses it and never returns), and a task that never ends aborts
// the test after `limit` instead of hanging it (the task still refers to this
// frame, so carrying on would not be safe).

#include <QCoro/QCoroTask>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <exception>
#include <optional>
#include <type_traits>

namespace tarimo::test {

namespace detail {

template<class T>
struct Outcome
{
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> value{};
    std::exception_ptr error;
    bool done = false;
};

template<class T>
QCoro::Task<> runToEnd(QCoro::Task<T> task, Outcome<T> *outcome, QEventLoop *loop)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await task;
            outcome->value = true;
        } else {
            outcome->value.emplace(co_await task);
        }
    } catch (...) {
        outcome->error = std::current_exception();
    }
    outcome->done = true;
    loop->quit();
}

} // namespace detail

template<class T>
T awaitTask(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    QEventLoop loop;
    detail::Outcome<T> outcome;
    detail::runToEnd(std::move(task), &outcome, &loop);
    if (!outcome.done) {
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!outcome.done)
        qFatal("awaitTask: the task did not finish within %lld ms", qlonglong(limit.count()));
    if (outcome.error)
        std::rethrow_exception(outcome.error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*outcome.value);
}

} // namespace tarimo::test
