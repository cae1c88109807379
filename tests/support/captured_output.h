#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <iostream>
#include <sstream>

namespace tarimo::test_support {

// Collects what is written to std::cout while it lives.
class CapturedOutput
{
public:
    CapturedOutput()
        : m_previous(std::cout.rdbuf(m_buffer.rdbuf()))
    {}
    ~CapturedOutput() { std::cout.rdbuf(m_previous); }
    CapturedOutput(const CapturedOutput &) = delete;
    CapturedOutput &operator=(const CapturedOutput &) = delete;

    QByteArray bytes() const { return QByteArray::fromStdString(m_buffer.str()); }
    QString text() const { return QString::fromStdString(m_buffer.str()); }
    // Each line without its line break; an unfinished last line counts too.
    QStringList lines() const
    {
        QStringList result = text().split(u'\n');
        if (!result.isEmpty() && result.last().isEmpty())
            result.removeLast();
        return result;
    }

private:
    std::ostringstream m_buffer;
    std::streambuf *m_previous;
};

} // namespace tarimo::test_support
