#pragma once

#include "api_client/any_encodable.h"
#include "api_client/content_type.h"
#include "api_client/json_coding.h"
#include "api_client/querystring_state.h"

#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

namespace tarimo::api_client {

class CredentialsProvider;
class URLSessionProvider;

// What a client offers: the four ways to build a request. Each asks the
// credentials provider (when there is one) and never fails; a path that
// forms no URL gives a request that fails only when dispatched.
class ClientProvider
{
public:
    // Named Client::Request by users; declared here because Client
    // implements this interface and must be able to name it first.
    class Request;

    virtual ~ClientProvider() = default;

    virtual QCoro::Task<Request> makeGetRequest(QString path,
                                                std::optional<QuerystringState::KeyValues> parameters) const = 0;
    virtual QCoro::Task<Request> makePostRequest(QString path, AnyEncodable parameters,
                                                 ContentType contentType) const = 0;
    virtual QCoro::Task<Request> makePutRequest(QString path, AnyEncodable parameters,
                                                ContentType contentType) const = 0;
    virtual QCoro::Task<Request> makeDeleteRequest(QString path,
                                                   std::optional<QuerystringState::KeyValues> parameters) const = 0;
};

// A client for one JSON web service. It only builds requests; a request
// sends itself (Request::dispatch).
class Client final : public ClientProvider
{
public:
    struct Configuration
    {
        // Every request path is resolved against it.
        QUrl baseURL;
        // Absent: no Authorization header and no refresh.
        std::shared_ptr<CredentialsProvider> credentialsProvider;
        std::shared_ptr<URLSessionProvider> urlSession;
        KeyDecodingStrategy keydecodingStrategy = KeyDecodingStrategy::useDefaultKeys;
        DateDecodingStrategy dateDecodingStrategy = DateDecodingStrategy::deferredToDate;
        // Used for JSON bodies once a request carries the configuration, and
        // mirrored when decoding answers.
        NonConformingFloatStrategy nonConformingFloatStrategy;
        // Seconds; replaces the 60 seconds of every request built with it.
        std::optional<double> timeout;

        // A decoder for answers: the key and date strategies, and the
        // non-finite texts when the float strategy converts to text.
        JsonDecoder decoder() const;
    };

    struct Credentials;
    template<class Model>
    struct Response;
    class ErrorResponse;
    struct EmptyResponse;

    explicit Client(Configuration configuration)
        : m_configuration(std::move(configuration))
    {}

    const Configuration &configuration() const { return m_configuration; }

    QCoro::Task<Request> makeGetRequest(QString path,
                                        std::optional<QuerystringState::KeyValues> parameters) const override;
    QCoro::Task<Request> makePostRequest(QString path, AnyEncodable parameters,
                                         ContentType contentType) const override;
    QCoro::Task<Request> makePutRequest(QString path, AnyEncodable parameters,
                                        ContentType contentType) const override;
    QCoro::Task<Request> makeDeleteRequest(QString path,
                                           std::optional<QuerystringState::KeyValues> parameters) const override;

    // The path resolved against the base URL, and nothing else: no method,
    // headers, credentials or configuration.
    QCoro::Task<Request> makeRequest(QString path) const;

    // The path resolved against the base URL as a URL reference (RFC 3986);
    // absent when the text forms no URL.
    static std::optional<QUrl> resolve(const QString &path, const QUrl &baseURL);

private:
    Configuration m_configuration;
};

} // namespace tarimo::api_client
