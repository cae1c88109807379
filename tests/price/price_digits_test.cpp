#include "price/digit_model.h"

#include <QTest>

#include <cmath>
#include <limits>

using tarimo::price::DigitModel;
using tarimo::price::makeDigitModel;
using tarimo::price::wholeOre;

Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {
constexpr qint64 B = DigitModel::blankDigit;
constexpr qint64 M = DigitModel::minusDigit;
} // namespace

class PriceDigitsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pricesBecomeDigits_data()
    {
        QTest::addColumn<double>("kronor");
        QTest::addColumn<QList<qint64>>("codes");
        QTest::newRow("0.42") << 0.42 << QList<qint64>{B, B, B, 4, 2};
        QTest::newRow("1.25") << 1.25 << QList<qint64>{B, B, 1, 2, 5};
        QTest::newRow("half rounds up") << 0.125 << QList<qint64>{B, B, B, 1, 3};
        QTest::newRow("negative half rounds away") << -0.125 << QList<qint64>{B, B, M, 1, 3};
        QTest::newRow("-1.5") << -1.5 << QList<qint64>{B, M, 1, 5, 0};
        QTest::newRow("zero") << 0.0 << QList<qint64>{B, B, B, B, 0};
        QTest::newRow("five digits") << 123.456 << QList<qint64>{1, 2, 3, 4, 6};
        QTest::newRow("six digits keep the last five") << 1234.56 << QList<qint64>{2, 3, 4, 5, 6};
        QTest::newRow("minus cut off") << -123.45 << QList<qint64>{1, 2, 3, 4, 5};
        QTest::newRow("-99999") << -999.99 << QList<qint64>{9, 9, 9, 9, 9};
        QTest::newRow("-9999") << -99.99 << QList<qint64>{M, 9, 9, 9, 9};
        QTest::newRow("100000") << 1000.0 << QList<qint64>{0, 0, 0, 0, 0};
        QTest::newRow("smallest 64-bit") << -0x1p63 / 100.0 << QList<qint64>{7, 5, 8, 0, 8};
    }
    void pricesBecomeDigits()
    {
        QFETCH(double, kronor);
        QFETCH(QList<qint64>, codes);
        const DigitModel model = makeDigitModel(wholeOre(kronor).value());
        QCOMPARE((QList<qint64>{model.digitOne, model.digitTwo, model.digitThree, model.digitFour, model.digitFive}),
                 codes);
    }

    void brokenPricesGiveNoNumber_data()
    {
        QTest::addColumn<double>("kronor");
        QTest::addColumn<std::optional<qint64>>("ore");
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << std::optional<qint64>();
        QTest::newRow("+inf") << std::numeric_limits<double>::infinity() << std::optional<qint64>();
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << std::optional<qint64>();
        QTest::newRow("beyond 64 bits") << 1e17 << std::optional<qint64>();
        QTest::newRow("2^63 öre") << 0x1p63 / 100.0 << std::optional<qint64>();
        QTest::newRow("-2^63 öre fits") << -0x1p63 / 100.0 << std::optional<qint64>(std::numeric_limits<qint64>::min());
        QTest::newRow("large but fine") << 1e15 << std::optional<qint64>(qint64(1e17));
        QTest::newRow("-0.004 is zero") << -0.004 << std::optional<qint64>(0);
    }
    void brokenPricesGiveNoNumber()
    {
        QFETCH(double, kronor);
        QFETCH(std::optional<qint64>, ore);
        QCOMPARE(wholeOre(kronor), ore);
    }
};

QTEST_GUILESS_MAIN(PriceDigitsTest)
#include "price_digits_test.moc"
