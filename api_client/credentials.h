#pragma once

#include "api_client/client.h"

#include <QString>

#include <optional>
#include <tuple>

namespace tarimo::api_client {

// A bearer token as an authorisation service hands it out. The client reads
// only accessToken; the rest travels for the provider and the caller.
struct Client::Credentials
{
    QString accessToken;
    QString tokenType;
    double expiresIn = 0;
    std::optional<QString> refreshToken;
    std::optional<QString> userId;

    // The keys are the service's, whatever key strategy the coder has.
    static constexpr auto codingFields = std::tuple{
        JsonField{"access_token", &Credentials::accessToken, true},
        JsonField{"token_type", &Credentials::tokenType, true},
        JsonField{"expires_in", &Credentials::expiresIn, true},
        JsonField{"refresh_token", &Credentials::refreshToken, true},
        JsonField{"user_id", &Credentials::userId, true},
    };

    QString description() const { return accessToken; }

    friend bool operator==(const Credentials &, const Credentials &) = default;
};

// Where bearer tokens come from. None of the operations fails.
class CredentialsProvider
{
public:
    virtual ~CredentialsProvider() = default;

    // The credentials to use now, or none (no Authorization header).
    virtual QCoro::Task<std::optional<Client::Credentials>> credentials() = 0;
    // Called with exactly what refreshCredentials just returned.
    virtual QCoro::Task<> storeCredentials(Client::Credentials credentials) = 0;
    // Called only after a 401 or 403 answer; none when no refresh is possible.
    virtual QCoro::Task<std::optional<Client::Credentials>> refreshCredentials() = 0;
};

} // namespace tarimo::api_client
