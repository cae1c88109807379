#include "api_client/client_logger.h"
#include "api_client/credentials.h"
#include "api_client/json_coding.h"
#include "api_client/querystring_state.h"
#include "tests/api_client/person.h"
#include "tests/support/captured_output.h"

#include <QTest>

#include <cmath>

using namespace tarimo::api_client;
using KeyValues = QuerystringState::KeyValues;
Q_DECLARE_METATYPE(KeyValues)

namespace {

NonConformingFloatStrategy texts()
{
    return NonConformingFloatStrategy::convertingToString(QStringLiteral("+Infinity"), QStringLiteral("-Infinity"),
                                                          QStringLiteral("NaN"));
}

} // namespace

class CodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void snakeCase_data()
    {
        QTest::addColumn<bool>("toSnake");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("from: service key") << false << "SEK_per_kWh" << "sekPerKwh";
        QTest::newRow("from: outer underscores kept") << false << "__first_name_" << "__firstName_";
        QTest::newRow("to: acronym inside") << true << "myURLValue" << "my_url_value";
    }
    void snakeCase()
    {
        QFETCH(bool, toSnake);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(toSnake ? convertToSnakeCase(key) : convertFromSnakeCase(key), expected);
    }

    // Where and what, exactly: the text reaches the user.
    void errorsSayWhereAndWhat_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("string for number")
            << QByteArray(R"([{"firstName":"a","ids":[]},{"firstName":"b","ids":[],"height":"tall"}])")
            << "Cannot decode [1].height: expected a number but found a string (\"tall\")";
        QTest::newRow("beyond a double") << QByteArray(R"([{"firstName":"a","height":1e400}])")
                                         << "Cannot decode [0].height: the number 1e400 does not fit in a double";
        QTest::newRow("required key missing") << QByteArray(R"([{"ids":[]}])")
                                              << "Cannot decode [0].firstName: required key not found";
        QTest::newRow("null for required") << QByteArray(R"([{"firstName":null,"ids":[]}])")
                                           << "Cannot decode [0].firstName: expected a value but found null";
        QTest::newRow("fraction for whole number") << QByteArray(R"([{"firstName":"a","ids":[1,2.5]}])")
                                                   << "Cannot decode [0].ids[1]: the number 2.5 does not fit the field";
        QTest::newRow("object for list") << QByteArray(R"({"firstName":"a"})")
                                         << "Cannot decode the top level: expected an array but found an object";
        QTest::newRow("date without offset")
            << QByteArray(R"([{"firstName":"a","bornAt":"2025-10-26T02:00:00","ids":[]}])")
            << "Cannot decode [0].bornAt: expected an ISO 8601 date-time with a UTC offset but found a string "
               "(\"2025-10-26T02:00:00\")";
        // Refused before the document is built: deep nesting costs many
        // times its size in memory.
        const QString tooDeep = QStringLiteral("Cannot decode the top level: the data nests deeper than 64 levels");
        QTest::newRow("arrays 64 deep") << QByteArray("[").repeated(63) + "{}" + QByteArray("]").repeated(63)
                                        << "Cannot decode [0]: expected an object but found an array";
        QTest::newRow("arrays 65 deep") << QByteArray("[").repeated(64) + "{}" + QByteArray("]").repeated(64) << tooDeep;
        QTest::newRow("objects 65 deep") << QByteArray("{\"a\":").repeated(64) + "{}" + QByteArray("}").repeated(64)
                                         << tooDeep;
        QTest::newRow("far deeper") << QByteArray("[").repeated(1000000) << tooDeep;
        QTest::newRow("brackets in strings do not count")
            << QByteArray("[\"[\\\"{\",").repeated(63) + "{}" + QByteArray("]").repeated(63)
            << "Cannot decode [0]: expected an object but found a string (\"[\\\"{\")";
    }
    void errorsSayWhereAndWhat()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        JsonDecoder decoder;
        decoder.dateDecodingStrategy = DateDecodingStrategy::iso8601;
        try {
            decoder.decode<People>(body);
            QFAIL("decoded");
        } catch (const DecodingError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
    }

    // What the service sends, and the other offset forms, read as the same
    // instant in UTC. A text without an offset names none (see above).
    void isoDates()
    {
        JsonDecoder decoder;
        decoder.dateDecodingStrategy = DateDecodingStrategy::iso8601;
        const auto read = [&](const char *text) { return decoder.decode<QDateTime>(Json(text)); };
        const auto utc = [](int hour, int minute, int ms = 0) { return QDateTime(QDate(2025, 10, 26), QTime(hour, minute, 0, ms), Qt::UTC); };
        QCOMPARE(read("2025-10-26T02:00:00+02:00"), utc(0, 0));
        QCOMPARE(read("2025-10-26T02:00:00Z"), utc(2, 0));
        QCOMPARE(read("2025-10-26T02:00:00.25-01:30"), utc(3, 30, 250));
        QCOMPARE(read("2025-10-26T03:00:00+0200"), utc(1, 0));
        QVERIFY_THROWS_EXCEPTION(DecodingError, read("2025-02-29T00:00:00Z"));
    }

    void nonFiniteNumbersOnlyWithTheStrategy()
    {
        for (const double value : {double(INFINITY), -double(INFINITY), double(NAN)}) {
            const Json json = value > 0 ? "+Infinity" : value < 0 ? "-Infinity" : "NaN";
            JsonDecoder decoder;
            QVERIFY_THROWS_EXCEPTION(DecodingError, decoder.decode<double>(json));
            decoder.nonConformingFloatDecodingStrategy = texts();
            QVERIFY(std::isnan(value) ? std::isnan(decoder.decode<double>(json)) : decoder.decode<double>(json) == value);
            JsonEncoder encoder;
            QVERIFY_THROWS_EXCEPTION(EncodingError, encoder.encodeJson(value));
            encoder.nonConformingFloatEncodingStrategy = texts();
            QVERIFY(encoder.encodeJson(value) == json);
        }
    }

    void queryOperations()
    {
        // Emptiness is tested before trimming; only empty removes a name.
        QCOMPARE(QuerystringState::merging(KeyValues{{"b", {"", " "}}, {"c", {""}}, {"d", {" q ", "\tq\n"}}}, {"a"},
                                           KeyValues{{"a", {"1"}}, {"b", {"x"}}, {"c", {"1"}}}),
                 (KeyValues{{"b", {""}}, {"d", {"q"}}}));
        const QuerystringState state(KeyValues{{"a", {"1", "2"}}, {"page_size", {"10"}}, {"pageSize", {"5"}}});
        QCOMPARE(state.setting(QStringLiteral("a"), {" 3 "}).keyValues.at("a"), std::set<QString>{"3"});
        // The last value gone takes its name with it.
        QCOMPARE(state.removingValue(QStringLiteral("10"), QStringLiteral("page_size")).keyValues,
                 (KeyValues{{"a", {"1", "2"}}, {"pageSize", {"5"}}}));
        QCOMPARE(state.removingUnderscoredKeys().keyValues, (KeyValues{{"a", {"1", "2"}}, {"pageSize", {"5"}}}));
        // Byte order (upper case first), everything but letters and digits
        // escaped; a value with no UTF-8 form gives no pair.
        const QuerystringState written(KeyValues{{"a", {"z", "b-c.d_e~f", QString(QChar(0xD800))}}, {"C", {"\u00E5"}}});
        QCOMPARE(written.queryString(), QStringLiteral("C=\u00E5&a=b%2Dc%2Ed%5Fe%7Ef&a=z"));
    }

    void urlWithQuery_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<KeyValues>("parameters");
        QTest::addColumn<QString>("expectedQuery");
        QTest::newRow("merged and sorted") << "https://h.example/p?c=3&a=1" << KeyValues{{"b", {"2"}}} << "a=1&b=2&c=3";
        QTest::newRow("repeated names, plus") << "https://h.example/p?a=2&a=1&b=x+y" << KeyValues{} << "a=1&a=2&b=x%20y";
        QTest::newRow("lone equals sign, skipped parts") << "https://h.example/p?a&=&b=1=2" << KeyValues{} << "=";
        // The query is read decoded and then parsed, which decodes again:
        // an escaped plus is a space too.
        QTest::newRow("escaped ampersand splits") << "https://h.example/p?a=x%26y" << KeyValues{} << "a=x";
        QTest::newRow("escape resolved twice") << "https://h.example/p?a=%2541&b=%2B" << KeyValues{} << "a=A&b=%20";
        QTest::newRow("delimiters in values escaped")
            << "https://h.example/p" << KeyValues{{"q", {"a b&c=d+e#f%g"}}} << "q=a%20b%26c%3Dd%2Be%23f%25g";
        QTest::newRow("emptied") << "https://h.example/p?a=" << KeyValues{{"a", {""}}} << "";
    }
    void urlWithQuery()
    {
        QFETCH(QString, url);
        QFETCH(KeyValues, parameters);
        QFETCH(QString, expectedQuery);
        const auto result = tarimo::api_client::urlWithQuery(URLRequest(QUrl(url)), parameters);
        QVERIFY(result);
        QCOMPARE(result->query(QUrl::FullyEncoded), expectedQuery);
        QCOMPARE(result->adjusted(QUrl::RemoveQuery), QUrl(url).adjusted(QUrl::RemoveQuery));
        QCOMPARE(tarimo::api_client::urlWithQuery(URLRequest(), parameters), std::nullopt);
    }

    void loggerLinesAreByteExact()
    {
        tarimo::test_support::CapturedOutput output;
        const ClientLogger logger;
        logger.write({"a", QStringLiteral("b"), -42, 0.1, true}, ClientLogger::LogLevel::none);
        logger.debug({"d"});
        logger.info({std::string("\xC3\xB6re")});
        logger.warning({Client::Credentials{"tok", "bearer", 1, {}, {}}});
        logger.error({std::runtime_error("broken")});
        // Through the provider interface, whose first argument is not printed.
        static_cast<const ClientLoggerProvider &>(logger).log(SourceLocation::current(), {"x", 2}, ClientLogger::LogLevel::info);
        static_cast<const ClientLoggerProvider &>(ClientLoggerMock()).log(SourceLocation::current(), {"quiet"},
                                                                          ClientLogger::LogLevel::error);
        // U+1F3F7, U+1F4AC, U+26A0 U+FE0F, U+274C in UTF-8.
        QCOMPARE(output.bytes(), QByteArray("Client:  ab-420.1true\n"
                                            "Client: \xF0\x9F\x8F\xB7 d\n"
                                            "Client: \xF0\x9F\x92\xAC \xC3\xB6re\n"
                                            "Client: \xE2\x9A\xA0\xEF\xB8\x8F tok\n"
                                            "Client: \xE2\x9D\x8C broken\n"
                                            "Client: \xF0\x9F\x92\xAC x2\n"));
    }
};

QTEST_GUILESS_MAIN(CodingTest)
#include "coding_test.moc"
