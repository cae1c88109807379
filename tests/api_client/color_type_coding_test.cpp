#include "api_client/color_type_coding.h"

#include <QTest>

using namespace tarimo::api_client;
using tarimo::view_helpers::ColorType;

Q_DECLARE_METATYPE(ColorType)

class ColorTypeCodingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rawValues_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<ColorType>("type");
        QTest::newRow("white") << QByteArray("\"white\"") << ColorType::white;
        QTest::newRow("clear") << QByteArray("\"clear\"") << ColorType::clear;
        QTest::newRow("gray") << QByteArray("\"gray\"") << ColorType::gray;
    }
    void rawValues()
    {
        QFETCH(QByteArray, json);
        QFETCH(ColorType, type);
        QCOMPARE(JsonEncoder().encode(type), json);
        QCOMPARE(JsonDecoder().decode<ColorType>(json), type);
        QCOMPARE(JsonDecoder().decode<std::vector<ColorType>>("[" + json + "]"), std::vector{type});
    }

    void unknownColorTypes_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("kind");
        QTest::newRow("capitalised") << QByteArray("\"Red\"") << int(DecodingError::Kind::dataCorrupted);
        QTest::newRow("grey spelling") << QByteArray("\"grey\"") << int(DecodingError::Kind::dataCorrupted);
        QTest::newRow("padded") << QByteArray("\" red\"") << int(DecodingError::Kind::dataCorrupted);
        QTest::newRow("number") << QByteArray("3") << int(DecodingError::Kind::typeMismatch);
    }
    void unknownColorTypes()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, kind);
        try {
            JsonDecoder().decode<ColorType>(json);
            QFAIL("decoded an unknown colour");
        } catch (const DecodingError &error) {
            QCOMPARE(int(error.kind()), kind);
        }
    }
};

QTEST_GUILESS_MAIN(ColorTypeCodingTest)
#include "color_type_coding_test.moc"
