#pragma once

#include <QStringList>

#include <iostream>
#include <sstream>

namespace tarimo::test_support {

// Collects what is written to std::cout while it lives.
class CapturedOutput
{
public:
    ~CapturedOutput() { std::cout.rdbuf(m_previous); }

    QByteArray bytes() const { return QByteArray::fromStdString(m_buffer.str()); }
    // Each line without its line break; an unfinished last line counts too.
    QStringList lines() const
    {
        QStringList lines = QString::fromUtf8(bytes()).split(u'\n');
        if (lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

private:
    std::ostringstream m_buffer;
    std::streambuf *m_previous = std::cout.rdbuf(m_buffer.rdbuf());
};

} // namespace tarimo::test_support
