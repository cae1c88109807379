#pragma once

#include "api_client/json_coding.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace tarimo::price {

// One price record exactly as the spot-price service delivers it. Nothing is
// validated: what the service sends is what is kept.
struct SpotPriceModel
{
    // Identity in lists only; never part of the JSON.
    QUuid id = QUuid::createUuid();
    std::optional<double> spotPriceSEK;
    std::optional<double> spotPriceEUR;
    std::optional<double> exr;
    std::optional<QDateTime> timeStart;
    std::optional<QDateTime> timeEnd;

    enum class CodingKeys { spotPriceSEK, spotPriceEUR, timeStart, timeEnd, exr };
    static QString stringValue(CodingKeys key);
    static std::optional<CodingKeys> codingKey(QStringView text);

    // Read and written in this order.
    static constexpr auto codingFields = std::tuple{
        api_client::JsonField{"SEK_per_kWh", &SpotPriceModel::spotPriceSEK},
        api_client::JsonField{"EUR_per_kWh", &SpotPriceModel::spotPriceEUR},
        api_client::JsonField{"time_start", &SpotPriceModel::timeStart},
        api_client::JsonField{"time_end", &SpotPriceModel::timeEnd},
        api_client::JsonField{"EXR", &SpotPriceModel::exr},
    };

    // For log lines: every field, absent ones as "nil", times in local time.
    QString description() const;
};

} // namespace tarimo::price
