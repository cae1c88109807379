#pragma once

// The model both api_client tests code: a required text, a list, and
// optional fields that are left out when absent.

#include "api_client/json_coding.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <tuple>
#include <vector>

struct Person
{
    QString firstName;
    std::vector<qint64> ids;
    std::optional<double> height;
    std::optional<QDateTime> bornAt;

    static constexpr auto codingFields = std::tuple{
        tarimo::api_client::JsonField{"firstName", &Person::firstName},
        tarimo::api_client::JsonField{"ids", &Person::ids},
        tarimo::api_client::JsonField{"height", &Person::height},
        tarimo::api_client::JsonField{"bornAt", &Person::bornAt},
    };
};
using People = std::vector<Person>;
