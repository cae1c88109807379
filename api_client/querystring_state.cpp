#include "api_client/querystring_state.h"

#include "api_client/percent_encoding.h"

#include <QByteArray>

namespace tarimo::api_client {

namespace {

// What may stay as it is inside a query name or value: RFC 3986's query
// characters without the ones that would change how the query splits
// ("&", "=", "+" for form readers, "#" and "%").
QByteArray encodedQueryComponent(const QString &text)
{
    static const QByteArray kept = QByteArrayLiteral("-._~!$'()*,;:@/?");
    return text.toUtf8().toPercentEncoding(kept);
}

} // namespace

QuerystringState::QuerystringState(QStringView query)
{
    for (const QStringView part : query.tokenize(u'&')) {
        const qsizetype equals = part.indexOf(u'=');
        if (equals < 0 || part.indexOf(u'=', equals + 1) >= 0)
            continue;
        const QStringView name = part.left(equals);
        const QStringView rawValue = part.mid(equals + 1);
        QString value;
        if (auto decoded = removingPercentEncoding(rawValue)) {
            value = *decoded;
            // Done after decoding, so an escaped plus becomes a space as well.
            value.replace(u'+', u' ');
        } else {
            value = rawValue.toString();
        }
        keyValues[name.toString()].insert(value);
    }
}

std::optional<std::set<QString>> QuerystringState::values(const QString &name) const
{
    const auto it = keyValues.find(name);
    if (it == keyValues.end())
        return std::nullopt;
    return it->second;
}

QuerystringState QuerystringState::setting(const QString &name, const std::set<QString> &values) const
{
    return QuerystringState(merging({{name, values}}, {}, keyValues));
}

QuerystringState QuerystringState::removingValue(const QString &value, const QString &name) const
{
    const auto it = keyValues.find(name);
    if (it == keyValues.end())
        return *this;
    std::set<QString> remaining = it->second;
    remaining.erase(value);
    return QuerystringState(merging({{name, remaining}}, {}, keyValues));
}

QuerystringState QuerystringState::removingUnderscoredKeys() const
{
    KeyValues result;
    for (const auto &[name, values] : keyValues) {
        if (!name.contains(u'_'))
            result.emplace(name, values);
    }
    return QuerystringState(std::move(result));
}

QuerystringState::KeyValues QuerystringState::merging(const KeyValues &newValues,
                                                      const QStringList &namesToRemove,
                                                      const KeyValues &existing)
{
    KeyValues result;
    for (const auto &[name, values] : existing) {
        if (!namesToRemove.contains(name))
            result.emplace(name, values);
    }
    for (const auto &[name, values] : newValues) {
        std::set<QString> kept;
        for (const QString &value : values) {
            if (!value.isEmpty())
                kept.insert(value.trimmed());
        }
        if (kept.empty())
            result.erase(name);
        else
            result[name] = std::move(kept);
    }
    return result;
}

QString QuerystringState::queryString() const
{
    QStringList pairs;
    for (const auto &[name, values] : keyValues) {
        for (const QString &value : values) {
            if (auto encoded = percentEncoded(value))
                pairs.append(name + u'=' + *encoded);
        }
    }
    return pairs.join(u'&');
}

QuerystringState::QueryItems QuerystringState::queryItems() const
{
    QueryItems items;
    for (const auto &[name, values] : keyValues) {
        for (const QString &value : values)
            items.append({name, value});
    }
    return items;
}

size_t qHash(const QuerystringState &state, size_t seed)
{
    for (const auto &[name, values] : state.keyValues) {
        seed = qHashMulti(seed, name, values.size());
        for (const QString &value : values)
            seed = qHashMulti(seed, value);
    }
    return seed;
}

std::optional<QUrl> urlWithQuery(const std::optional<URLRequest> &urlRequest,
                                 const QuerystringState::KeyValues &parameters)
{
    if (!urlRequest || urlRequest->url.isEmpty() || !urlRequest->url.isValid())
        return std::nullopt;
    QUrl url(urlRequest->url.toString(QUrl::FullyEncoded), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;

    // The query is read in decoded form and parsed, which decodes once more:
    // "a=%2541" reads as a -> "A", and an escaped "&" splits.
    const QString existingText = url.hasQuery() ? url.query(QUrl::FullyDecoded) : QString();
    const QuerystringState merged(
        QuerystringState::merging(parameters, {}, QuerystringState(existingText).keyValues));

    if (merged.keyValues.empty()) {
        url.setQuery(QString());
        return url;
    }
    QByteArray query;
    for (const auto &[name, value] : merged.queryItems()) {
        if (!query.isEmpty())
            query += '&';
        query += encodedQueryComponent(name);
        query += '=';
        query += encodedQueryComponent(value);
    }
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

} // namespace tarimo::api_client
