// The tray icon's price, read back from the pixels of its pixmap segment by
// segment, as an eye reads seven-segment digits.

#include "app/price_icon.h"
#include "digit/digit.h"

#include <QTest>

#include <cmath>

using tarimo::app::PriceIcon;
using Level = PriceIcon::Level;

namespace {

// Each cell's segments sampled at their middle, where no other segment
// reaches: a character whose lit segments are a row of the panel's table,
// else '?'. Lit is the level's colour exactly; anything else is unlit.
QString readBack(const QImage &image, int count, const QColor &ink)
{
    const PriceIcon::Layout layout = PriceIcon::layout(image.width(), count);
    const auto &table = tarimo::digit::Digit::standardMapping();
    QString text;
    for (const QRect &cell : layout.cells) {
        std::vector<int> lit;
        const auto segments = PriceIcon::segments(cell, layout.stroke, layout.bar);
        for (int segment = 1; segment <= 7; ++segment) {
            if (image.pixelColor(segments[std::size_t(segment - 1)].center()) == ink)
                lit.push_back(segment);
        }
        const auto row = std::find(table.begin(), table.end(), lit);
        const int value = int(row - table.begin());
        text += value < 10 ? QChar(char16_t(u'0' + value)) : value == tarimo::digit::minusCode ? QChar(u'-') : QChar(u'?');
    }
    return text;
}

} // namespace

class PriceIconTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void digitsReadBack_data()
    {
        QTest::addColumn<qint64>("ore");
        QTest::addColumn<double>("relative");
        QTest::addColumn<Level>("level");
        for (int side : {22, 24}) {
            const QByteArray size = " at " + QByteArray::number(side);
            QTest::addRow("one digit%s", size.data()) << qint64(7) << 0.0 << Level::low;
            QTest::addRow("three%s", size.data()) << qint64(138) << 0.4 << Level::moderate;
            QTest::addRow("four%s", size.data()) << qint64(3230) << 0.75 << Level::peak;
            QTest::addRow("every digit%s", size.data()) << qint64(5962) << 0.5 << Level::high;
            QTest::addRow("and the rest%s", size.data()) << qint64(8014) << 1.0 << Level::peak;
            QTest::addRow("negative%s", size.data()) << qint64(-999) << 0.25 << Level::moderate;
            QTest::addRow("equal prices all day%s", size.data()) << qint64(42) << std::nan("") << Level::low;
        }
    }
    void digitsReadBack()
    {
        QFETCH(qint64, ore);
        QFETCH(double, relative);
        QFETCH(Level, level);
        const int side = QString::fromLatin1(QTest::currentDataTag()).section(u' ', -1).toInt();
        const PriceIcon icon{*PriceIcon::textOf(ore), PriceIcon::levelOf(relative)};
        QCOMPARE(icon.level, level);
        const QImage image = icon.icon().pixmap(QSize(side, side), 1.0).toImage();
        QCOMPARE(image.size(), QSize(side, side));
        QCOMPARE(readBack(image, int(icon.text.size()), PriceIcon::color(level)), QString::number(ore));
        // The plate fills the icon; its corners are rounded off.
        QCOMPARE(image.pixelColor(side / 2, 0), PriceIcon::plateColor());
        QVERIFY(image.pixelColor(0, 0).alpha() < 128);
    }

    // Four characters at most: thousands beyond, nothing beyond that.
    void textOf_data()
    {
        QTest::addColumn<qint64>("ore");
        QTest::addColumn<QString>("text");
        QTest::newRow("largest as it is") << qint64(9999) << "9999";
        QTest::newRow("thousands") << qint64(12'999) << "12k";
        QTest::newRow("largest thousands") << qint64(999'999) << "999k";
        QTest::newRow("too large") << qint64(1'000'000) << QString();
        QTest::newRow("lowest as it is") << qint64(-999) << "-999";
        QTest::newRow("negative thousands") << qint64(-1999) << "-1k";
        QTest::newRow("lowest thousands") << qint64(-99'999) << "-99k";
        QTest::newRow("too low") << qint64(-100'000) << QString();
    }
    void textOf()
    {
        QFETCH(qint64, ore);
        QFETCH(QString, text);
        QCOMPARE(PriceIcon::textOf(ore).value_or(QString()), text);
    }
};

QTEST_MAIN(PriceIconTest)
#include "price_icon_test.moc"
