#include "api_client/client_logger.h"
#include "api_client/credentials.h"

#include "tests/support/captured_output.h"

#include <QTest>

#include <stdexcept>

using namespace tarimo::api_client;
using tarimo::test_support::CapturedOutput;

class ClientLoggerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesAreByteExact()
    {
        CapturedOutput output;
        const ClientLogger logger;
        logger.write({"a", QStringLiteral("b")}, ClientLogger::LogLevel::none);
        logger.write({}, ClientLogger::LogLevel::none);
        logger.debug({"d"});
        logger.info({"i"});
        logger.warning({"w"});
        logger.error({"e"});
        // Through the provider interface, whose first argument is not printed.
        static_cast<const ClientLoggerProvider &>(logger).log(SourceLocation::current(), {"x", 2},
                                                              ClientLogger::LogLevel::info);
        static_cast<const ClientLoggerProvider &>(ClientLoggerMock())
            .log(SourceLocation::current(), {"quiet"}, ClientLogger::LogLevel::error);
        // U+1F3F7, U+1F4AC, U+26A0 U+FE0F, U+274C in UTF-8.
        QCOMPARE(output.bytes(), QByteArray("Client:  ab\n"
                                            "Client:  \n"
                                            "Client: \xF0\x9F\x8F\xB7 d\n"
                                            "Client: \xF0\x9F\x92\xAC i\n"
                                            "Client: \xE2\x9A\xA0\xEF\xB8\x8F w\n"
                                            "Client: \xE2\x9D\x8C e\n"
                                            "Client: \xF0\x9F\x92\xAC x2\n"));
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
};

QTEST_GUILESS_MAIN(ClientLoggerTest)
#include "client_logger_test.moc"
