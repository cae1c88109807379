#pragma once

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

    QString text() const { return QString::fromStdString(m_buffer.str()); }
    QStringList lines() const { return text().split(u'\n', Qt::SkipEmptyParts); }

private:
    std::stringstream m_buffer;
    std::streambuf *m_previous;
};

} // namespace tarimo::test_support
