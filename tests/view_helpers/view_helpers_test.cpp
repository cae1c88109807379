// Colours from and to hex text, named colours, size reports, and the glows
// and shadows the display draws.

#include "view_helpers/color.h"
#include "view_helpers/color_type.h"
#include "view_helpers/measure_size_modifier.h"
#include "view_helpers/shadow.h"

#include <QPainter>
#include <QPainterPath>
#include <QTest>
#include <QVBoxLayout>

using namespace tarimo::view_helpers;

namespace {

QImage canvas(QSize size, qreal ratio = 1)
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

QPainterPath square(QRectF rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

// Alpha at a point given in points.
int alphaAt(const QImage &image, QPointF point)
{
    return image.pixelColor((point * image.devicePixelRatio()).toPoint()).alpha();
}

} // namespace

class ViewHelpersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("rgb");
        QTest::newRow("plain") << "ff0000" << 0xff0000u;
        QTest::newRow("two hashes") << "##ff0000" << 0xff0000u;
        QTest::newRow("0x prefix") << "0xff0000" << 0xff0000u;
        QTest::newRow("0X prefix after a hash") << "#0XFF0000" << 0xff0000u;
        QTest::newRow("three digits are a number") << "FFF" << 0x000fffu;
        QTest::newRow("high bits ignored") << "ff000080" << 0x000080u;
        QTest::newRow("leading space") << " ff0000" << 0u;
        QTest::newRow("no digits") << "zz" << 0u;
        QTest::newRow("stops at the first non-digit") << "ff00zz" << 0x00ff00u;
        QTest::newRow("sixteen digits") << "123456789abcdef0" << 0xbcdef0u;
        QTest::newRow("too long saturates") << "123456789abcdef01" << 0xffffffu;
        QTest::newRow("leading zeros do not overflow") << "00000000000000000000123456" << 0x123456u;
    }
    void fromHex()
    {
        QFETCH(QString, text);
        QFETCH(uint, rgb);
        // Opaque sRGB, whatever the text.
        QCOMPARE(colorFromHex(text), QColor::fromRgb(rgb));
    }

    void colourTexts()
    {
        QCOMPARE(hexText(QColor(0xdd, 0x0a, 0x01, 4)), QStringLiteral("DD0A01"));
        QCOMPARE(hexText(QColor::fromRgbF(0.5f, 0.5f, 0.5f)), QStringLiteral("7F7F7F")); // truncated
        QCOMPARE(hexText(QColor::fromHsvF(0.3f, 0, 0.5f)), QStringLiteral("7F7F7F"));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(colorTypeFromRawValue(rawValue(ColorType(i))), std::optional(ColorType(i)));
        QCOMPARE(rawValue(ColorType::gray), QStringLiteral("gray"));
        QCOMPARE(colorTypeFromRawValue(u"Red"), std::nullopt);
        QCOMPARE(color(ColorType::clear).alpha(), 0);
    }

    void sizeReportedAfterEachLayout()
    {
        QWidget window;
        auto *child = new QWidget;
        (new QVBoxLayout(&window))->setContentsMargins(0, 0, 0, 0);
        window.layout()->addWidget(child);
        QList<QSizeF> reported;
        measureSize(child, [&](QSizeF size) { reported << size; });
        window.resize(200, 100);
        window.show();
        QVERIFY(reported.isEmpty()); // never from inside layout
        QTRY_COMPARE(reported.value(reported.size() - 1), QSizeF(200, 100));

        const qsizetype before = reported.size();
        window.resize(300, 150);
        QCOMPARE(child->size(), QSize(300, 150)); // laid out at once, reported later
        QCOMPARE(reported.size(), before);
        QTRY_COMPARE(reported.value(before), QSizeF(300, 150));
        // Nothing is reported once the widget is gone.
        window.resize(400, 200);
        delete child;
        QCoreApplication::processEvents();
        QCOMPARE(reported.size(), before + 1);
    }

    // A glow of radius 10 is a blur of sigma 5 points at any pixel ratio, as
    // strong as the fill is opaque, and reaches no further than its extent.
    void glowSpreadAndStrength_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<qreal>("opacity");
        QTest::newRow("ratio 1") << 1.0 << 1.0;
        QTest::newRow("ratio 2") << 2.0 << 1.0;
        QTest::newRow("half-transparent fill") << 1.0 << 0.5;
    }
    void glowSpreadAndStrength()
    {
        QFETCH(qreal, ratio);
        QFETCH(qreal, opacity);
        QColor fill(Qt::red);
        fill.setAlphaF(float(opacity));
        QImage image = canvas(QSize(100, 100), ratio);
        {
            QPainter painter(&image);
            fillPathWithShadow(painter, square({40.5, 40, 20, 20}), fill, Shadow::glow(Qt::red, 1.0, 10));
        }
        // A little less than a Gaussian's 16 % one sigma out, and 2 % at two.
        const int atOne = alphaAt(image, {65.5, 50});
        const int atTwo = alphaAt(image, {70.5, 50});
        QVERIFY2(atOne > 24 * opacity && atOne < 45 * opacity, qPrintable(QString::number(atOne)));
        QVERIFY2(atTwo > 0 && atTwo < 8 * opacity, qPrintable(QString::number(atTwo)));
        QCOMPARE(alphaAt(image, {60.5 + shadowExtent(10) + 1, 50}), 0);
        QCOMPARE(image.pixelColor((QPointF(65.5, 50) * ratio).toPoint()).green(), 0);
    }

    void shadowsComeFromTheCacheOnlyWhenAllThatShapesThemIsEqual()
    {
        QImage image = canvas(QSize(200, 100));
        QImage sharp = canvas(QSize(200, 100), 2);
        QPainter painter(&image);
        QPainter sharpPainter(&sharp);
        const Shadow glow = Shadow::glow(Qt::red, 1, 10);
        clearShadowCache();
        const quint64 start = shadowCacheStatistics().blurs;
        auto blurs = [&](QPainter &on, QRectF rect, const Shadow &shadow) {
            drawPathShadow(on, square(rect), shadow);
            return shadowCacheStatistics().blurs - start;
        };
        QCOMPARE(blurs(painter, {10, 10, 14, 2}, glow), 1u);
        QCOMPARE(blurs(painter, {40, 30, 14, 2}, glow), 1u); // the same cell elsewhere on the grid
        QCOMPARE(blurs(painter, {10.5, 10, 14, 2}, glow), 2u);
        QCOMPARE(blurs(painter, {10, 10, 14, 2}, Shadow::glow(Qt::blue, 1, 10)), 3u);
        QCOMPARE(blurs(painter, {10, 10, 14, 2}, Shadow::glow(Qt::red, 1, 5)), 4u);
        QCOMPARE(blurs(painter, {10, 10, 14, 3}, glow), 5u);
        QCOMPARE(blurs(sharpPainter, {10, 10, 14, 2}, glow), 6u);
    }

    // A panel's header for weeks: the date line changes every hour, the
    // title beside it never. The cache keeps one glow for each, not one for
    // every hour shown, and an unchanged header blurs nothing.
    void textGlowsStayOnePerPlace()
    {
        QImage image = canvas(QSize(400, 40));
        QPainter painter(&image);
        QFont font;
        font.setPixelSize(13);
        const QRectF header(10, 10, 380, 20);
        const Shadow glow = Shadow::glow(QColor(0xdd, 0xdd, 0xdd), 0.7, 5);
        const QDateTime first(QDate(2026, 12, 7), QTime(0, 0), Qt::UTC);
        auto drawHour = [&](int hour) {
            drawTextWithShadow(painter, header, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("SPOTPRIS"), font,
                               Qt::white, glow);
            const QString date = first.addSecs(3600 * hour).toString(QStringLiteral("dddd d MMM yyyy, HH:'00'"));
            drawTextWithShadow(painter, header, Qt::AlignRight | Qt::AlignVCenter, date.toUpper(), font, Qt::white,
                               glow);
        };
        clearShadowCache();
        const quint64 start = shadowCacheStatistics().blurs;
        drawHour(0);
        const ShadowCacheStatistics oneHour = shadowCacheStatistics();
        for (int hour = 1; hour < 500; ++hour)
            drawHour(hour);
        drawHour(499);
        const ShadowCacheStatistics end = shadowCacheStatistics();
        QCOMPARE(end.blurs - start, 501u);
        QCOMPARE(end.entries, 2);
        // Dates differ a little in width, never in number.
        QVERIFY2(end.bytes < oneHour.bytes * 3 / 2, qPrintable(QStringLiteral("%1 bytes after one hour, %2 after 500")
                                                                    .arg(oneHour.bytes)
                                                                    .arg(end.bytes)));
    }

    void textCoversItsGlow()
    {
        QFont font;
        font.setPixelSize(20);
        const QRectF rect(20, 20, 160, 40);
        QImage plain = canvas(QSize(200, 80));
        QImage glowing = plain;
        {
            QPainter painter(&plain);
            drawTextWithShadow(painter, rect, Qt::AlignCenter, QStringLiteral("SE3"), font, Qt::white, std::nullopt);
            QPainter glowingPainter(&glowing);
            drawTextWithShadow(glowingPainter, rect, Qt::AlignCenter, QStringLiteral("SE3"), font, Qt::white,
                               Shadow::glow(Qt::red, 0.7, 5));
        }
        int textPixels = 0, glowPixels = 0;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 200; ++x) {
                const QColor p = plain.pixelColor(x, y);
                const QColor g = glowing.pixelColor(x, y);
                textPixels += p.alpha() == 255;
                QVERIFY(p.alpha() < 255 || g == p);
                glowPixels += p.alpha() == 0 && g.alpha() > 0 && g.green() == 0;
                QVERIFY(g.alpha() == 0 || (x >= 10 && y >= 10 && x < 190 && y < 70));
            }
        }
        QVERIFY(textPixels > 50 && glowPixels > textPixels);
    }

    // The panel's glass: black 0.7, radius 20, offset (1, 1) on 400 × 360:
    // dark along the inside of the edges, more so at the top and left.
    void innerShadowDarkensTheEdges()
    {
        QImage image = canvas(QSize(420, 380));
        {
            QPainter painter(&image);
            drawInnerShadow(painter, QRectF(10, 10, 400, 360), Shadow{QColor(0, 0, 0, 178), 20, QPointF(1, 1)});
        }
        const int left = alphaAt(image, {10, 190});
        QVERIFY(left > alphaAt(image, {409, 190}) && alphaAt(image, {210, 10}) > alphaAt(image, {210, 369}));
        QVERIFY2(left > 70 && left < 140, qPrintable(QString::number(left)));
        QVERIFY(alphaAt(image, {10, 10}) > left && alphaAt(image, {10, 10}) <= 178);
        // A blur of sigma 10 points: about 16 % one sigma in, 2 % at two.
        const int oneSigma = alphaAt(image, {20, 190});
        QVERIFY(oneSigma > 24 && oneSigma < 40 && alphaAt(image, {30, 190}) > 0 && alphaAt(image, {30, 190}) < 10);
        // Clear in the middle, nothing outside.
        QVERIFY(alphaAt(image, {210, 190}) == 0 && alphaAt(image, {9, 190}) == 0 && alphaAt(image, {410, 190}) == 0);
    }
};

QTEST_MAIN(ViewHelpersTest)
#include "view_helpers_test.moc"
