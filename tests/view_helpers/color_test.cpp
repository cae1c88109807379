#include "view_helpers/color.h"
#include "view_helpers/color_type.h"

#include <QTest>

using namespace tarimo::view_helpers;

Q_DECLARE_METATYPE(ColorType)

class ColorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::newRow("red") << "ff0000" << 255 << 0 << 0;
        QTest::newRow("hash") << "#ff0000" << 255 << 0 << 0;
        QTest::newRow("two hashes") << "##ff0000" << 255 << 0 << 0;
        QTest::newRow("0x prefix") << "0xff0000" << 255 << 0 << 0;
        QTest::newRow("0X prefix after hash") << "#0XFF0000" << 255 << 0 << 0;
        QTest::newRow("panel grey") << "dddddd" << 0xdd << 0xdd << 0xdd;
        QTest::newRow("mixed case") << "aAbBcC" << 0xaa << 0xbb << 0xcc;
        QTest::newRow("three digits are a number") << "FFF" << 0 << 15 << 255;
        QTest::newRow("high bits ignored") << "ff000080" << 0 << 0 << 128;
        QTest::newRow("leading space") << " ff0000" << 0 << 0 << 0;
        QTest::newRow("empty") << "" << 0 << 0 << 0;
        QTest::newRow("no digits") << "zz" << 0 << 0 << 0;
        QTest::newRow("stops at first non-digit") << "ff00zz" << 0 << 255 << 0;
        QTest::newRow("hash inside ends the run") << "ff#0000" << 0 << 0 << 255;
        QTest::newRow("0x alone") << "0x" << 0 << 0 << 0;
        QTest::newRow("0x without digits") << "0xzz" << 0 << 0 << 0;
        QTest::newRow("sixteen digits") << "123456789abcdef0" << 0xbc << 0xde << 0xf0;
        QTest::newRow("too long saturates") << "123456789abcdef01" << 255 << 255 << 255;
        QTest::newRow("leading zeros do not overflow") << "00000000000000000000123456" << 0x12 << 0x34
                                                       << 0x56;
    }
    void fromHex()
    {
        QFETCH(QString, text);
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        const QColor color = colorFromHex(text);
        QCOMPARE(color, QColor::fromRgb(red, green, blue));
        QCOMPARE(color.alpha(), 255);
        QCOMPARE(color.spec(), QColor::Rgb);
    }

    void hex_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("text");
        QTest::newRow("red") << QColor(255, 0, 0) << "FF0000";
        QTest::newRow("grey 0.5 truncates") << QColor::fromRgbF(0.5f, 0.5f, 0.5f) << "7F7F7F";
        QTest::newRow("eight-bit components survive") << QColor(0xdd, 0x0a, 0x01) << "DD0A01";
        QTest::newRow("alpha left out") << QColor(1, 2, 3, 4) << "010203";
        QTest::newRow("hsv grey") << QColor::fromHsvF(0.3f, 0, 0.5f) << "7F7F7F";
        QTest::newRow("invalid") << QColor() << "000000";
    }
    void hex()
    {
        QFETCH(QColor, color);
        QFETCH(QString, text);
        QCOMPARE(hexText(color), text);
    }

    void colorTypes_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<ColorType>("type");
        QTest::addColumn<QColor>("color");
        QTest::newRow("white") << "white" << ColorType::white << QColor(Qt::white);
        QTest::newRow("orange") << "orange" << ColorType::orange << QColor(0xff, 0xa5, 0);
        QTest::newRow("clear") << "clear" << ColorType::clear << QColor(Qt::transparent);
        QTest::newRow("gray") << "gray" << ColorType::gray << QColor(Qt::gray);
    }
    void colorTypes()
    {
        QFETCH(QString, raw);
        QFETCH(ColorType, type);
        QFETCH(QColor, color);
        QCOMPARE(rawValue(type), raw);
        QCOMPARE(colorTypeFromRawValue(raw), std::optional(type));
        QCOMPARE(tarimo::view_helpers::color(type), color);
    }
};

QTEST_MAIN(ColorTest)
#include "color_test.moc"
