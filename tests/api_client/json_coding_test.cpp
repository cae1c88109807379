#include "api_client/json_coding.h"

#include <QTest>

#include <cmath>

using namespace tarimo::api_client;

namespace {

struct Person
{
    QString firstName;
    std::optional<double> heightInMetres;
    std::optional<QDateTime> bornAt;
    std::vector<qint64> luckyNumbers;

    static constexpr auto codingFields = std::tuple{
        JsonField{"firstName", &Person::firstName},
        JsonField{"heightInMetres", &Person::heightInMetres},
        JsonField{"bornAt", &Person::bornAt},
        JsonField{"luckyNumbers", &Person::luckyNumbers},
    };
};

JsonDecoder snakeDecoder()
{
    JsonDecoder decoder;
    decoder.keyDecodingStrategy = KeyDecodingStrategy::convertFromSnakeCase;
    decoder.dateDecodingStrategy = DateDecodingStrategy::iso8601;
    return decoder;
}

NonConformingFloatStrategy texts()
{
    return NonConformingFloatStrategy::convertingToString(QStringLiteral("+Infinity"),
                                                          QStringLiteral("-Infinity"),
                                                          QStringLiteral("NaN"));
}

} // namespace

class JsonCodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromSnakeCase_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two words") << "first_name" << "firstName";
        QTest::newRow("service key") << "SEK_per_kWh" << "sekPerKwh";
        QTest::newRow("no inner underscore") << "EXR" << "EXR";
        QTest::newRow("leading and trailing") << "__first_name_" << "__firstName_";
        QTest::newRow("only underscores") << "___" << "___";
        QTest::newRow("double inner") << "a__b" << "aB";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("one leading") << "_id" << "_id";
    }
    void fromSnakeCase()
    {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(convertFromSnakeCase(key), expected);
    }

    void toSnakeCase_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("camel") << "firstName" << "first_name";
        QTest::newRow("acronym inside") << "myURLValue" << "my_url_value";
        QTest::newRow("acronym at end") << "userID" << "user_id";
        QTest::newRow("acronym at start") << "URLValue" << "url_value";
        QTest::newRow("one word") << "name" << "name";
        QTest::newRow("already snake") << "first_name" << "first_name";
        QTest::newRow("capitalised") << "Name" << "name";
        QTest::newRow("empty") << "" << "";
    }
    void toSnakeCase()
    {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(convertToSnakeCase(key), expected);
    }

    void decodesWithKeyStrategy()
    {
        const QByteArray body = R"({"first_name":"Ada","height_in_metres":1.65,
            "born_at":"1815-12-10T12:00:00+01:00","lucky_numbers":[3,7],"extra":true})";
        const Person person = snakeDecoder().decode<Person>(body);
        QCOMPARE(person.firstName, QStringLiteral("Ada"));
        QCOMPARE(person.heightInMetres, std::optional<double>(1.65));
        QCOMPARE(person.bornAt->toUTC(), QDateTime(QDate(1815, 12, 10), QTime(11, 0), Qt::UTC));
        QCOMPARE(person.luckyNumbers, (std::vector<qint64>{3, 7}));

        // As declared, the snake_case keys match nothing and the required one is missing.
        try {
            JsonDecoder().decode<Person>(body);
            QFAIL("decoded without its required key");
        } catch (const DecodingError &error) {
            QCOMPARE(error.kind(), DecodingError::Kind::keyNotFound);
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Cannot decode firstName: required key not found"));
        }
    }

    void errorsSayWhereAndWhat_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("string for number")
            << QByteArray(R"([{"firstName":"a","luckyNumbers":[]},{"firstName":"b","heightInMetres":"tall","luckyNumbers":[]}])")
            << int(DecodingError::Kind::typeMismatch)
            << "Cannot decode [1].heightInMetres: expected a number but found a string (\"tall\")";
        QTest::newRow("null for required")
            << QByteArray(R"([{"firstName":null,"luckyNumbers":[]}])") << int(DecodingError::Kind::valueNotFound)
            << "Cannot decode [0].firstName: expected a value but found null";
        QTest::newRow("fraction for whole number")
            << QByteArray(R"([{"firstName":"a","luckyNumbers":[1,2.5]}])") << int(DecodingError::Kind::dataCorrupted)
            << "Cannot decode [0].luckyNumbers[1]: the number 2.5 does not fit the field";
        QTest::newRow("object for list")
            << QByteArray(R"({"firstName":"a"})") << int(DecodingError::Kind::typeMismatch)
            << "Cannot decode the top level: expected an array but found an object";
        QTest::newRow("date without offset")
            << QByteArray(R"([{"firstName":"a","bornAt":"2025-10-26T02:00:00","luckyNumbers":[]}])")
            << int(DecodingError::Kind::dataCorrupted)
            << "Cannot decode [0].bornAt: expected an ISO 8601 date-time with a UTC offset but found a string (\"2025-10-26T02:00:00\")";
        QTest::newRow("not json") << QByteArray("[{") << int(DecodingError::Kind::dataCorrupted) << QString();
    }
    void errorsSayWhereAndWhat()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, kind);
        QFETCH(QString, message);
        JsonDecoder decoder;
        decoder.dateDecodingStrategy = DateDecodingStrategy::iso8601;
        try {
            decoder.decode<std::vector<Person>>(body);
            QFAIL("decoded what it should refuse");
        } catch (const DecodingError &error) {
            QCOMPARE(int(error.kind()), kind);
            if (!message.isEmpty())
                QCOMPARE(QString::fromUtf8(error.what()), message);
            else
                QVERIFY(QString::fromUtf8(error.what()).startsWith(QStringLiteral("Cannot decode the top level: the data is not valid JSON")));
        }
    }

    // Refused before the document is built: deep nesting costs many times
    // its size in memory.
    void nestingIsLimited_data()
    {
        QTest::addColumn<QByteArray>("open");
        QTest::addColumn<QByteArray>("close");
        QTest::addColumn<int>("depth"); // levels around the innermost {}
        QTest::addColumn<bool>("accepted");
        QTest::newRow("arrays at the limit") << QByteArray("[") << QByteArray("]") << 63 << true;
        QTest::newRow("arrays one past it") << QByteArray("[") << QByteArray("]") << 64 << false;
        QTest::newRow("objects at the limit") << QByteArray("{\"a\":") << QByteArray("}") << 63 << true;
        QTest::newRow("objects one past it") << QByteArray("{\"a\":") << QByteArray("}") << 64 << false;
        QTest::newRow("brackets in strings do not count") << QByteArray("[\"[\\\"{\",") << QByteArray("]") << 63 << true;
        QTest::newRow("far past it") << QByteArray("[") << QByteArray("]") << 1000000 << false;
    }
    void nestingIsLimited()
    {
        QFETCH(QByteArray, open);
        QFETCH(QByteArray, close);
        QFETCH(int, depth);
        QFETCH(bool, accepted);
        const QByteArray body = open.repeated(depth) + "{}" + close.repeated(depth);
        try {
            JsonDecoder::parse(body);
            QVERIFY2(accepted, "deep nesting was accepted");
        } catch (const DecodingError &error) {
            QVERIFY2(!accepted, error.what());
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Cannot decode the top level: the data nests deeper than 64 levels"));
        }
    }

    // What the service sends, and the other offset forms, read as the same
    // instant in UTC; a text without an offset names none.
    void isoDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: refused
        QTest::newRow("service") << "2025-10-26T02:00:00+02:00" << QDateTime(QDate(2025, 10, 26), QTime(0, 0), Qt::UTC);
        QTest::newRow("Z") << "2025-10-26T02:00:00Z" << QDateTime(QDate(2025, 10, 26), QTime(2, 0), Qt::UTC);
        QTest::newRow("fraction, half-hour offset")
            << "2025-10-26T02:00:00.25-01:30" << QDateTime(QDate(2025, 10, 26), QTime(3, 30, 0, 250), Qt::UTC);
        QTest::newRow("offset without colon") << "2025-03-30T03:00:00+0200"
                                              << QDateTime(QDate(2025, 3, 30), QTime(1, 0), Qt::UTC);
        QTest::newRow("no offset") << "2025-10-26T02:00:00" << QDateTime();
        QTest::newRow("no such day") << "2025-02-29T00:00:00Z" << QDateTime();
        QTest::newRow("date only") << "2025-10-26" << QDateTime();
    }
    void isoDates()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        JsonDecoder decoder;
        decoder.dateDecodingStrategy = DateDecodingStrategy::iso8601;
        try {
            const QDateTime date = decoder.decode<QDateTime>(Json(text.toStdString()));
            QVERIFY2(expected.isValid(), qPrintable(date.toString(Qt::ISODateWithMs)));
            QCOMPARE(date, expected);
            QCOMPARE(date.timeSpec(), Qt::UTC);
        } catch (const DecodingError &error) {
            QVERIFY2(!expected.isValid(), error.what());
            QCOMPARE(error.kind(), DecodingError::Kind::dataCorrupted);
        }
    }

    void nonFiniteNumbersOnlyWithTheStrategy_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("+inf") << "+Infinity" << std::numeric_limits<double>::infinity();
        QTest::newRow("-inf") << "-Infinity" << -std::numeric_limits<double>::infinity();
        QTest::newRow("nan") << "NaN" << std::numeric_limits<double>::quiet_NaN();
    }
    void nonFiniteNumbersOnlyWithTheStrategy()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const Json json = text.toStdString();

        JsonDecoder decoder;
        QVERIFY_THROWS_EXCEPTION(DecodingError, decoder.decode<double>(json));
        decoder.nonConformingFloatDecodingStrategy = texts();
        const double value = decoder.decode<double>(json);
        QVERIFY(std::isnan(expected) ? std::isnan(value) : value == expected);
        QVERIFY_THROWS_EXCEPTION(DecodingError, decoder.decode<double>(Json("nan")));

        JsonEncoder encoder;
        QVERIFY_THROWS_EXCEPTION(EncodingError, encoder.encodeJson(expected));
        encoder.nonConformingFloatEncodingStrategy = texts();
        QVERIFY(encoder.encodeJson(expected) == json);
    }

    void encodingKeepsDeclaredOrderAndSkipsAbsent()
    {
        Person person{QStringLiteral("Ada"), std::nullopt, QDateTime(QDate(2024, 1, 5), QTime(23, 30), Qt::UTC), {1}};
        JsonEncoder encoder;
        encoder.keyEncodingStrategy = KeyEncodingStrategy::convertToSnakeCase;
        encoder.dateEncodingStrategy = DateEncodingStrategy::iso8601;
        QCOMPARE(encoder.encode(person),
                 QByteArray(R"({"first_name":"Ada","born_at":"2024-01-05T23:30:00Z","lucky_numbers":[1]})"));
    }

    void datesInTheirOwnForm()
    {
        const QDateTime instant(QDate(2024, 1, 5), QTime(0, 0, 1, 500), Qt::UTC);
        QVERIFY(JsonEncoder().encodeJson(instant) == Json(1704412801.5));
        QCOMPARE(JsonDecoder().decode<QDateTime>(Json(1704412801.5)), instant);
    }

    void handBuiltJsonPassesThrough()
    {
        JsonEncoder encoder;
        encoder.keyEncodingStrategy = KeyEncodingStrategy::convertToSnakeCase;
        const Json object = {{"zeta", 1}, {"alphaBeta", 2}};
        QCOMPARE(encoder.encode(object), QByteArray(R"({"zeta":1,"alphaBeta":2})"));
    }
};

QTEST_GUILESS_MAIN(JsonCodingTest)
#include "json_coding_test.moc"
