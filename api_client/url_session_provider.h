#pragma once

#include "api_client/transport_error.h"
#include "api_client/url_request.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <optional>
#include <utility>

namespace tarimo::api_client {

// What came back with the body.
struct URLResponse
{
    // Where the answer came from, after any redirects.
    QUrl url;
    // Absent when the answer is not an HTTP answer.
    std::optional<int> statusCode;
    QList<std::pair<QByteArray, QByteArray>> headerFields;

    // Header names compare ignoring case.
    std::optional<QByteArray> value(QByteArrayView field) const;
};

struct TransferResult
{
    QByteArray data;
    URLResponse response;
};

// The HTTP transport the client sends through.
class URLSessionProvider
{
public:
    virtual ~URLSessionProvider() = default;

    // Sends the request and returns the body with the response; a failed
    // transfer throws (a TransportError from the Qt transport).
    virtual QCoro::Task<TransferResult> data(URLRequest request) = 0;
};

// How a finished transfer is handed on: body and response win even when an
// error came alongside; otherwise the error; with neither, the answer was not
// readable at all (a bad server response).
TransferResult completeDataTask(std::optional<QByteArray> data,
                                std::optional<URLResponse> response,
                                std::optional<TransportError> error);

} // namespace tarimo::api_client
