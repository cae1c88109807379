#include "api_client/client_logger.h"
#include "api_client/credentials.h"

#include "tests/support/captured_output.h"

#include <QTest>

#include <iostream>
#include <sstream>
#include <stdexcept>

using namespace tarimo::api_client;
using tarimo::test_support::CapturedOutput;

namespace {

} // namespace

class ClientLoggerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesOneLineByteExact_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("expected");
        // U+1F3F7, U+1F4AC, U+26A0 U+FE0F, U+274C in UTF-8.
        QTest::newRow("none") << 0 << QByteArray("Client:  ab\n");
        QTest::newRow("debug") << 1 << QByteArray("Client: \xF0\x9F\x8F\xB7 ab\n");
        QTest::newRow("info") << 2 << QByteArray("Client: \xF0\x9F\x92\xAC ab\n");
        QTest::newRow("warning") << 3 << QByteArray("Client: \xE2\x9A\xA0\xEF\xB8\x8F ab\n");
        QTest::newRow("error") << 4 << QByteArray("Client: \xE2\x9D\x8C ab\n");
    }
    void writesOneLineByteExact()
    {
        QFETCH(int, level);
        QFETCH(QByteArray, expected);
        CapturedOutput output;
        ClientLogger().write({"a", QStringLiteral("b")}, *ClientLogger::logLevel(level));
        QCOMPARE(output.bytes(), expected);
    }

    void levelFunctionsWriteTheirLevel()
    {
        CapturedOutput output;
        const ClientLogger logger;
        logger.debug({"d"});
        logger.info({"i"});
        logger.warning({"w"});
        logger.error({"e"});
        QCOMPARE(output.bytes(), QByteArray("Client: \xF0\x9F\x8F\xB7 d\n"
                                            "Client: \xF0\x9F\x92\xAC i\n"
                                            "Client: \xE2\x9A\xA0\xEF\xB8\x8F w\n"
                                            "Client: \xE2\x9D\x8C e\n"));
    }

    void noItemsAtLevelNone()
    {
        CapturedOutput output;
        ClientLogger().write({}, ClientLogger::LogLevel::none);
        QCOMPARE(output.bytes(), QByteArray("Client:  \n"));
    }

    void itemTextForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("negative integer") << LogItem(-42).text() << "-42";
        QTest::newRow("fraction") << LogItem(1.5).text() << "1.5";
        QTest::newRow("shortest round trip") << LogItem(0.1).text() << "0.1";
        QTest::newRow("bool") << LogItem(true).text() << "true";
        QTest::newRow("std string") << LogItem(std::string("\xC3\xB6re")).text() << QStringLiteral("\u00F6re");
        QTest::newRow("credentials show their description")
            << LogItem(Client::Credentials{QStringLiteral("tok"), QStringLiteral("bearer"), 1, {}, {}}).text() << "tok";
        QTest::newRow("errors show what()") << LogItem(std::runtime_error("broken")).text() << "broken";
    }
    void itemTextForms()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void levelFromRawValue()
    {
        for (int raw = 0; raw <= 4; ++raw) {
            const auto level = ClientLogger::logLevel(raw);
            QVERIFY(level);
            QCOMPARE(int(*level), raw);
        }
        QCOMPARE(ClientLogger::logLevel(5), std::nullopt);
        QCOMPARE(ClientLogger::logLevel(-1), std::nullopt);
    }

    void providerLogIgnoresLeadingArgument()
    {
        CapturedOutput output;
        const ClientLogger logger;
        const ClientLoggerProvider &provider = logger;
        provider.log(std::source_location::current(), {"x", 2}, ClientLogger::LogLevel::info);
        QCOMPARE(output.bytes(), QByteArray("Client: \xF0\x9F\x92\xAC x2\n"));
    }

    void mockPrintsNothing()
    {
        CapturedOutput output;
        const ClientLoggerMock mock;
        const ClientLoggerProvider &provider = mock;
        provider.log(std::source_location::current(), {"x"}, ClientLogger::LogLevel::error);
        QCOMPARE(output.bytes(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(ClientLoggerTest)
#include "client_logger_test.moc"
