#pragma once

#include <QStringList>

#include <iostream>
#include <sstream>

// Collects what is written to std::cout while it lives.
class CoutCapture
{
public:
    CoutCapture()
        : m_previous(std::cout.rdbuf(m_buffer.rdbuf()))
    {}
    ~CoutCapture() { std::cout.rdbuf(m_previous); }

    CoutCapture(const CoutCapture &) = delete;
    CoutCapture &operator=(const CoutCapture &) = delete;

    QString text() const { return QString::fromStdString(m_buffer.str()); }
    // Each line without its newline; a last line without one would show as
    // an extra element.
    QStringList lines() const
    {
        QStringList result = text().split(QLatin1Char('\n'));
        if (!result.isEmpty() && result.last().isEmpty())
            result.removeLast();
        return result;
    }

private:
    std::ostringstream m_buffer;
    std::streambuf *m_previous;
};
