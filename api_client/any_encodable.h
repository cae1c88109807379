#pragma once

#include "api_client/json_coding.h"

#include <concepts>
#include <memory>
#include <type_traits>

namespace tarimo::api_client {

// Any value the JSON coding layer can encode (a model type, JSON built
// by hand), held so that it can travel through non-template interfaces and
// still be encoded later with whatever strategies the encoder has then.
class AnyEncodable
{
public:
    template<class T>
        requires(!std::same_as<std::remove_cvref_t<T>, AnyEncodable> && JsonEncodable<std::remove_cvref_t<T>>)
    AnyEncodable(T &&value)
        : m_value(std::make_shared<Holder<std::remove_cvref_t<T>>>(std::forward<T>(value)))
    {}

    Json encode(EncodingContext &context) const { return m_value->encode(context); }

private:
    struct Base
    {
        virtual ~Base() = default;
        virtual Json encode(EncodingContext &context) const = 0;
    };
    template<class T>
    struct Holder final : Base
    {
        explicit Holder(T value)
            : value(std::move(value))
        {}
        Json encode(EncodingContext &context) const override { return context.encode(value); }
        T value;
    };

    std::shared_ptr<const Base> m_value;
};

template<>
struct Coding<AnyEncodable>
{
    static Json encode(EncodingContext &context, const AnyEncodable &value) { return value.encode(context); }
};

} // namespace tarimo::api_client
