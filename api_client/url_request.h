#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <stop_token>
#include <utility>

namespace tarimo::api_client {

// What to send: Qt's QNetworkRequest carries neither the method nor the body,
// so the client builds this value and the transport turns it into Qt's.
class URLRequest
{
public:
    enum class CachePolicy {
        useProtocolCachePolicy,
        reloadIgnoringLocalCacheData,
        returnCacheDataElseLoad,
        returnCacheDataDontLoad,
    };

    using HeaderFields = QList<std::pair<QString, QString>>;

    static constexpr double defaultTimeoutInterval = 60.0;

    URLRequest() = default;
    explicit URLRequest(QUrl url,
                        CachePolicy cachePolicy = CachePolicy::useProtocolCachePolicy,
                        double timeoutInterval = defaultTimeoutInterval);

    QUrl url;
    // Absent until set; the transport sends "GET" then.
    std::optional<QString> httpMethod;
    std::optional<QByteArray> httpBody;
    double timeoutInterval = defaultTimeoutInterval;
    CachePolicy cachePolicy = CachePolicy::useProtocolCachePolicy;
    // A stop request, from any thread, aborts the transfer within a turn or
    // two of the transport's event loop: it then throws TransferCancelled.
    std::stop_token stopToken;

    // Header names compare as HTTP compares them, ignoring case. Setting a
    // field replaces an earlier one of the same name (the new spelling is
    // kept); an absent value removes the field.
    void setValue(const std::optional<QString> &value, const QString &field);
    std::optional<QString> value(const QString &field) const;
    // In the order they were first set, names spelled as last set.
    const HeaderFields &allHTTPHeaderFields() const { return m_headerFields; }

    friend bool operator==(const URLRequest &, const URLRequest &) = default;

private:
    HeaderFields m_headerFields;
};

} // namespace tarimo::api_client
