#include "api_client/color_type_coding.h"

namespace tarimo::api_client {

view_helpers::ColorType Coding<view_helpers::ColorType>::decode(DecodingContext &context, const Json &json)
{
    if (!json.is_string())
        context.typeMismatch("a string", json);
    const QString text = QString::fromStdString(json.get<std::string>());
    if (const auto type = view_helpers::colorTypeFromRawValue(text))
        return *type;
    context.fail(DecodingError::Kind::dataCorrupted,
                 QStringLiteral("cannot make a ColorType from the invalid value \"%1\"").arg(text));
}

Json Coding<view_helpers::ColorType>::encode(EncodingContext &, view_helpers::ColorType value)
{
    return view_helpers::rawValue(value).toStdString();
}

} // namespace tarimo::api_client
