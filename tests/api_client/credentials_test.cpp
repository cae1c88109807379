#include "api_client/credentials.h"

#include <QTest>

#include <cmath>

using namespace tarimo::api_client;

namespace {

Json parse(const char *text)
{
    return Json::parse(text);
}

} // namespace

class CredentialsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesRequiredKeysOnly()
    {
        const auto credentials = JsonDecoder().decode<Client::Credentials>(
            parse(R"({"access_token":"abc","token_type":"bearer","expires_in":3600})"));
        QCOMPARE(credentials.accessToken, QStringLiteral("abc"));
        QCOMPARE(credentials.tokenType, QStringLiteral("bearer"));
        QCOMPARE(credentials.expiresIn, 3600.0);
        QCOMPARE(credentials.refreshToken, std::nullopt);
        QCOMPARE(credentials.userId, std::nullopt);

        const Json encoded = JsonEncoder().encodeJson(credentials);
        QCOMPARE(QByteArray::fromStdString(encoded.dump()),
                 QByteArray(R"({"access_token":"abc","token_type":"bearer","expires_in":3600.0})"));
    }

    // The keys are the record's own, whatever strategies the coders have.
    void keysIgnoreStrategies()
    {
        const Json json = parse(R"({"access_token":"a","token_type":"t","expires_in":1.5,)"
                                R"("refresh_token":"r","user_id":"u"})");
        JsonDecoder decoder;
        decoder.keyDecodingStrategy = KeyDecodingStrategy::convertFromSnakeCase;
        const auto credentials = decoder.decode<Client::Credentials>(json);
        QCOMPARE(credentials,
                 (Client::Credentials{QStringLiteral("a"), QStringLiteral("t"), 1.5, QStringLiteral("r"),
                                      QStringLiteral("u")}));

        JsonEncoder encoder;
        encoder.keyEncodingStrategy = KeyEncodingStrategy::convertToSnakeCase;
        QCOMPARE(QByteArray::fromStdString(encoder.encodeJson(credentials).dump()),
                 QByteArray::fromStdString(json.dump()));
    }

    void refusesIncompleteRecords_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("kind");
        const int keyNotFound = int(DecodingError::Kind::keyNotFound);
        const int typeMismatch = int(DecodingError::Kind::typeMismatch);
        const int valueNotFound = int(DecodingError::Kind::valueNotFound);
        QTest::newRow("no access token") << QByteArray(R"({"token_type":"t","expires_in":1})") << keyNotFound;
        QTest::newRow("no token type") << QByteArray(R"({"access_token":"a","expires_in":1})") << keyNotFound;
        QTest::newRow("no expiry") << QByteArray(R"({"access_token":"a","token_type":"t"})") << keyNotFound;
        QTest::newRow("expiry as text") << QByteArray(R"({"access_token":"a","token_type":"t","expires_in":"3600"})")
                                        << typeMismatch;
        QTest::newRow("token as number") << QByteArray(R"({"access_token":1,"token_type":"t","expires_in":1})")
                                         << typeMismatch;
        QTest::newRow("null token") << QByteArray(R"({"access_token":null,"token_type":"t","expires_in":1})")
                                    << valueNotFound;
        QTest::newRow("camelCase keys")
            << QByteArray(R"({"accessToken":"a","tokenType":"t","expiresIn":1})") << keyNotFound;
    }
    void refusesIncompleteRecords()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, kind);
        try {
            JsonDecoder().decode<Client::Credentials>(json);
            QFAIL("decoded");
        } catch (const DecodingError &error) {
            QCOMPARE(int(error.kind()), kind);
        }
    }

    void expiryAsNonFiniteTextWithStrategy()
    {
        JsonDecoder decoder;
        decoder.nonConformingFloatDecodingStrategy = NonConformingFloatStrategy::convertingToString(
            QStringLiteral("+Infinity"), QStringLiteral("-Infinity"), QStringLiteral("NaN"));
        const auto credentials = decoder.decode<Client::Credentials>(
            parse(R"({"access_token":"a","token_type":"t","expires_in":"+Infinity"})"));
        QVERIFY(std::isinf(credentials.expiresIn) && credentials.expiresIn > 0);
    }

    void nullOptionalsAreAbsent()
    {
        const auto credentials = JsonDecoder().decode<Client::Credentials>(
            parse(R"({"access_token":"a","token_type":"t","expires_in":1,"refresh_token":null})"));
        QCOMPARE(credentials.refreshToken, std::nullopt);
    }

    void descriptionIsTheAccessToken()
    {
        const Client::Credentials credentials{QStringLiteral("tok"), QStringLiteral("bearer"), 60,
                                              QStringLiteral("refresh"), QStringLiteral("user")};
        QCOMPARE(credentials.description(), QStringLiteral("tok"));
    }
};

QTEST_GUILESS_MAIN(CredentialsTest)
#include "credentials_test.moc"
