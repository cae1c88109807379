#include "api_client/credentials.h"

#include <QTest>

using namespace tarimo::api_client;

class CredentialsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requiredKeysOnly()
    {
        const auto credentials = JsonDecoder().decode<Client::Credentials>(
            Json::parse(R"({"access_token":"abc","token_type":"bearer","expires_in":3600,"refresh_token":null})"));
        QCOMPARE(credentials, (Client::Credentials{QStringLiteral("abc"), QStringLiteral("bearer"), 3600.0,
                                                   std::nullopt, std::nullopt}));
        // Absent optional keys are left out.
        QCOMPARE(JsonEncoder().encode(credentials),
                 QByteArray(R"({"access_token":"abc","token_type":"bearer","expires_in":3600.0})"));
    }

    // The keys are the record's own, whatever strategies the coders have.
    void keysIgnoreStrategies()
    {
        const Json json = Json::parse(R"({"access_token":"a","token_type":"t","expires_in":1.5,)"
                                      R"("refresh_token":"r","user_id":"u"})");
        JsonDecoder decoder;
        decoder.keyDecodingStrategy = KeyDecodingStrategy::convertFromSnakeCase;
        const auto credentials = decoder.decode<Client::Credentials>(json);
        QCOMPARE(credentials, (Client::Credentials{QStringLiteral("a"), QStringLiteral("t"), 1.5, QStringLiteral("r"),
                                                   QStringLiteral("u")}));

        JsonEncoder encoder;
        encoder.keyEncodingStrategy = KeyEncodingStrategy::convertToSnakeCase;
        QCOMPARE(encoder.encode(credentials), QByteArray::fromStdString(json.dump()));
    }

    void refusesIncompleteRecords_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("kind");
        const int keyNotFound = int(DecodingError::Kind::keyNotFound);
        QTest::newRow("no access token") << QByteArray(R"({"token_type":"t","expires_in":1})") << keyNotFound;
        QTest::newRow("no token type") << QByteArray(R"({"access_token":"a","expires_in":1})") << keyNotFound;
        QTest::newRow("no expiry") << QByteArray(R"({"access_token":"a","token_type":"t"})") << keyNotFound;
        QTest::newRow("expiry as text") << QByteArray(R"({"access_token":"a","token_type":"t","expires_in":"3600"})")
                                        << int(DecodingError::Kind::typeMismatch);
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
};

QTEST_GUILESS_MAIN(CredentialsTest)
#include "credentials_test.moc"
