#pragma once

#include "price/spot_price_model.h"

#include <vector>

namespace tarimo::price {

// The local clock hour that holds an instant.
struct LocalHour
{
    // Milliseconds since the epoch; the autumn day's two 02 hours differ.
    qint64 start;
    // Of the day, 0 to 23.
    int hour;
};
LocalHour localHour(const QDateTime &instant);

// The day seen hour by hour. The service delivers quarter hours (and whole
// hours for older days); the display shows one price per clock hour, so
// every record of an hour counts, not only its first quarter.
//
// One entry per absolute clock hour, in the order the hours first appear:
// SEK and EUR are the means of the hour's finite values (absent when there
// are none), exr the first present one, timeStart the start of the hour and
// timeEnd the end of its last record. The autumn day's two 02 hours stay two
// entries. Records without timeStart belong to no hour and are passed over.
// For whole-hour records with finite prices this is the records themselves.
std::vector<SpotPriceModel> hourlyView(const std::vector<SpotPriceModel> &records);

} // namespace tarimo::price
