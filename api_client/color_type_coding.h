#pragma once

#include "api_client/json_coding.h"
#include "view_helpers/color_type.h"

// A ColorType travels as its raw value, "white" ... "gray".
template<>
struct tarimo::api_client::Coding<tarimo::view_helpers::ColorType>
{
    // A text that is no raw value fails as dataCorrupted.
    static tarimo::view_helpers::ColorType decode(DecodingContext &context, const Json &json);
    static Json encode(EncodingContext &context, tarimo::view_helpers::ColorType value);
};
