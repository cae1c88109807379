#pragma once

#include <QString>

#include <stdexcept>

namespace tarimo::price {

// An error named by a domain text and a code, e.g. "Model were not provided"
// with 404. Its text names both: "Model were not provided (404)".
class DomainError : public std::runtime_error
{
public:
    DomainError(const QString &domain, int code)
        : std::runtime_error(QStringLiteral("%1 (%2)").arg(domain).arg(code).toStdString())
        , m_domain(domain)
        , m_code(code)
    {}

    QString domain() const { return m_domain; }
    int code() const { return m_code; }

private:
    QString m_domain;
    int m_code;
};

} // namespace tarimo::price
