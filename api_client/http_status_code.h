#pragma once

#include <QString>

#include <array>
#include <optional>

namespace tarimo::api_client {

// The status codes the client knows, by their code. `continue` is a C++
// keyword, hence the trailing underscore of that case.
enum class HttpStatusCode {
    unknown = 0,
    continue_ = 100,
    switchingProtocols = 101,
    processing = 102,
    ok = 200,
    created = 201,
    accepted = 202,
    nonAuthoritativeInformation = 203,
    noContent = 204,
    resetContent = 205,
    partialContent = 206,
    multiStatus = 207,
    alreadyReported = 208,
    iMUsed = 226,
    multipleChoices = 300,
    movedPermanently = 301,
    found = 302,
    seeOther = 303,
    notModified = 304,
    useProxy = 305,
    switchProxy = 306,
    temporaryRedirect = 307,
    permanentRedirect = 308,
    badRequest = 400,
    unauthorized = 401,
    paymentRequired = 402,
    forbidden = 403,
    notFound = 404,
    methodNotAllowed = 405,
    notAcceptable = 406,
    proxyAuthenticationRequired = 407,
    requestTimeout = 408,
    conflict = 409,
    gone = 410,
    lengthRequired = 411,
    preconditionFailed = 412,
    payloadTooLarge = 413,
    uriTooLong = 414,
    unsupportedMediaType = 415,
    rangeNotSatisfiable = 416,
    expectationFailed = 417,
    imATeapot = 418,
    misdirectedRequest = 421,
    unprocessableEntity = 422,
    locked = 423,
    failedDependency = 424,
    upgradeRequired = 426,
    preconditionRequired = 428,
    tooManyRequests = 429,
    requestHeaderFieldsTooLarge = 431,
    unavailableForLegalReasons = 451,
    internalServerError = 500,
    notImplemented = 501,
    badGateway = 502,
    serviceUnavailable = 503,
    gatewayTimeout = 504,
    httpVersionNotSupported = 505,
    variantAlsoNegotiates = 506,
    insufficientStorage = 507,
    loopDetected = 508,
    notExtended = 510,
    networkAuthenticationRequired = 511,
};

// Every case, in declaration order.
extern const std::array<HttpStatusCode, 62> allHttpStatusCodes;

// The case of that code; none for any code outside the table (103, 425, ...).
std::optional<HttpStatusCode> httpStatusCodeFromRawValue(int code);
constexpr int rawValue(HttpStatusCode status) { return int(status); }
// 1xx, 2xx and 3xx; not unknown.
constexpr bool isSuccess(HttpStatusCode status) { return rawValue(status) >= 100 && rawValue(status) < 400; }
// The case's name: "notFound", "continue".
QString caseName(HttpStatusCode status);

} // namespace tarimo::api_client
