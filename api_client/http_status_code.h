#pragma once

#include <QString>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

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

struct HttpStatusCodeEntry
{
    HttpStatusCode status;
    std::string_view name;
};

// Every case with its name, in ascending order of code: what the lookups
// below read.
inline constexpr std::array<HttpStatusCodeEntry, 62> httpStatusCodes = {{
    {HttpStatusCode::unknown, "unknown"},
    {HttpStatusCode::continue_, "continue"},
    {HttpStatusCode::switchingProtocols, "switchingProtocols"},
    {HttpStatusCode::processing, "processing"},
    {HttpStatusCode::ok, "ok"},
    {HttpStatusCode::created, "created"},
    {HttpStatusCode::accepted, "accepted"},
    {HttpStatusCode::nonAuthoritativeInformation, "nonAuthoritativeInformation"},
    {HttpStatusCode::noContent, "noContent"},
    {HttpStatusCode::resetContent, "resetContent"},
    {HttpStatusCode::partialContent, "partialContent"},
    {HttpStatusCode::multiStatus, "multiStatus"},
    {HttpStatusCode::alreadyReported, "alreadyReported"},
    {HttpStatusCode::iMUsed, "iMUsed"},
    {HttpStatusCode::multipleChoices, "multipleChoices"},
    {HttpStatusCode::movedPermanently, "movedPermanently"},
    {HttpStatusCode::found, "found"},
    {HttpStatusCode::seeOther, "seeOther"},
    {HttpStatusCode::notModified, "notModified"},
    {HttpStatusCode::useProxy, "useProxy"},
    {HttpStatusCode::switchProxy, "switchProxy"},
    {HttpStatusCode::temporaryRedirect, "temporaryRedirect"},
    {HttpStatusCode::permanentRedirect, "permanentRedirect"},
    {HttpStatusCode::badRequest, "badRequest"},
    {HttpStatusCode::unauthorized, "unauthorized"},
    {HttpStatusCode::paymentRequired, "paymentRequired"},
    {HttpStatusCode::forbidden, "forbidden"},
    {HttpStatusCode::notFound, "notFound"},
    {HttpStatusCode::methodNotAllowed, "methodNotAllowed"},
    {HttpStatusCode::notAcceptable, "notAcceptable"},
    {HttpStatusCode::proxyAuthenticationRequired, "proxyAuthenticationRequired"},
    {HttpStatusCode::requestTimeout, "requestTimeout"},
    {HttpStatusCode::conflict, "conflict"},
    {HttpStatusCode::gone, "gone"},
    {HttpStatusCode::lengthRequired, "lengthRequired"},
    {HttpStatusCode::preconditionFailed, "preconditionFailed"},
    {HttpStatusCode::payloadTooLarge, "payloadTooLarge"},
    {HttpStatusCode::uriTooLong, "uriTooLong"},
    {HttpStatusCode::unsupportedMediaType, "unsupportedMediaType"},
    {HttpStatusCode::rangeNotSatisfiable, "rangeNotSatisfiable"},
    {HttpStatusCode::expectationFailed, "expectationFailed"},
    {HttpStatusCode::imATeapot, "imATeapot"},
    {HttpStatusCode::misdirectedRequest, "misdirectedRequest"},
    {HttpStatusCode::unprocessableEntity, "unprocessableEntity"},
    {HttpStatusCode::locked, "locked"},
    {HttpStatusCode::failedDependency, "failedDependency"},
    {HttpStatusCode::upgradeRequired, "upgradeRequired"},
    {HttpStatusCode::preconditionRequired, "preconditionRequired"},
    {HttpStatusCode::tooManyRequests, "tooManyRequests"},
    {HttpStatusCode::requestHeaderFieldsTooLarge, "requestHeaderFieldsTooLarge"},
    {HttpStatusCode::unavailableForLegalReasons, "unavailableForLegalReasons"},
    {HttpStatusCode::internalServerError, "internalServerError"},
    {HttpStatusCode::notImplemented, "notImplemented"},
    {HttpStatusCode::badGateway, "badGateway"},
    {HttpStatusCode::serviceUnavailable, "serviceUnavailable"},
    {HttpStatusCode::gatewayTimeout, "gatewayTimeout"},
    {HttpStatusCode::httpVersionNotSupported, "httpVersionNotSupported"},
    {HttpStatusCode::variantAlsoNegotiates, "variantAlsoNegotiates"},
    {HttpStatusCode::insufficientStorage, "insufficientStorage"},
    {HttpStatusCode::loopDetected, "loopDetected"},
    {HttpStatusCode::notExtended, "notExtended"},
    {HttpStatusCode::networkAuthenticationRequired, "networkAuthenticationRequired"},
}};

constexpr int rawValue(HttpStatusCode status) { return int(status); }

// Strictly ascending: no code twice, and the lookup can search by halves.
static_assert(std::ranges::adjacent_find(httpStatusCodes, [](const auto &a, const auto &b) {
                  return rawValue(a.status) >= rawValue(b.status);
              }) == httpStatusCodes.end());

// The case of that code; none for any code outside the table (103, 425, ...).
constexpr std::optional<HttpStatusCode> httpStatusCodeFromRawValue(int code)
{
    const auto entry = std::ranges::lower_bound(httpStatusCodes, code, {},
                                                [](const HttpStatusCodeEntry &e) { return rawValue(e.status); });
    if (entry == httpStatusCodes.end() || rawValue(entry->status) != code)
        return std::nullopt;
    return entry->status;
}

// 1xx, 2xx and 3xx; not unknown.
constexpr bool isSuccess(HttpStatusCode status) { return rawValue(status) >= 100 && rawValue(status) < 400; }

// The case's name: "notFound", "continue".
inline QString caseName(HttpStatusCode status)
{
    const auto entry = std::ranges::find(httpStatusCodes, status, &HttpStatusCodeEntry::status);
    if (entry == httpStatusCodes.end())
        return QString::number(rawValue(status));
    return QString::fromLatin1(entry->name.data(), qsizetype(entry->name.size()));
}

} // namespace tarimo::api_client
