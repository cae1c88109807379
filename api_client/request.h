#pragma once

#include "api_client/any_encodable.h"
#include "api_client/client.h"
#include "api_client/client_logger.h"
#include "api_client/content_type.h"
#include "api_client/credentials.h"
#include "api_client/http_method.h"
#include "api_client/http_status_code.h"
#include "api_client/json_coding.h"
#include "api_client/querystring_state.h"
#include "api_client/response.h"
#include "api_client/url_request.h"
#include "api_client/url_session_provider.h"

#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace tarimo::api_client {

// A request as a value: every operation returns a new one, and on a request
// without URL request every operation returns it unchanged.
class ClientProvider::Request
{
public:
    using Configuration = Client::Configuration;

    Request() = default;
    // With a URL: a URL request for it (protocol cache policy, 60 seconds).
    explicit Request(const std::optional<QUrl> &url);
    // A configured timeout replaces the URL request's.
    Request(URLRequest urlRequest, std::optional<Configuration> config);

    const std::optional<URLRequest> &urlRequest() const { return m_urlRequest; }
    const std::optional<Configuration> &config() const { return m_config; }

    Request withMethod(HttpMethod method) const;
    Request withHeader(const QString &field, const QString &value) const;
    // "Bearer " and the access token; no credentials: unchanged.
    Request withAuthorization(const std::optional<Client::Credentials> &credentials) const;
    Request withBearerToken(const QString &token) const;
    Request withAccept() const;
    Request withContentType(ContentType contentType) const;
    Request withConfiguration(Configuration configuration) const;
    Request withQuery(const std::optional<QuerystringState::KeyValues> &parameters) const;
    // POST and PUT: a form or JSON body, by the Content-Type already set.
    // GET and DELETE: the value's pairs merged into the query. A value that
    // cannot be encoded leaves a JSON body as it was and makes a form body
    // empty; nothing is reported.
    Request withBody(const AnyEncodable &value, KeyEncodingStrategy keyEncodingStrategy) const;
    Request withURLRequest(const std::function<URLRequest(URLRequest)> &transform) const;
    // A stop request aborts the transfer (see URLRequest::stopToken).
    Request withStopToken(std::stop_token stop) const;

    // The case whose raw value equals the first "Content-Type" field exactly.
    std::optional<ContentType> contentType() const;
    // "[GET] /data/items a=1 Bearer token"; "invalid" without URL or with a
    // method other than GET, POST, PUT and DELETE.
    QString description() const;
    // The same with the Authorization value's credentials masked, "[GET]
    // /data/items a=1 Bearer ••••••": what log lines show.
    QString loggedDescription() const;

    // Logs the request, sends it, logs the accepted answer, and after a 401
    // or 403 refreshes the credentials once and sends again.
    template<JsonDecodable Model>
    QCoro::Task<Client::Response<Model>> dispatch() const
    {
        return dispatchRequest<Model>(*this);
    }

    // Sends through the configuration's transport; nothing logged, no refresh.
    template<JsonDecodable Model>
    QCoro::Task<Client::Response<Model>> send() const
    {
        return sendRequest<Model>(*this);
    }

    // The transfer itself: maps the status, throws ErrorResponse outside 1xx
    // to 3xx, decodes a non-empty body.
    template<JsonDecodable Model>
    QCoro::Task<Client::Response<Model>> performTransfer(std::shared_ptr<URLSessionProvider> transport) const
    {
        return performTransferRequest<Model>(*this, std::move(transport));
    }

    // "✅ [200] /data/items " at level info.
    static void logResponse(const std::optional<QUrl> &url, HttpStatusCode status);

    // The value encoded with snake_case keys; absent unless a JSON object.
    static std::optional<Json> dictionaryRepresentation(const AnyEncodable &value);
    // name=value pairs joined by "&" in the object's own order; arrays give a
    // pair per element; names are never encoded, values only when asked.
    static QString parameterString(const AnyEncodable &value, bool percentEncoded);

    // Set up from the configuration: its key, date and non-finite strategies;
    // without one, snake_case keys and the date type's own form.
    JsonDecoder decoder() const;

private:
    bool hasURLRequest() const { return m_urlRequest.has_value(); }
    QString description(bool maskCredentials) const;
    Request changed(const std::function<void(URLRequest &)> &change) const;

    static Client::ErrorResponse missingConfiguration();
    static Client::ErrorResponse missingTransport();

    // Coroutines take the request by value: the caller's may be gone by the
    // time they resume.
    template<JsonDecodable Model>
    static QCoro::Task<Client::Response<Model>> performTransferRequest(Request request,
                                                                       std::shared_ptr<URLSessionProvider> transport)
    {
        if (!request.m_urlRequest)
            throw Client::ErrorResponse(QStringLiteral("Invalid URL"), HttpStatusCode::badRequest);
        if (!transport)
            throw missingTransport();
        TransferResult result = co_await transport->data(*request.m_urlRequest);
        const int code = result.response.statusCode.value_or(0);
        const HttpStatusCode status = httpStatusCodeFromRawValue(code).value_or(HttpStatusCode::unknown);
        const JsonDecoder decoder = request.decoder();
        if (!isSuccess(status))
            throw Client::ErrorResponse(QStringLiteral("Service responded with error"), status,
                                        std::move(result.data));
        Client::Response<Model> response;
        response.status = status;
        if (!result.data.isEmpty())
            response.model = decoder.decode<Model>(result.data);
        co_return response;
    }

    template<JsonDecodable Model>
    static QCoro::Task<Client::Response<Model>> sendRequest(Request request)
    {
        if (!request.m_config)
            throw missingConfiguration();
        co_return co_await performTransferRequest<Model>(request, request.m_config->urlSession);
    }

    template<JsonDecodable Model>
    static QCoro::Task<Client::Response<Model>> dispatchRequest(Request request)
    {
        const ClientLogger logger;
        logger.info({request});
        const std::optional<QUrl> url = request.m_urlRequest ? std::optional(request.m_urlRequest->url)
                                                             : std::nullopt;

        std::exception_ptr failure;
        std::optional<HttpStatusCode> refusedStatus;
        if (!request.m_config) {
            failure = std::make_exception_ptr(missingConfiguration());
        } else {
            try {
                Client::Response<Model> response
                    = co_await performTransferRequest<Model>(request, request.m_config->urlSession);
                logResponse(url, response.status);
                co_return response;
            } catch (const Client::ErrorResponse &error) {
                failure = std::current_exception();
                refusedStatus = error.status();
            } catch (...) {
                failure = std::current_exception();
            }
        }

        const bool refusedToken = refusedStatus == HttpStatusCode::unauthorized
                                  || refusedStatus == HttpStatusCode::forbidden;
        if (!refusedToken || !request.m_config || !request.m_config->credentialsProvider)
            std::rethrow_exception(failure);

        const std::shared_ptr<CredentialsProvider> provider = request.m_config->credentialsProvider;
        const std::optional<Client::Credentials> refreshed = co_await provider->refreshCredentials();
        if (!refreshed)
            std::rethrow_exception(failure);
        logger.info({QStringLiteral("\U0001F511 Received new token")});
        co_await provider->storeCredentials(*refreshed);
        const std::optional<Client::Credentials> current = co_await provider->credentials();

        const Request retried = request.withAuthorization(current);
        Client::Response<Model> response
            = co_await performTransferRequest<Model>(retried, request.m_config->urlSession);
        logResponse(url, response.status);
        co_return response;
    }

    std::optional<URLRequest> m_urlRequest;
    std::optional<Configuration> m_config;
};

} // namespace tarimo::api_client
