#pragma once

// A small typed JSON coding layer on nlohmann/json.
//
// A model type says how its fields map to JSON keys, either by declaring
//
//     static constexpr auto codingFields = std::tuple{
//         JsonField{"first_name", &Person::firstName},
//         JsonField{"age", &Person::age}};
//
// or by specialising Coding<T>. JsonDecoder and JsonEncoder apply the key,
// date and non-finite-number strategies; lists and optionals of codable
// types are codable too.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <nlohmann/json.hpp>

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace tarimo::api_client {

// Keeps the key order of the types that produce it.
using Json = nlohmann::ordered_json;

enum class KeyDecodingStrategy { useDefaultKeys, convertFromSnakeCase };
enum class KeyEncodingStrategy { useDefaultKeys, convertToSnakeCase };

// deferredToDate: the timestamp's own form, a number of seconds since the
// Unix epoch. iso8601: date-time text with a UTC offset.
enum class DateDecodingStrategy { deferredToDate, iso8601 };
enum class DateEncodingStrategy { deferredToDate, iso8601 };

// Infinities and NaN have no JSON form: refuse them, or stand them for three
// agreed texts (read and written alike).
struct NonConformingFloatStrategy
{
    struct Texts
    {
        QString positiveInfinity;
        QString negativeInfinity;
        QString nan;
        friend bool operator==(const Texts &, const Texts &) = default;
    };

    std::optional<Texts> convertToString;

    static NonConformingFloatStrategy throwing() { return {}; }
    static NonConformingFloatStrategy convertingToString(QString positiveInfinity,
                                                         QString negativeInfinity,
                                                         QString nan)
    {
        return {Texts{std::move(positiveInfinity), std::move(negativeInfinity), std::move(nan)}};
    }
    friend bool operator==(const NonConformingFloatStrategy &,
                           const NonConformingFloatStrategy &) = default;
};

// "first_name" -> "firstName"; keys without inner underscores stay as they are.
QString convertFromSnakeCase(const QString &key);
// "myURLValue" -> "my_url_value"; an acronym run stays one word.
QString convertToSnakeCase(const QString &key);

// Where in a document a value sits: an object key or an array index.
struct CodingPathElement
{
    CodingPathElement(std::string key)
        : key(std::move(key))
    {}
    CodingPathElement(std::size_t index)
        : index(index)
    {}

    std::string key;
    std::optional<std::size_t> index;
};
using CodingPath = std::vector<CodingPathElement>;
// "[3].SEK_per_kWh"; "the top level" for an empty path.
QString codingPathText(const CodingPath &path);

class DecodingError : public std::runtime_error
{
public:
    enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

    DecodingError(Kind kind, CodingPath path, const QString &detail);

    Kind kind() const { return m_kind; }
    const CodingPath &codingPath() const { return m_path; }
    QString detail() const { return m_detail; }

private:
    Kind m_kind;
    CodingPath m_path;
    QString m_detail;
};

class EncodingError : public std::runtime_error
{
public:
    EncodingError(CodingPath path, const QString &detail);
    const CodingPath &codingPath() const { return m_path; }

private:
    CodingPath m_path;
};

// "a string (\"abc\")", "null", "an array of 3 elements": what was found.
QString describeJson(const Json &value);

struct DecodingOptions
{
    KeyDecodingStrategy keys = KeyDecodingStrategy::useDefaultKeys;
    DateDecodingStrategy dates = DateDecodingStrategy::deferredToDate;
    NonConformingFloatStrategy floats;
};

struct EncodingOptions
{
    KeyEncodingStrategy keys = KeyEncodingStrategy::useDefaultKeys;
    DateEncodingStrategy dates = DateEncodingStrategy::deferredToDate;
    NonConformingFloatStrategy floats;
};

class DecodingContext;
class EncodingContext;

// Specialise for types that code themselves:
//   static T decode(DecodingContext &, const Json &);
//   static Json encode(EncodingContext &, const T &);
template<class T>
struct Coding;

template<class T>
concept JsonDecodable = requires(DecodingContext &context, const Json &json) {
    { Coding<T>::decode(context, json) } -> std::convertible_to<T>;
};

template<class T>
concept JsonEncodable = requires(EncodingContext &context, const T &value) {
    { Coding<T>::encode(context, value) } -> std::convertible_to<Json>;
};

// One declared field of a model type. A fixed key ignores the key strategy.
template<class Owner, class Member>
struct JsonField
{
    const char *key;
    Member Owner::*member;
    bool fixedKey = false;
};

// clang 14 deduces no template arguments for an aggregate without these.
template<class Owner, class Member>
JsonField(const char *, Member Owner::*) -> JsonField<Owner, Member>;
template<class Owner, class Member>
JsonField(const char *, Member Owner::*, bool) -> JsonField<Owner, Member>;

template<class T>
struct IsOptional : std::false_type
{};
template<class T>
struct IsOptional<std::optional<T>> : std::true_type
{};

// What decoding and encoding share: where in the document they are.
class CodingContext
{
public:
    const CodingPath &path() const { return m_path; }

protected:
    CodingPath m_path;
    friend class CodingPathScope;
};

// Pushes one path element for the lifetime of the scope.
class CodingPathScope
{
public:
    CodingPathScope(CodingContext &context, CodingPathElement element)
        : m_path(context.m_path)
    {
        m_path.push_back(std::move(element));
    }
    ~CodingPathScope() { m_path.pop_back(); }
    CodingPathScope(const CodingPathScope &) = delete;
    CodingPathScope &operator=(const CodingPathScope &) = delete;

private:
    CodingPath &m_path;
};

class DecodingContext : public CodingContext
{
public:
    explicit DecodingContext(DecodingOptions options)
        : m_options(std::move(options))
    {}

    const DecodingOptions &options() const { return m_options; }

    template<JsonDecodable T>
    T decode(const Json &json)
    {
        return Coding<T>::decode(*this, json);
    }

    // The member of `object` that the declared key names under the key strategy.
    const Json *member(const Json &object, std::string_view declaredKey, bool fixedKey) const;

    // Decodes one declared field: a missing key or null leaves an optional
    // absent and fails for anything else.
    template<class M>
    void decodeField(const Json &object, std::string_view key, bool fixedKey, M &out)
    {
        const Json *value = member(object, key, fixedKey);
        PathScope scope(*this, std::string(key));
        if constexpr (IsOptional<M>::value) {
            if (!value || value->is_null()) {
                out.reset();
                return;
            }
            out = decode<typename M::value_type>(*value);
        } else {
            if (!value)
                fail(DecodingError::Kind::keyNotFound, QStringLiteral("required key not found"));
            if (value->is_null() && !std::is_same_v<M, Json>)
                fail(DecodingError::Kind::valueNotFound, QStringLiteral("expected a value but found null"));
            out = decode<M>(*value);
        }
    }

    [[noreturn]] void fail(DecodingError::Kind kind, const QString &detail) const;
    [[noreturn]] void typeMismatch(const char *expected, const Json &found) const;

    using PathScope = CodingPathScope;

private:
    friend struct Coding<QDateTime>;

    DecodingOptions m_options;
    // The last ISO 8601 text decoded and its instant.
    std::string m_lastIsoText;
    QDateTime m_lastIsoDate;
};

class EncodingContext : public CodingContext
{
public:
    explicit EncodingContext(EncodingOptions options)
        : m_options(std::move(options))
    {}

    const EncodingOptions &options() const { return m_options; }

    template<JsonEncodable T>
    Json encode(const T &value)
    {
        return Coding<T>::encode(*this, value);
    }

    // The JSON key of a declared key under the key strategy.
    std::string key(std::string_view declaredKey, bool fixedKey) const;

    // Adds one declared field; absent optionals are left out.
    template<class M>
    void encodeField(Json &object, std::string_view key, bool fixedKey, const M &value)
    {
        if constexpr (IsOptional<M>::value) {
            if (!value)
                return;
        }
        const std::string jsonKey = this->key(key, fixedKey);
        PathScope scope(*this, jsonKey);
        if constexpr (IsOptional<M>::value)
            object[jsonKey] = encode(*value);
        else
            object[jsonKey] = encode(value);
    }

    [[noreturn]] void fail(const QString &detail) const;

    using PathScope = CodingPathScope;

private:
    EncodingOptions m_options;
};

class JsonDecoder
{
public:
    KeyDecodingStrategy keyDecodingStrategy = KeyDecodingStrategy::useDefaultKeys;
    DateDecodingStrategy dateDecodingStrategy = DateDecodingStrategy::deferredToDate;
    NonConformingFloatStrategy nonConformingFloatDecodingStrategy;

    DecodingOptions options() const
    {
        return {keyDecodingStrategy, dateDecodingStrategy, nonConformingFloatDecodingStrategy};
    }

    template<JsonDecodable T>
    T decode(const Json &json) const
    {
        DecodingContext context(options());
        return context.decode<T>(json);
    }

    // Parses and decodes; text that is not JSON fails as dataCorrupted.
    template<JsonDecodable T>
    T decode(const QByteArray &data) const
    {
        return decode<T>(parse(data));
    }

    static Json parse(const QByteArray &data);
};

class JsonEncoder
{
public:
    KeyEncodingStrategy keyEncodingStrategy = KeyEncodingStrategy::useDefaultKeys;
    DateEncodingStrategy dateEncodingStrategy = DateEncodingStrategy::deferredToDate;
    NonConformingFloatStrategy nonConformingFloatEncodingStrategy;

    EncodingOptions options() const
    {
        return {keyEncodingStrategy, dateEncodingStrategy, nonConformingFloatEncodingStrategy};
    }

    template<JsonEncodable T>
    Json encodeJson(const T &value) const
    {
        EncodingContext context(options());
        return context.encode(value);
    }

    // Compact UTF-8 text.
    template<JsonEncodable T>
    QByteArray encode(const T &value) const
    {
        const std::string text = encodeJson(value).dump();
        return QByteArray(text.data(), qsizetype(text.size()));
    }
};

// ---- model types that declare their fields ----

template<class T>
concept DeclaresCodingFields = requires { T::codingFields; };

template<DeclaresCodingFields T>
struct Coding<T>
{
    static T decode(DecodingContext &context, const Json &json)
    {
        if (!json.is_object())
            context.typeMismatch("an object", json);
        T value{};
        std::apply([&](const auto &...field) {
            (context.decodeField(json, field.key, field.fixedKey, value.*(field.member)), ...);
        }, T::codingFields);
        return value;
    }

    static Json encode(EncodingContext &context, const T &value)
    {
        Json object = Json::object();
        std::apply([&](const auto &...field) {
            (context.encodeField(object, field.key, field.fixedKey, value.*(field.member)), ...);
        }, T::codingFields);
        return object;
    }
};

// ---- built-in types ----

template<>
struct Coding<double>
{
    static double decode(DecodingContext &context, const Json &json);
    static Json encode(EncodingContext &context, double value);
};

template<std::integral T>
    requires(!std::is_same_v<T, bool>)
struct Coding<T>
{
    static T decode(DecodingContext &context, const Json &json)
    {
        if (json.is_number_integer()) {
            if (json.is_number_unsigned()) {
                const auto v = json.get<std::uint64_t>();
                if (v <= std::uint64_t(std::numeric_limits<T>::max()))
                    return T(v);
            } else {
                const auto v = json.get<std::int64_t>();
                if (std::in_range<T>(v))
                    return T(v);
            }
        } else if (json.is_number_float()) {
            const double v = json.get<double>();
            // A whole number written as 3.0 is still that number.
            if (std::isfinite(v) && std::trunc(v) == v && v >= double(std::numeric_limits<T>::min())
                && v < 2.0 * (double(std::numeric_limits<T>::max() / 2 + 1)))
                return T(v);
        } else {
            context.typeMismatch("a whole number", json);
        }
        context.fail(DecodingError::Kind::dataCorrupted,
                     QStringLiteral("the number %1 does not fit the field").arg(QString::fromStdString(json.dump())));
    }
    static Json encode(EncodingContext &, T value) { return value; }
};

template<>
struct Coding<QString>
{
    static QString decode(DecodingContext &context, const Json &json);
    static Json encode(EncodingContext &, const QString &value) { return value.toStdString(); }
};

// Bytes travel as base64 text.
template<>
struct Coding<QByteArray>
{
    static QByteArray decode(DecodingContext &context, const Json &json);
    static Json encode(EncodingContext &, const QByteArray &value);
};

template<>
struct Coding<QDateTime>
{
    static QDateTime decode(DecodingContext &context, const Json &json);
    static Json encode(EncodingContext &context, const QDateTime &value);
};

// JSON built by hand passes through unchanged (its keys are not converted).
template<>
struct Coding<Json>
{
    static Json decode(DecodingContext &, const Json &json) { return json; }
    static Json encode(EncodingContext &, const Json &value) { return value; }
};

template<class T>
struct Coding<std::optional<T>>
{
    static std::optional<T> decode(DecodingContext &context, const Json &json)
    {
        if (json.is_null())
            return std::nullopt;
        return context.decode<T>(json);
    }
    static Json encode(EncodingContext &context, const std::optional<T> &value)
    {
        return value ? context.encode(*value) : Json(nullptr);
    }
};

template<class T>
struct Coding<std::vector<T>>
{
    static std::vector<T> decode(DecodingContext &context, const Json &json)
    {
        if (!json.is_array())
            context.typeMismatch("an array", json);
        std::vector<T> values;
        values.reserve(json.size());
        std::size_t index = 0;
        for (const Json &element : json) {
            DecodingContext::PathScope scope(context, index++);
            values.push_back(context.decode<T>(element));
        }
        return values;
    }
    static Json encode(EncodingContext &context, const std::vector<T> &values)
    {
        Json array = Json::array();
        std::size_t index = 0;
        for (const T &value : values) {
            EncodingContext::PathScope scope(context, index++);
            array.push_back(context.encode(value));
        }
        return array;
    }
};

} // namespace tarimo::api_client
