#include "api_client/percent_encoding.h"

#include <QChar>
#include <QStringDecoder>

namespace tarimo::api_client {

namespace {

bool isKept(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

void appendEscaped(QString &out, const QByteArray &utf8)
{
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    for (const char byte : utf8) {
        const auto b = static_cast<unsigned char>(byte);
        out += u'%';
        out += QChar(hex[b >> 4]);
        out += QChar(hex[b & 0xF]);
    }
}

} // namespace

std::optional<QString> percentEncoded(QStringView text)
{
    QString out;
    out.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        char32_t codePoint = c.unicode();
        qsizetype length = 1;
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return std::nullopt;
            codePoint = QChar::surrogateToUcs4(c, text[i + 1]);
            length = 2;
        } else if (c.isLowSurrogate()) {
            return std::nullopt;
        }
        const QStringView unit = text.mid(i, length);
        if (isKept(codePoint))
            out += unit;
        else
            appendEscaped(out, unit.toUtf8());
        i += length - 1;
    }
    return out;
}

std::optional<QString> removingPercentEncoding(QStringView text)
{
    if (!text.contains(u'%'))
        return text.toString();
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype plainStart = 0;
    auto flushPlain = [&](qsizetype end) {
        if (end > plainStart)
            bytes += text.mid(plainStart, end - plainStart).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%')
            continue;
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = hexValue(text[i + 1].unicode());
        const int low = hexValue(text[i + 2].unicode());
        if (high < 0 || low < 0)
            return std::nullopt;
        flushPlain(i);
        bytes += char(high * 16 + low);
        i += 2;
        plainStart = i + 1;
    }
    flushPlain(text.size());

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return decoded;
}

} // namespace tarimo::api_client
