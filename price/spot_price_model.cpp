#include "price/spot_price_model.h"

#include <QLocale>

namespace tarimo::price {

namespace {

QString text(const std::optional<double> &value)
{
    return value ? QString::number(*value, 'g', QLocale::FloatingPointShortest) : QStringLiteral("nil");
}

QString text(const std::optional<QDateTime> &value)
{
    if (!value)
        return QStringLiteral("nil");
    // Local time with its offset, so that the autumn day's two 02 hours differ.
    const QDateTime local = value->toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QString SpotPriceModel::description() const
{
    return QStringLiteral("SpotPriceModel(id: %1, spotPriceSEK: %2, spotPriceEUR: %3, exr: %4, timeStart: %5, timeEnd: %6)")
        .arg(id.toString(QUuid::WithoutBraces).toUpper(), text(spotPriceSEK), text(spotPriceEUR), text(exr),
             text(timeStart), text(timeEnd));
}

} // namespace tarimo::price
