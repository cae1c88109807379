#include "api_client/request.h"

#include "api_client/percent_encoding.h"

namespace tarimo::api_client {

namespace {

const QString authorizationField = QStringLiteral("Authorization");
const QString contentTypeField = QStringLiteral("Content-Type");

// A JSON value's text in a form pair: strings as their characters, numbers
// in decimal, anything else in its compact JSON form.
QString pairText(const Json &value)
{
    if (value.is_string())
        return QString::fromStdString(value.get_ref<const std::string &>());
    return QString::fromStdString(value.dump());
}

void appendPairs(QStringList &pairs, const QString &name, const Json &value, bool percentEncode)
{
    if (value.is_array()) {
        for (const Json &element : value)
            appendPairs(pairs, name, element, percentEncode);
        return;
    }
    const QString text = pairText(value);
    const std::optional<QString> encoded = percentEncoded(text);
    if (!encoded)
        return;
    pairs.append(name + u'=' + (percentEncode ? *encoded : text));
}

} // namespace

ClientProvider::Request::Request(const std::optional<QUrl> &url)
{
    if (url)
        m_urlRequest = URLRequest(*url);
}

ClientProvider::Request::Request(URLRequest urlRequest, std::optional<Configuration> config)
    : m_urlRequest(std::move(urlRequest))
    , m_config(std::move(config))
{
    if (m_config && m_config->timeout)
        m_urlRequest->timeoutInterval = *m_config->timeout;
}

ClientProvider::Request ClientProvider::Request::changed(const std::function<void(URLRequest &)> &change) const
{
    if (!hasURLRequest())
        return *this;
    URLRequest copy = *m_urlRequest;
    change(copy);
    return Request(std::move(copy), m_config);
}

ClientProvider::Request ClientProvider::Request::withMethod(HttpMethod method) const
{
    return changed([&](URLRequest &request) { request.httpMethod = rawValue(method); });
}

ClientProvider::Request ClientProvider::Request::withHeader(const QString &field, const QString &value) const
{
    return changed([&](URLRequest &request) { request.setValue(value, field); });
}

ClientProvider::Request
ClientProvider::Request::withAuthorization(const std::optional<Client::Credentials> &credentials) const
{
    if (!credentials)
        return *this;
    return withBearerToken(credentials->accessToken);
}

ClientProvider::Request ClientProvider::Request::withBearerToken(const QString &token) const
{
    return withHeader(authorizationField, QStringLiteral("Bearer ") + token);
}

ClientProvider::Request ClientProvider::Request::withAccept() const
{
    return withHeader(QStringLiteral("Accept"), QStringLiteral("application/json"));
}

ClientProvider::Request ClientProvider::Request::withContentType(ContentType contentType) const
{
    return withHeader(contentTypeField, rawValue(contentType));
}

ClientProvider::Request ClientProvider::Request::withConfiguration(Configuration configuration) const
{
    if (!hasURLRequest())
        return *this;
    return Request(*m_urlRequest, std::move(configuration));
}

ClientProvider::Request
ClientProvider::Request::withQuery(const std::optional<QuerystringState::KeyValues> &parameters) const
{
    if (!hasURLRequest() || !parameters)
        return *this;
    const std::optional<QUrl> url = urlWithQuery(m_urlRequest, *parameters);
    if (!url)
        return *this;
    return changed([&](URLRequest &request) { request.url = *url; });
}

ClientProvider::Request ClientProvider::Request::withBody(const AnyEncodable &value,
                                                          KeyEncodingStrategy keyEncodingStrategy) const
{
    if (!hasURLRequest())
        return *this;
    const QString method = m_urlRequest->httpMethod.value_or(QStringLiteral("unknown"));
    const auto kind = httpMethodFromRawValue(method);
    if (kind == HttpMethod::post || kind == HttpMethod::put) {
        const std::optional<ContentType> type = contentType();
        if (type == ContentType::form) {
            const QByteArray body = parameterString(value, true).toUtf8();
            return changed([&](URLRequest &request) { request.httpBody = body; });
        }
        if (type == ContentType::json) {
            JsonEncoder encoder;
            encoder.keyEncodingStrategy = keyEncodingStrategy;
            if (m_config)
                encoder.nonConformingFloatEncodingStrategy = m_config->nonConformingFloatStrategy;
            try {
                const QByteArray body = encoder.encode(value);
                return changed([&](URLRequest &request) { request.httpBody = body; });
            } catch (const std::exception &) {
                // Unencodable: the body stays as it was.
            }
        }
        return changed([](URLRequest &) {});
    }
    if (kind == HttpMethod::get || kind == HttpMethod::delete_) {
        const QuerystringState parsed(QStringView(parameterString(value, false)));
        const std::optional<QUrl> url = urlWithQuery(m_urlRequest, parsed.keyValues);
        return changed([&](URLRequest &request) {
            if (url)
                request.url = *url;
        });
    }
    return changed([](URLRequest &) {});
}

ClientProvider::Request
ClientProvider::Request::withURLRequest(const std::function<URLRequest(URLRequest)> &transform) const
{
    return changed([&](URLRequest &request) { request = transform(std::move(request)); });
}

ClientProvider::Request ClientProvider::Request::withStopToken(std::stop_token stop) const
{
    return changed([&](URLRequest &request) { request.stopToken = std::move(stop); });
}

std::optional<ContentType> ClientProvider::Request::contentType() const
{
    if (!hasURLRequest())
        return std::nullopt;
    for (const auto &[name, value] : m_urlRequest->allHTTPHeaderFields()) {
        if (name == contentTypeField)
            return contentTypeFromRawValue(value);
    }
    return std::nullopt;
}

QString ClientProvider::Request::description() const
{
    return description(false);
}

QString ClientProvider::Request::loggedDescription() const
{
    return description(true);
}

QString ClientProvider::Request::description(bool maskCredentials) const
{
    static const QString invalid = QStringLiteral("invalid");
    if (!hasURLRequest() || m_urlRequest->url.isEmpty())
        return invalid;
    const QString method = m_urlRequest->httpMethod.value_or(QStringLiteral("unknown"));
    if (!httpMethodFromRawValue(method))
        return invalid;
    const QUrl &url = m_urlRequest->url;
    QString authorization = m_urlRequest->value(authorizationField).value_or(QString());
    if (maskCredentials && !authorization.isEmpty()) {
        // The scheme ("Bearer") stays; the rest, the secret, becomes a mask
        // of fixed length that tells nothing about it.
        const qsizetype space = authorization.indexOf(u' ');
        authorization = (space < 0 ? QString() : authorization.left(space + 1)) + QStringLiteral("••••••");
    }
    return u'[' + method + QStringLiteral("] ") + url.path(QUrl::FullyDecoded) + u' '
           + url.query(QUrl::FullyEncoded) + u' ' + authorization;
}

void ClientProvider::Request::logResponse(const std::optional<QUrl> &url, HttpStatusCode status)
{
    QString item = QStringLiteral("\u2705 [%1] ").arg(rawValue(status));
    if (url)
        item += url->path(QUrl::FullyDecoded) + u' ';
    ClientLogger().info({item});
}

std::optional<Json> ClientProvider::Request::dictionaryRepresentation(const AnyEncodable &value)
{
    JsonEncoder encoder;
    encoder.keyEncodingStrategy = KeyEncodingStrategy::convertToSnakeCase;
    try {
        Json json = encoder.encodeJson(value);
        if (json.is_object())
            return json;
    } catch (const std::exception &) {
    }
    return std::nullopt;
}

QString ClientProvider::Request::parameterString(const AnyEncodable &value, bool percentEncoded)
{
    const std::optional<Json> map = dictionaryRepresentation(value);
    if (!map)
        return QString();
    QStringList pairs;
    for (const auto &[name, element] : map->items())
        appendPairs(pairs, QString::fromStdString(name), element, percentEncoded);
    return pairs.join(u'&');
}

JsonDecoder ClientProvider::Request::decoder() const
{
    if (m_config)
        return m_config->decoder();
    JsonDecoder decoder;
    decoder.keyDecodingStrategy = KeyDecodingStrategy::convertFromSnakeCase;
    decoder.dateDecodingStrategy = DateDecodingStrategy::deferredToDate;
    return decoder;
}

Client::ErrorResponse ClientProvider::Request::missingConfiguration()
{
    return Client::ErrorResponse(QStringLiteral("Configuration is not provided"), HttpStatusCode::unknown);
}

Client::ErrorResponse ClientProvider::Request::missingTransport()
{
    return Client::ErrorResponse(QStringLiteral("URL session is not provided"), HttpStatusCode::unknown);
}

} // namespace tarimo::api_client
