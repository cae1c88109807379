#pragma once

#include "price/spot_price_model.h"

#include <vector>

namespace tarimo::price {

// The day seen hour by hour. The service delivers quarter hours (and whole
// hours for older days); the display shows one price per clock hour, so
// every record of an hour counts, not only its first quarter.
//
// One entry per absolute clock hour, in the order the hours first appear:
// SEK and EUR are the means of the hour's present values (absent when there
// are none), exr the first present one, timeStart the start of the hour and
// timeEnd the end of its last record. The autumn day's two 02 hours stay two
// entries. Records without timeStart belong to no hour and are passed over.
// For hourly records this is the records themselves.
std::vector<SpotPriceModel> hourlyView(const std::vector<SpotPriceModel> &records);

} // namespace tarimo::price
