#include "api_client/url_request.h"

namespace tarimo::api_client {

URLRequest::URLRequest(QUrl url, CachePolicy cachePolicy, double timeoutInterval)
    : url(std::move(url))
    , timeoutInterval(timeoutInterval)
    , cachePolicy(cachePolicy)
{}

void URLRequest::setValue(const std::optional<QString> &value, const QString &field)
{
    for (auto it = m_headerFields.begin(); it != m_headerFields.end(); ++it) {
        if (it->first.compare(field, Qt::CaseInsensitive) == 0) {
            if (value)
                *it = {field, *value};
            else
                m_headerFields.erase(it);
            return;
        }
    }
    if (value)
        m_headerFields.append({field, *value});
}

std::optional<QString> URLRequest::value(const QString &field) const
{
    for (const auto &[name, value] : m_headerFields) {
        if (name.compare(field, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

} // namespace tarimo::api_client
