#pragma once

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <variant>

namespace tarimo::test_support {

// What became of a task: its value, the exception it threw, or neither when
// it did not finish in time.
template<class T>
struct Outcome
{
    std::optional<std::conditional_t<std::is_void_v<T>, std::monostate, T>> m_value;
    std::exception_ptr m_error;
    QString m_errorText; // what() of the exception

    bool finished() const { return m_value || m_error; }
    bool succeeded() const { return m_value.has_value(); }
    const auto &value() const { return *m_value; }

    // The thrown exception as E, if it was one.
    template<class E>
    std::optional<E> error() const
    {
        try {
            if (m_error)
                std::rethrow_exception(m_error);
        } catch (const E &e) {
            return e;
        } catch (...) {
        }
        return std::nullopt;
    }

    // what() of the exception, or what became of the task.
    QString errorText() const { return m_error ? m_errorText : m_value ? "finished" : "still running"; }
};

// Runs the event loop until the task ends or the limit passes. Unlike
// QCoro::waitFor it returns when the task throws, and it never hangs.
template<class T>
Outcome<T> runTask(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    auto outcome = std::make_shared<Outcome<T>>();
    QEventLoop loop;
    // Owns the task, and outlives the loop when time runs out.
    [](QCoro::Task<T> task, std::shared_ptr<Outcome<T>> outcome, QPointer<QEventLoop> loop) -> QCoro::Task<> {
        try {
            if constexpr (std::is_void_v<T>)
                co_await task, outcome->m_value.emplace();
            else
                outcome->m_value.emplace(co_await task);
        } catch (const std::exception &e) {
            outcome->m_error = std::current_exception();
            outcome->m_errorText = QString::fromUtf8(e.what());
        } catch (...) {
            outcome->m_error = std::current_exception();
        }
        if (loop)
            loop->quit();
    }(std::move(task), outcome, &loop);
    if (!outcome->finished()) {
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return *outcome;
}

} // namespace tarimo::test_support
