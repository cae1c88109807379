#pragma once

#include "api_client/url_request.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <map>
#include <optional>
#include <set>
#include <utility>

namespace tarimo::api_client {

// URL query parameters: each name maps to a set of values, so a name may
// carry several values and holds each of them once. Names and values are
// kept and written in plain character order (byte order for ASCII).
class QuerystringState
{
public:
    using KeyValues = std::map<QString, std::set<QString>>;
    using QueryItems = QList<std::pair<QString, QString>>;

    QuerystringState() = default;
    explicit QuerystringState(KeyValues keyValues)
        : keyValues(std::move(keyValues))
    {}
    // Query text without the leading "?". Parts that are not exactly
    // name=value are skipped; values are percent-decoded and then "+" reads
    // as a space.
    explicit QuerystringState(QStringView query);

    KeyValues keyValues;

    std::optional<std::set<QString>> values(const QString &name) const;
    QuerystringState setting(const QString &name, const std::set<QString> &values) const;
    QuerystringState removingValue(const QString &value, const QString &name) const;
    QuerystringState removingUnderscoredKeys() const;

    // The existing map without the names to remove, then each new entry
    // replacing its name: empty values dropped first, the rest trimmed (so a
    // value of spaces stays as an empty text), a name left without values
    // removed.
    static KeyValues merging(const KeyValues &newValues,
                             const QStringList &namesToRemove,
                             const KeyValues &existing);

    // "C=1&a=b&a=z": sorted, values percent-encoded, names as they are.
    QString queryString() const;
    // Same order, values unencoded.
    QueryItems queryItems() const;

    friend bool operator==(const QuerystringState &, const QuerystringState &) = default;
};

size_t qHash(const QuerystringState &state, size_t seed = 0);

// The request's URL with the parameters merged into the query it already
// has; the whole query is rewritten in sorted, normalised form. Absent when
// there is no URL request or no valid URL.
std::optional<QUrl> urlWithQuery(const std::optional<URLRequest> &urlRequest,
                                 const QuerystringState::KeyValues &parameters);

} // namespace tarimo::api_client
