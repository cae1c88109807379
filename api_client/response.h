#pragma once

#include "api_client/client.h"
#include "api_client/http_status_code.h"
#include "api_client/json_coding.h"

#include <QByteArray>
#include <QString>

#include <exception>
#include <optional>
#include <string>

namespace tarimo::api_client {

// An accepted answer: its decoded body (none when the body was empty) and
// its status.
template<class Model>
struct Client::Response
{
    std::optional<Model> model;
    HttpStatusCode status = HttpStatusCode::unknown;
};

// What the client throws for what it detects itself: an answer outside 1xx
// to 3xx (with its body), a missing configuration, a request without URL.
// Its text reads "Service responded with error (404 notFound)".
class Client::ErrorResponse : public std::exception
{
public:
    explicit ErrorResponse(std::optional<QString> message, HttpStatusCode status,
                           std::optional<QByteArray> data = std::nullopt);

    const std::optional<QString> &message() const { return m_message; }
    HttpStatusCode status() const { return m_status; }
    const std::optional<QByteArray> &data() const { return m_data; }

    const char *what() const noexcept override { return m_text.c_str(); }

    friend bool operator==(const ErrorResponse &a, const ErrorResponse &b)
    {
        return a.m_message == b.m_message && a.m_status == b.m_status && a.m_data == b.m_data;
    }

private:
    std::optional<QString> m_message;
    HttpStatusCode m_status;
    std::optional<QByteArray> m_data;
    std::string m_text;
};

// For answers whose body carries nothing of interest: any JSON decodes into
// it, and it encodes as an empty object.
struct Client::EmptyResponse
{
    friend bool operator==(const EmptyResponse &, const EmptyResponse &) = default;
};

// {"message": text, "status": code, "data": base64}; message and data are
// left out when absent, and a status outside the table does not decode.
template<>
struct Coding<Client::ErrorResponse>
{
    static Client::ErrorResponse decode(DecodingContext &context, const Json &json);
    static Json encode(EncodingContext &context, const Client::ErrorResponse &value);
};

template<>
struct Coding<Client::EmptyResponse>
{
    static Client::EmptyResponse decode(DecodingContext &, const Json &) { return {}; }
    static Json encode(EncodingContext &, const Client::EmptyResponse &) { return Json::object(); }
};

} // namespace tarimo::api_client
