#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace tarimo::price {

// One price record exactly as the spot-price service delivers it. Nothing is
// validated: what the service sends is what is kept. Its JSON form is in
// price/spot_price_coding.h.
struct SpotPriceModel
{
    // Identity in lists only; never part of the JSON.
    QUuid id = QUuid::createUuid();
    std::optional<double> spotPriceSEK;
    std::optional<double> spotPriceEUR;
    std::optional<double> exr;
    std::optional<QDateTime> timeStart;
    std::optional<QDateTime> timeEnd;

    // For log lines: every field, absent ones as "nil", times in local time.
    QString description() const;
};

} // namespace tarimo::price
