#pragma once

#include <QString>

#include <array>
#include <optional>

namespace tarimo::price {

// A Swedish bidding zone, in the order used everywhere.
enum class Zone { se1, se2, se3, se4 };

inline constexpr std::array<Zone, 4> allZones{Zone::se1, Zone::se2, Zone::se3, Zone::se4};

// "SE1" … "SE4": the form of the service's paths and of the zone labels.
QString rawValue(Zone zone);
// "se1" … "se4": the form of log lines.
QString caseName(Zone zone);
// Exact, case-sensitive match of a raw value; anything else is no zone.
std::optional<Zone> zoneFromRawValue(QStringView text);

} // namespace tarimo::price
