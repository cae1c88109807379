#include "api_client/http_status_code.h"

namespace tarimo::api_client {

const std::array<HttpStatusCode, 62> allHttpStatusCodes = {
    HttpStatusCode::unknown,
    HttpStatusCode::continue_,
    HttpStatusCode::switchingProtocols,
    HttpStatusCode::processing,
    HttpStatusCode::ok,
    HttpStatusCode::created,
    HttpStatusCode::accepted,
    HttpStatusCode::nonAuthoritativeInformation,
    HttpStatusCode::noContent,
    HttpStatusCode::resetContent,
    HttpStatusCode::partialContent,
    HttpStatusCode::multiStatus,
    HttpStatusCode::alreadyReported,
    HttpStatusCode::iMUsed,
    HttpStatusCode::multipleChoices,
    HttpStatusCode::movedPermanently,
    HttpStatusCode::found,
    HttpStatusCode::seeOther,
    HttpStatusCode::notModified,
    HttpStatusCode::useProxy,
    HttpStatusCode::switchProxy,
    HttpStatusCode::temporaryRedirect,
    HttpStatusCode::permanentRedirect,
    HttpStatusCode::badRequest,
    HttpStatusCode::unauthorized,
    HttpStatusCode::paymentRequired,
    HttpStatusCode::forbidden,
    HttpStatusCode::notFound,
    HttpStatusCode::methodNotAllowed,
    HttpStatusCode::notAcceptable,
    HttpStatusCode::proxyAuthenticationRequired,
    HttpStatusCode::requestTimeout,
    HttpStatusCode::conflict,
    HttpStatusCode::gone,
    HttpStatusCode::lengthRequired,
    HttpStatusCode::preconditionFailed,
    HttpStatusCode::payloadTooLarge,
    HttpStatusCode::uriTooLong,
    HttpStatusCode::unsupportedMediaType,
    HttpStatusCode::rangeNotSatisfiable,
    HttpStatusCode::expectationFailed,
    HttpStatusCode::imATeapot,
    HttpStatusCode::misdirectedRequest,
    HttpStatusCode::unprocessableEntity,
    HttpStatusCode::locked,
    HttpStatusCode::failedDependency,
    HttpStatusCode::upgradeRequired,
    HttpStatusCode::preconditionRequired,
    HttpStatusCode::tooManyRequests,
    HttpStatusCode::requestHeaderFieldsTooLarge,
    HttpStatusCode::unavailableForLegalReasons,
    HttpStatusCode::internalServerError,
    HttpStatusCode::notImplemented,
    HttpStatusCode::badGateway,
    HttpStatusCode::serviceUnavailable,
    HttpStatusCode::gatewayTimeout,
    HttpStatusCode::httpVersionNotSupported,
    HttpStatusCode::variantAlsoNegotiates,
    HttpStatusCode::insufficientStorage,
    HttpStatusCode::loopDetected,
    HttpStatusCode::notExtended,
    HttpStatusCode::networkAuthenticationRequired,
};

std::optional<HttpStatusCode> httpStatusCodeFromRawValue(int code)
{
    switch (code) {
    case 0:
    case 100:
    case 101:
    case 102:
    case 200:
    case 201:
    case 202:
    case 203:
    case 204:
    case 205:
    case 206:
    case 207:
    case 208:
    case 226:
    case 300:
    case 301:
    case 302:
    case 303:
    case 304:
    case 305:
    case 306:
    case 307:
    case 308:
    case 400:
    case 401:
    case 402:
    case 403:
    case 404:
    case 405:
    case 406:
    case 407:
    case 408:
    case 409:
    case 410:
    case 411:
    case 412:
    case 413:
    case 414:
    case 415:
    case 416:
    case 417:
    case 418:
    case 421:
    case 422:
    case 423:
    case 424:
    case 426:
    case 428:
    case 429:
    case 431:
    case 451:
    case 500:
    case 501:
    case 502:
    case 503:
    case 504:
    case 505:
    case 506:
    case 507:
    case 508:
    case 510:
    case 511:
        return HttpStatusCode(code);
    default:
        return std::nullopt;
    }
}

QString caseName(HttpStatusCode status)
{
    switch (status) {
    case HttpStatusCode::unknown:
        return QStringLiteral("unknown");
    case HttpStatusCode::continue_:
        return QStringLiteral("continue");
    case HttpStatusCode::switchingProtocols:
        return QStringLiteral("switchingProtocols");
    case HttpStatusCode::processing:
        return QStringLiteral("processing");
    case HttpStatusCode::ok:
        return QStringLiteral("ok");
    case HttpStatusCode::created:
        return QStringLiteral("created");
    case HttpStatusCode::accepted:
        return QStringLiteral("accepted");
    case HttpStatusCode::nonAuthoritativeInformation:
        return QStringLiteral("nonAuthoritativeInformation");
    case HttpStatusCode::noContent:
        return QStringLiteral("noContent");
    case HttpStatusCode::resetContent:
        return QStringLiteral("resetContent");
    case HttpStatusCode::partialContent:
        return QStringLiteral("partialContent");
    case HttpStatusCode::multiStatus:
        return QStringLiteral("multiStatus");
    case HttpStatusCode::alreadyReported:
        return QStringLiteral("alreadyReported");
    case HttpStatusCode::iMUsed:
        return QStringLiteral("iMUsed");
    case HttpStatusCode::multipleChoices:
        return QStringLiteral("multipleChoices");
    case HttpStatusCode::movedPermanently:
        return QStringLiteral("movedPermanently");
    case HttpStatusCode::found:
        return QStringLiteral("found");
    case HttpStatusCode::seeOther:
        return QStringLiteral("seeOther");
    case HttpStatusCode::notModified:
        return QStringLiteral("notModified");
    case HttpStatusCode::useProxy:
        return QStringLiteral("useProxy");
    case HttpStatusCode::switchProxy:
        return QStringLiteral("switchProxy");
    case HttpStatusCode::temporaryRedirect:
        return QStringLiteral("temporaryRedirect");
    case HttpStatusCode::permanentRedirect:
        return QStringLiteral("permanentRedirect");
    case HttpStatusCode::badRequest:
        return QStringLiteral("badRequest");
    case HttpStatusCode::unauthorized:
        return QStringLiteral("unauthorized");
    case HttpStatusCode::paymentRequired:
        return QStringLiteral("paymentRequired");
    case HttpStatusCode::forbidden:
        return QStringLiteral("forbidden");
    case HttpStatusCode::notFound:
        return QStringLiteral("notFound");
    case HttpStatusCode::methodNotAllowed:
        return QStringLiteral("methodNotAllowed");
    case HttpStatusCode::notAcceptable:
        return QStringLiteral("notAcceptable");
    case HttpStatusCode::proxyAuthenticationRequired:
        return QStringLiteral("proxyAuthenticationRequired");
    case HttpStatusCode::requestTimeout:
        return QStringLiteral("requestTimeout");
    case HttpStatusCode::conflict:
        return QStringLiteral("conflict");
    case HttpStatusCode::gone:
        return QStringLiteral("gone");
    case HttpStatusCode::lengthRequired:
        return QStringLiteral("lengthRequired");
    case HttpStatusCode::preconditionFailed:
        return QStringLiteral("preconditionFailed");
    case HttpStatusCode::payloadTooLarge:
        return QStringLiteral("payloadTooLarge");
    case HttpStatusCode::uriTooLong:
        return QStringLiteral("uriTooLong");
    case HttpStatusCode::unsupportedMediaType:
        return QStringLiteral("unsupportedMediaType");
    case HttpStatusCode::rangeNotSatisfiable:
        return QStringLiteral("rangeNotSatisfiable");
    case HttpStatusCode::expectationFailed:
        return QStringLiteral("expectationFailed");
    case HttpStatusCode::imATeapot:
        return QStringLiteral("imATeapot");
    case HttpStatusCode::misdirectedRequest:
        return QStringLiteral("misdirectedRequest");
    case HttpStatusCode::unprocessableEntity:
        return QStringLiteral("unprocessableEntity");
    case HttpStatusCode::locked:
        return QStringLiteral("locked");
    case HttpStatusCode::failedDependency:
        return QStringLiteral("failedDependency");
    case HttpStatusCode::upgradeRequired:
        return QStringLiteral("upgradeRequired");
    case HttpStatusCode::preconditionRequired:
        return QStringLiteral("preconditionRequired");
    case HttpStatusCode::tooManyRequests:
        return QStringLiteral("tooManyRequests");
    case HttpStatusCode::requestHeaderFieldsTooLarge:
        return QStringLiteral("requestHeaderFieldsTooLarge");
    case HttpStatusCode::unavailableForLegalReasons:
        return QStringLiteral("unavailableForLegalReasons");
    case HttpStatusCode::internalServerError:
        return QStringLiteral("internalServerError");
    case HttpStatusCode::notImplemented:
        return QStringLiteral("notImplemented");
    case HttpStatusCode::badGateway:
        return QStringLiteral("badGateway");
    case HttpStatusCode::serviceUnavailable:
        return QStringLiteral("serviceUnavailable");
    case HttpStatusCode::gatewayTimeout:
        return QStringLiteral("gatewayTimeout");
    case HttpStatusCode::httpVersionNotSupported:
        return QStringLiteral("httpVersionNotSupported");
    case HttpStatusCode::variantAlsoNegotiates:
        return QStringLiteral("variantAlsoNegotiates");
    case HttpStatusCode::insufficientStorage:
        return QStringLiteral("insufficientStorage");
    case HttpStatusCode::loopDetected:
        return QStringLiteral("loopDetected");
    case HttpStatusCode::notExtended:
        return QStringLiteral("notExtended");
    case HttpStatusCode::networkAuthenticationRequired:
        return QStringLiteral("networkAuthenticationRequired");
    }
    return QString::number(rawValue(status));
}

} // namespace tarimo::api_client
