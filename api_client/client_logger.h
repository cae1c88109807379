#pragma once

#include <QString>

#include <concepts>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tarimo::api_client {

// One item of a log line: a value's own text form. Anything with a
// description() (a request, credentials) or a what() (an error) shows that,
// except that a value that can carry a secret (a request's bearer token)
// shows its loggedDescription() instead.
class LogItem
{
public:
    LogItem(const QString &text)
        : m_text(text)
    {}
    LogItem(const char *text)
        : m_text(QString::fromUtf8(text))
    {}
    LogItem(std::string_view text)
        : m_text(QString::fromUtf8(text.data(), qsizetype(text.size())))
    {}
    LogItem(const std::string &text)
        : LogItem(std::string_view(text))
    {}
    LogItem(bool value)
        : m_text(value ? QStringLiteral("true") : QStringLiteral("false"))
    {}
    template<std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    LogItem(T value)
        : m_text(QString::number(value))
    {}
    template<std::floating_point T>
    LogItem(T value)
        : m_text(numberText(double(value)))
    {}
    template<class T>
        requires requires(const T &value) {
            { value.description() } -> std::convertible_to<QString>;
        } && (!requires(const T &value) { value.loggedDescription(); })
    LogItem(const T &value)
        : m_text(value.description())
    {}
    template<class T>
        requires requires(const T &value) {
            { value.loggedDescription() } -> std::convertible_to<QString>;
        }
    LogItem(const T &value)
        : m_text(value.loggedDescription())
    {}
    template<class T>
        requires(std::derived_from<T, std::exception>)
    LogItem(const T &error)
        : m_text(QString::fromUtf8(error.what()))
    {}

    const QString &text() const { return m_text; }

private:
    static QString numberText(double value);

    QString m_text;
};

using LogItems = std::vector<LogItem>;

// Where a log call came from. std::source_location needs a built-in that
// clang 14 lacks; these three, every compiler in use has.
struct SourceLocation
{
    const char *file = "";
    const char *function = "";
    unsigned line = 0;

    static constexpr SourceLocation current(const char *file = __builtin_FILE(),
                                            const char *function = __builtin_FUNCTION(),
                                            unsigned line = __builtin_LINE()) noexcept
    {
        return {file, function, line};
    }
};

// What a logger offers. The leading argument says where the call came from;
// neither implementation reads it.
class ClientLoggerProvider
{
public:
    virtual ~ClientLoggerProvider() = default;
    enum class LogLevel { none = 0, debug = 1, info = 2, warning = 3, error = 4 };

    virtual void log(SourceLocation where, const LogItems &items, LogLevel level) const = 0;
};

// Writes "Client: ", the level's symbol, one space and the items with nothing
// between them as one UTF-8 line on standard output, flushed at once.
class ClientLogger final : public ClientLoggerProvider
{
public:
    using LogLevel = ClientLoggerProvider::LogLevel;

    // The case of that raw value (0 to 4), none otherwise.
    static std::optional<LogLevel> logLevel(int rawValue);
    static QString symbol(LogLevel level);

    void write(const LogItems &items, LogLevel level) const;

    // The caller's location is taken for diagnostics but not printed.
    void debug(const LogItems &items, SourceLocation where = SourceLocation::current()) const;
    void info(const LogItems &items, SourceLocation where = SourceLocation::current()) const;
    void warning(const LogItems &items, SourceLocation where = SourceLocation::current()) const;
    void error(const LogItems &items, SourceLocation where = SourceLocation::current()) const;

    void log(SourceLocation where, const LogItems &items, LogLevel level) const override;
};

// Prints nothing.
class ClientLoggerMock final : public ClientLoggerProvider
{
public:
    void log(SourceLocation where, const LogItems &items, LogLevel level) const override;
};

} // namespace tarimo::api_client
