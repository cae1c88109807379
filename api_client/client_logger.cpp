#include "api_client/client_logger.h"

#include "console/console.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tarimo::api_client {

QString LogItem::numberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    // The shortest text that reads back as the same number.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

std::optional<ClientLogger::LogLevel> ClientLogger::logLevel(int rawValue)
{
    if (rawValue < 0 || rawValue > 4)
        return std::nullopt;
    return LogLevel(rawValue);
}

QString ClientLogger::symbol(LogLevel level)
{
    switch (level) {
    case LogLevel::none:
        return QString();
    case LogLevel::debug:
        return QStringLiteral("\U0001F3F7");
    case LogLevel::info:
        return QStringLiteral("\U0001F4AC");
    case LogLevel::warning:
        return QStringLiteral("\u26A0\uFE0F");
    case LogLevel::error:
        return QStringLiteral("\u274C");
    }
    return QString();
}

void ClientLogger::write(const LogItems &items, LogLevel level) const
{
    QString line = QStringLiteral("Client: ") + symbol(level) + u' ';
    for (const LogItem &item : items)
        line += item.text();
    console::printLine(line);
}

void ClientLogger::debug(const LogItems &items, SourceLocation) const
{
    write(items, LogLevel::debug);
}

void ClientLogger::info(const LogItems &items, SourceLocation) const
{
    write(items, LogLevel::info);
}

void ClientLogger::warning(const LogItems &items, SourceLocation) const
{
    write(items, LogLevel::warning);
}

void ClientLogger::error(const LogItems &items, SourceLocation) const
{
    write(items, LogLevel::error);
}

void ClientLogger::log(SourceLocation, const LogItems &items, LogLevel level) const
{
    write(items, level);
}

void ClientLoggerMock::log(SourceLocation, const LogItems &, LogLevel) const {}

} // namespace tarimo::api_client
