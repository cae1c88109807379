#include "price/zone.h"

namespace tarimo::price {

QString rawValue(Zone zone)
{
    return QStringLiteral("SE%1").arg(int(zone) + 1);
}

QString caseName(Zone zone)
{
    return QStringLiteral("se%1").arg(int(zone) + 1);
}

std::optional<Zone> zoneFromRawValue(QStringView text)
{
    for (Zone zone : allZones) {
        if (text == rawValue(zone))
            return zone;
    }
    return std::nullopt;
}

} // namespace tarimo::price
