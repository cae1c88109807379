#include "api_client/client.h"

#include "api_client/credentials.h"
#include "api_client/request.h"

namespace tarimo::api_client {

namespace {

using Request = Client::Request;
using Configuration = Client::Configuration;

QCoro::Task<std::optional<Client::Credentials>> currentCredentials(std::shared_ptr<CredentialsProvider> provider)
{
    if (!provider)
        co_return std::nullopt;
    co_return co_await provider->credentials();
}

// The coroutines take everything by value: a temporary client may be gone
// by the time they resume.
QCoro::Task<Request> makeQueryRequest(Configuration configuration, QString path,
                                      std::optional<QuerystringState::KeyValues> parameters, HttpMethod method)
{
    const Request request(Client::resolve(path, configuration.baseURL));
    const auto credentials = co_await currentCredentials(configuration.credentialsProvider);
    co_return request.withAuthorization(credentials)
        .withQuery(parameters)
        .withMethod(method)
        .withAccept()
        .withConfiguration(std::move(configuration));
}

QCoro::Task<Request> makeBodyRequest(Configuration configuration, QString path, AnyEncodable parameters,
                                     ContentType contentType, HttpMethod method)
{
    const Request request(Client::resolve(path, configuration.baseURL));
    const auto credentials = co_await currentCredentials(configuration.credentialsProvider);
    co_return request.withAuthorization(credentials)
        .withMethod(method)
        .withContentType(contentType)
        .withBody(parameters, KeyEncodingStrategy::convertToSnakeCase)
        .withAccept()
        .withConfiguration(std::move(configuration));
}

QCoro::Task<Request> makePlainRequest(QUrl baseURL, QString path)
{
    co_return Request(Client::resolve(path, baseURL));
}

} // namespace

JsonDecoder Client::Configuration::decoder() const
{
    JsonDecoder decoder;
    decoder.keyDecodingStrategy = keydecodingStrategy;
    decoder.dateDecodingStrategy = dateDecodingStrategy;
    if (nonConformingFloatStrategy.convertToString)
        decoder.nonConformingFloatDecodingStrategy = nonConformingFloatStrategy;
    return decoder;
}

std::optional<QUrl> Client::resolve(const QString &path, const QUrl &baseURL)
{
    const QUrl reference(path, QUrl::StrictMode);
    if (!reference.isValid())
        return std::nullopt;
    const QUrl url = baseURL.resolved(reference);
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    return url;
}

QCoro::Task<Request> Client::makeGetRequest(QString path, std::optional<QuerystringState::KeyValues> parameters) const
{
    return makeQueryRequest(m_configuration, std::move(path), std::move(parameters), HttpMethod::get);
}

QCoro::Task<Request> Client::makePostRequest(QString path, AnyEncodable parameters, ContentType contentType) const
{
    return makeBodyRequest(m_configuration, std::move(path), std::move(parameters), contentType, HttpMethod::post);
}

QCoro::Task<Request> Client::makePutRequest(QString path, AnyEncodable parameters, ContentType contentType) const
{
    return makeBodyRequest(m_configuration, std::move(path), std::move(parameters), contentType, HttpMethod::put);
}

QCoro::Task<Request> Client::makeDeleteRequest(QString path,
                                               std::optional<QuerystringState::KeyValues> parameters) const
{
    return makeQueryRequest(m_configuration, std::move(path), std::move(parameters), HttpMethod::delete_);
}

QCoro::Task<Request> Client::makeRequest(QString path) const
{
    return makePlainRequest(m_configuration.baseURL, std::move(path));
}

} // namespace tarimo::api_client
