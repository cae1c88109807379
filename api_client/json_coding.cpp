#include "api_client/json_coding.h"

#include <QStringList>

namespace tarimo::api_client {

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string errorText(const char *verb, const CodingPath &path, const QString &detail)
{
    return QStringLiteral("Cannot %1 %2: %3")
        .arg(QLatin1String(verb), codingPathText(path), detail)
        .toStdString();
}

// Follows a parse to the value it fails at, to say where a number too large
// for a double sits in the document.
class PathOfFailure : public nlohmann::json_sax<Json>
{
public:
    CodingPath path;
    std::string token;

    bool null() override { return scalar(); }
    bool boolean(bool) override { return scalar(); }
    bool number_integer(number_integer_t) override { return scalar(); }
    bool number_unsigned(number_unsigned_t) override { return scalar(); }
    bool number_float(number_float_t, const string_t &) override { return scalar(); }
    bool string(string_t &) override { return scalar(); }
    bool binary(binary_t &) override { return scalar(); }
    bool start_object(std::size_t) override { return open(std::nullopt); }
    bool key(string_t &name) override
    {
        path.emplace_back(name);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(0); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string &lastToken, const nlohmann::detail::exception &) override
    {
        enter();
        token = lastToken;
        return false;
    }

private:
    // Per open container: the next index of an array; nothing for an object,
    // whose key() names its members.
    std::vector<std::optional<std::size_t>> m_open;

    void enter()
    {
        if (!m_open.empty() && m_open.back())
            path.emplace_back((*m_open.back())++);
    }
    bool leave()
    {
        if (!m_open.empty())
            path.pop_back();
        return true;
    }
    bool scalar()
    {
        enter();
        return leave();
    }
    bool open(std::optional<std::size_t> firstIndex)
    {
        enter();
        m_open.push_back(firstIndex);
        return true;
    }
    bool close()
    {
        m_open.pop_back();
        return leave();
    }
};

} // namespace

QString convertFromSnakeCase(const QString &key)
{
    qsizetype first = 0;
    while (first < key.size() && key[first] == u'_')
        ++first;
    if (first == key.size())
        return key;
    qsizetype last = key.size() - 1;
    while (last > first && key[last] == u'_')
        --last;

    const QStringList words = QStringView(key).mid(first, last - first + 1).toString().split(u'_', Qt::SkipEmptyParts);
    if (words.size() == 1)
        return key;

    QString result = key.left(first);
    result += words.first().toLower();
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString &word = words[i];
        result += word.left(1).toUpper();
        result += word.mid(1).toLower();
    }
    result += key.mid(last + 1);
    return result;
}

QString convertToSnakeCase(const QString &key)
{
    // A word starts at a capital that follows a small letter or a digit, and
    // at the last capital of a run that a small letter follows: an acronym
    // run ("URL" in "myURLValue") stays one word.
    QString result;
    result.reserve(key.size() + 4);
    for (qsizetype i = 0; i < key.size(); ++i) {
        const QChar c = key[i];
        if (i > 0 && c.isUpper()) {
            const QChar previous = key[i - 1];
            const bool afterWord = previous.isLower() || previous.isDigit();
            const bool endsAcronym = previous.isUpper() && i + 1 < key.size() && key[i + 1].isLower();
            if (afterWord || endsAcronym)
                result += u'_';
        }
        result += c.toLower();
    }
    return result;
}

QString codingPathText(const CodingPath &path)
{
    if (path.empty())
        return QStringLiteral("the top level");
    QString text;
    for (const CodingPathElement &element : path) {
        if (element.index) {
            text += QStringLiteral("[%1]").arg(*element.index);
        } else {
            if (!text.isEmpty())
                text += u'.';
            text += fromStd(element.key);
        }
    }
    return text;
}

QString describeJson(const Json &value)
{
    auto shortened = [](const std::string &text) {
        QString result = fromStd(text);
        if (result.size() > 40)
            result = result.left(37) + QStringLiteral("...");
        return result;
    };
    switch (value.type()) {
    case Json::value_t::null:
        return QStringLiteral("null");
    case Json::value_t::boolean:
        return QStringLiteral("a boolean (%1)").arg(value.get<bool>() ? u"true" : u"false");
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return QStringLiteral("a number (%1)").arg(shortened(value.dump()));
    case Json::value_t::string:
        return QStringLiteral("a string (%1)").arg(shortened(value.dump()));
    case Json::value_t::array:
        return QStringLiteral("an array");
    case Json::value_t::object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("binary data");
    }
}

DecodingError::DecodingError(Kind kind, CodingPath path, const QString &detail)
    : std::runtime_error(errorText("decode", path, detail))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_detail(detail)
{}

EncodingError::EncodingError(CodingPath path, const QString &detail)
    : std::runtime_error(errorText("encode", path, detail))
    , m_path(std::move(path))
{}

const Json *DecodingContext::member(const Json &object, std::string_view declaredKey, bool fixedKey) const
{
    if (fixedKey || m_options.keys == KeyDecodingStrategy::useDefaultKeys) {
        const auto it = object.find(declaredKey);
        return it == object.end() ? nullptr : &*it;
    }
    const QString wanted = fromStd(declaredKey);
    for (const auto &[key, value] : object.items()) {
        if (convertFromSnakeCase(fromStd(key)) == wanted)
            return &value;
    }
    return nullptr;
}

void DecodingContext::fail(DecodingError::Kind kind, const QString &detail) const
{
    throw DecodingError(kind, m_path, detail);
}

void DecodingContext::typeMismatch(const char *expected, const Json &found) const
{
    throw DecodingError(DecodingError::Kind::typeMismatch, m_path,
                        QStringLiteral("expected %1 but found %2").arg(QLatin1String(expected), describeJson(found)));
}

std::string EncodingContext::key(std::string_view declaredKey, bool fixedKey) const
{
    if (fixedKey || m_options.keys == KeyEncodingStrategy::useDefaultKeys)
        return std::string(declaredKey);
    return convertToSnakeCase(fromStd(declaredKey)).toStdString();
}

void EncodingContext::fail(const QString &detail) const
{
    throw EncodingError(m_path, detail);
}

// Every level of nesting costs a value and an allocation, so a body of
// nothing but brackets would take many times its size as a document. One
// pass over the bytes finds it before anything is built; nlohmann's parser
// callback could, but would slow every parse by half. Brackets inside
// strings do not count; where this reading of strings and the parser's
// could differ, the text is not JSON and the parser refuses it anyway.
namespace {

constexpr int maximumNestingDepth = 64;

bool nestsTooDeep(const QByteArray &data)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maximumNestingDepth)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

} // namespace

Json JsonDecoder::parse(const QByteArray &data)
{
    if (nestsTooDeep(data))
        throw DecodingError(DecodingError::Kind::dataCorrupted, {},
                            QStringLiteral("the data nests deeper than %1 levels").arg(maximumNestingDepth));
    try {
        return Json::parse(data.begin(), data.end());
    } catch (const Json::parse_error &error) {
        // nlohmann prefixes its messages with "[json.exception.parse_error.101] ".
        QString reason = QString::fromUtf8(error.what());
        if (const qsizetype end = reason.indexOf(QLatin1String("] ")); reason.startsWith(u'[') && end > 0)
            reason = reason.mid(end + 2);
        throw DecodingError(DecodingError::Kind::dataCorrupted, {},
                            QStringLiteral("the data is not valid JSON (%1)").arg(reason));
    } catch (const Json::out_of_range &) {
        // A number beyond a double, such as 1e400: say where it is.
        PathOfFailure failure;
        Json::sax_parse(data.begin(), data.end(), &failure);
        throw DecodingError(DecodingError::Kind::dataCorrupted, failure.path,
                            QStringLiteral("the number %1 does not fit in a double").arg(fromStd(failure.token)));
    }
}

double Coding<double>::decode(DecodingContext &context, const Json &json)
{
    if (json.is_number())
        return json.get<double>();
    if (json.is_string()) {
        if (const auto &texts = context.options().floats.convertToString) {
            const QString text = QString::fromStdString(json.get_ref<const std::string &>());
            if (text == texts->positiveInfinity)
                return std::numeric_limits<double>::infinity();
            if (text == texts->negativeInfinity)
                return -std::numeric_limits<double>::infinity();
            if (text == texts->nan)
                return std::numeric_limits<double>::quiet_NaN();
        }
    }
    context.typeMismatch("a number", json);
}

Json Coding<double>::encode(EncodingContext &context, double value)
{
    if (std::isfinite(value))
        return value;
    const auto &texts = context.options().floats.convertToString;
    if (!texts)
        context.fail(QStringLiteral("%1 is not a valid JSON number").arg(value));
    const QString &text = std::isnan(value) ? texts->nan
                          : value > 0       ? texts->positiveInfinity
                                            : texts->negativeInfinity;
    return text.toStdString();
}

QString Coding<QString>::decode(DecodingContext &context, const Json &json)
{
    if (!json.is_string())
        context.typeMismatch("a string", json);
    return QString::fromStdString(json.get_ref<const std::string &>());
}

QByteArray Coding<QByteArray>::decode(DecodingContext &context, const Json &json)
{
    if (!json.is_string())
        context.typeMismatch("base64 text", json);
    const auto &text = json.get_ref<const std::string &>();
    auto result = QByteArray::fromBase64Encoding(QByteArray(text.data(), qsizetype(text.size())),
                                                 QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        context.fail(DecodingError::Kind::dataCorrupted, QStringLiteral("the text is not valid base64"));
    return *result;
}

Json Coding<QByteArray>::encode(EncodingContext &, const QByteArray &value)
{
    return value.toBase64().toStdString();
}

QDateTime Coding<QDateTime>::decode(DecodingContext &context, const Json &json)
{
    if (context.options().dates == DateDecodingStrategy::iso8601) {
        if (!json.is_string())
            context.typeMismatch("an ISO 8601 date-time text", json);
        // Qt reads a text without an offset as local time; it names no
        // instant, so it is refused.
        // Each record's end is, as a rule, the next one's start: the last
        // text read is kept so a day parses about half as many dates.
        const std::string &text = json.get_ref<const std::string &>();
        if (context.m_lastIsoDate.isValid() && context.m_lastIsoText == text)
            return context.m_lastIsoDate;
        const QDateTime date = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
        if (date.isValid() && date.timeSpec() != Qt::LocalTime) {
            context.m_lastIsoText.assign(text);
            context.m_lastIsoDate = date.toUTC();
            return context.m_lastIsoDate;
        }
        context.fail(DecodingError::Kind::dataCorrupted,
                     QStringLiteral("expected an ISO 8601 date-time with a UTC offset but found %1")
                         .arg(describeJson(json)));
    }
    if (!json.is_number())
        context.typeMismatch("a number of seconds since 1970", json);
    const double seconds = json.get<double>();
    const double msecs = std::round(seconds * 1000.0);
    if (!std::isfinite(msecs) || std::abs(msecs) > 8.64e18)
        context.fail(DecodingError::Kind::dataCorrupted, QStringLiteral("the date is out of range"));
    return QDateTime::fromMSecsSinceEpoch(qint64(msecs), Qt::UTC);
}

Json Coding<QDateTime>::encode(EncodingContext &context, const QDateTime &value)
{
    if (!value.isValid())
        context.fail(QStringLiteral("an invalid date has no JSON form"));
    if (context.options().dates == DateEncodingStrategy::iso8601)
        return value.toUTC().toString(Qt::ISODate).toStdString();
    return double(value.toMSecsSinceEpoch()) / 1000.0;
}

} // namespace tarimo::api_client
