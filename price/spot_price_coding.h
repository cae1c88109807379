#pragma once

// How a SpotPriceModel reads and writes the service's JSON: for the code that
// decodes answers (the live request, the saved days). The record itself
// stays a plain type, so that what only shows records compiles no JSON.

#include "api_client/json_coding.h"
#include "price/spot_price_model.h"

#include <tuple>

template<>
struct tarimo::api_client::Coding<tarimo::price::SpotPriceModel>
{
    using SpotPriceModel = tarimo::price::SpotPriceModel;

    // Read and written in this order; `id` is never part of the JSON.
    static constexpr auto fields = std::tuple{
        JsonField{"SEK_per_kWh", &SpotPriceModel::spotPriceSEK},
        JsonField{"EUR_per_kWh", &SpotPriceModel::spotPriceEUR},
        JsonField{"time_start", &SpotPriceModel::timeStart},
        JsonField{"time_end", &SpotPriceModel::timeEnd},
        JsonField{"EXR", &SpotPriceModel::exr},
    };

    static SpotPriceModel decode(DecodingContext &context, const Json &json)
    {
        if (!json.is_object())
            context.typeMismatch("an object", json);
        SpotPriceModel record{};
        std::apply([&](const auto &...field) {
            (context.decodeField(json, field.key, field.fixedKey, record.*(field.member)), ...);
        }, fields);
        return record;
    }

    static Json encode(EncodingContext &context, const SpotPriceModel &record)
    {
        Json object = Json::object();
        std::apply([&](const auto &...field) {
            (context.encodeField(object, field.key, field.fixedKey, record.*(field.member)), ...);
        }, fields);
        return object;
    }
};
