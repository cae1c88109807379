#pragma once

#include "api_client/url_session_provider.h"

#include <QList>
#include <QSslCertificate>

#include <memory>

namespace tarimo::api_client {

class NetworkManagers;

struct URLSessionOptions
{
    // Larger answers fail: declared by Content-Length or counted on arrival,
    // after decompression.
    qint64 maximumBodySize = 16 * 1024 * 1024;
    // The header fields together.
    qint64 maximumHeadSize = 64 * 1024;
    // Trusted by this transport only, besides the system's authorities.
    QList<QSslCertificate> extraCaCertificates;
    int maximumRedirects = 5;
    // The whole transfer, redirects included, must end within this many
    // times the request's timeout, however steadily bytes trickle in.
    double deadlineFactor = 4.0;
};

// The HTTP(S) transport on Qt Network. What Qt leaves to its caller is done
// here: certificate errors are never ignored; redirects are followed by hand
// (never from https to http, at most five hops, no Authorization header
// across origins); the request's timeout counts idle time and an overall
// deadline bounds the transfer; head and body are capped, the body counted
// after decompression (gzip is asked for and undone here); an answer cut
// short is an error, never a short body. A request's stop token aborts its
// transfer and drops the connection.
//
// Use it on the thread that made it (the GUI thread for the shared one).
class URLSession final : public URLSessionProvider
{
public:
    explicit URLSession(URLSessionOptions options = {});
    // Transfers still running keep what they need until they end.
    ~URLSession() override;

    URLSession(const URLSession &) = delete;
    URLSession &operator=(const URLSession &) = delete;

    // The process's one long-lived transport. Make it first on the GUI
    // thread; it closes when the application is about to quit.
    static std::shared_ptr<URLSession> shared();

    // Drops every network connection now, with any transfer still running;
    // later transfers fail.
    void close();

    const URLSessionOptions &options() const { return m_options; }

    QCoro::Task<TransferResult> data(URLRequest request) override;

    // Refuses what must never reach the socket: a method that is not an
    // HTTP token, a header name that is not one, and CR, LF or NUL inside a
    // header value, which would let data inject headers of its own.
    static void validate(const URLRequest &request);

private:
    std::shared_ptr<NetworkManagers> m_managers;
    URLSessionOptions m_options;
};

} // namespace tarimo::api_client
