#include "view_helpers/shadow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <cmath>

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

class ShadowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The blur of a sharp edge rises like the Gaussian's integral, so the
    // spread of its slope is sigma. Past both ends the edge values repeat.
    void blurMatchesGaussian_data()
    {
        QTest::addColumn<qreal>("sigma");
        QTest::newRow("1") << 1.0;
        QTest::newRow("2.5, a glow of radius 5") << 2.5;
        QTest::newRow("5") << 5.0;
        QTest::newRow("10, the panel's inner shadow") << 10.0;
        QTest::newRow("20, the same at ratio 2") << 20.0;
    }
    void blurMatchesGaussian()
    {
        QFETCH(qreal, sigma);
        const int width = 400;
        QImage image(width, 3, QImage::Format_Alpha8);
        image.fill(0);
        for (int y = 0; y < 3; ++y)
            std::fill_n(image.scanLine(y), width / 2, uchar(255));
        blurAlpha(image, sigma);

        const uchar *row = image.constScanLine(1);
        QCOMPARE(int(row[0]), 255);
        QCOMPARE(int(row[width - 1]), 0);
        double mass = 0, mean = 0, square = 0;
        for (int x = 0; x + 1 < width; ++x) {
            const double slope = row[x] - row[x + 1];
            mass += slope;
            mean += slope * x;
            square += slope * x * x;
        }
        mean /= mass;
        const double spread = std::sqrt(square / mass - mean * mean);
        QVERIFY2(std::abs(spread - sigma) <= 0.1 * sigma + 0.2,
                 qPrintable(QStringLiteral("spread %1 for sigma %2").arg(spread).arg(sigma)));
        QVERIFY(std::abs(mean - (width / 2 - 0.5)) < 0.6);
    }

    void glowFadesOutWithinItsExtent_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 2") << 2.0;
    }
    void glowFadesOutWithinItsExtent()
    {
        QFETCH(qreal, ratio);
        QImage image = canvas(QSize(100, 100), ratio);
        {
            QPainter painter(&image);
            fillPathWithShadow(painter, square({40, 40, 20, 20}), Qt::red, Shadow::glow(Qt::red, 1.0, 10));
        }
        QCOMPARE(image.pixelColor(QPoint(50, 50) * ratio), QColor(Qt::red));
        // sigma = 5: about 16 % of full strength 5 points out, 2 % at 10.
        const int atFive = alphaAt(image, {65, 50});
        const int atTen = alphaAt(image, {70, 50});
        QVERIFY2(atFive > 25 && atFive < 55, qPrintable(QString::number(atFive)));
        QVERIFY2(atTen > 0 && atTen < 15, qPrintable(QString::number(atTen)));
        QVERIFY(alphaAt(image, {62, 50}) > atFive);
        QCOMPARE(alphaAt(image, {60 + shadowExtent(10) + 1, 50}), 0);
        QCOMPARE(alphaAt(image, {50, 40 - shadowExtent(10) - 1}), 0);
        // The glow has the shadow's colour.
        const QColor glow = image.pixelColor(QPoint(65, 50) * ratio);
        QCOMPARE(glow.green(), 0);
        QCOMPARE(glow.blue(), 0);
    }

    void glowFollowsThePainter()
    {
        QImage direct = canvas(QSize(80, 80));
        QImage moved = canvas(QSize(80, 80));
        {
            QPainter painter(&direct);
            fillPathWithShadow(painter, square({30.5, 30, 10, 10}), Qt::red, Shadow::glow(Qt::red, 1, 5));
        }
        {
            QPainter painter(&moved);
            painter.translate(30, 20);
            fillPathWithShadow(painter, square({0.5, 10, 10, 10}), Qt::red, Shadow::glow(Qt::red, 1, 5));
        }
        QCOMPARE(moved, direct);
    }

    // A half-transparent fill casts half as strong a glow.
    void strengthFollowsTheFill()
    {
        QImage full = canvas(QSize(60, 60));
        QImage half = canvas(QSize(60, 60));
        const Shadow glow = Shadow::glow(Qt::black, 0.8, 6);
        {
            QPainter painter(&full);
            drawPathShadow(painter, square({20, 20, 20, 20}), glow);
        }
        {
            QPainter painter(&half);
            drawPathShadow(painter, square({20, 20, 20, 20}), glow, 0.5);
        }
        const int fullAlpha = alphaAt(full, {30, 30});
        QVERIFY(std::abs(fullAlpha - qRound(0.8 * 255)) <= 2);
        QVERIFY(std::abs(alphaAt(half, {30, 30}) * 2 - fullAlpha) <= 2);
        QVERIFY(std::abs(alphaAt(half, {43, 30}) * 2 - alphaAt(full, {43, 30})) <= 2);
    }

    // A lit colour's own opacity times the glow's.
    void glowTakesItsOpacity()
    {
        QColor translucent(Qt::red);
        translucent.setAlphaF(0.95f);
        QCOMPARE(Shadow::glow(translucent, 0.7, 5).color.alphaF(), 0.95f * 0.7f);
    }

    void offsetMovesTheShadow()
    {
        QImage image = canvas(QSize(80, 60));
        {
            QPainter painter(&image);
            drawPathShadow(painter, square({30, 20, 20, 20}), Shadow{Qt::black, 4, QPointF(6, 0)});
        }
        QVERIFY(alphaAt(image, {54, 30}) > 150);
        QCOMPARE(alphaAt(image, {29, 30}), 0);
        QCOMPARE(shadowMargins(Shadow{Qt::black, 20, QPointF(1, 1)}), QMarginsF(29, 29, 31, 31));
        QCOMPARE(shadowMargins(Shadow::glow(Qt::red, 1, 5)), QMarginsF(7.5, 7.5, 7.5, 7.5));
    }

    void cachedImagesAreReused()
    {
        clearShadowCache();
        QImage image = canvas(QSize(200, 100));
        QPainter painter(&image);
        const Shadow glow = Shadow::glow(Qt::red, 1, 10);
        auto blurs = [] { return shadowCacheStatistics().blurs; };
        const auto start = shadowCacheStatistics();

        drawPathShadow(painter, square({10, 10, 14, 2}), glow);
        QCOMPARE(blurs(), start.blurs + 1);
        drawPathShadow(painter, square({10, 10, 14, 2}), glow);
        // The same cell elsewhere on the pixel grid, as in a bar chart.
        drawPathShadow(painter, square({40, 30, 14, 2}), glow);
        QCOMPARE(blurs(), start.blurs + 1);
        QCOMPARE(shadowCacheStatistics().hits, start.hits + 2);

        drawPathShadow(painter, square({10.5, 10, 14, 2}), glow);
        QCOMPARE(blurs(), start.blurs + 2);
        drawPathShadow(painter, square({10, 10, 14, 2}), Shadow::glow(Qt::blue, 1, 10));
        QCOMPARE(blurs(), start.blurs + 3);
        drawPathShadow(painter, square({10, 10, 14, 2}), Shadow::glow(Qt::red, 1, 5));
        QCOMPARE(blurs(), start.blurs + 4);
        painter.end();

        QImage sharp = canvas(QSize(200, 100), 2);
        painter.begin(&sharp);
        drawPathShadow(painter, square({10, 10, 14, 2}), glow);
        QCOMPARE(blurs(), start.blurs + 5);
        painter.end();

        clearShadowCache();
        painter.begin(&image);
        drawPathShadow(painter, square({10, 10, 14, 2}), glow);
        QCOMPARE(blurs(), start.blurs + 6);
    }

    void textGlows()
    {
        QFont font;
        font.setPixelSize(20);
        font.setBold(true);
        const QRectF rect(20, 20, 160, 40);
        QImage plain = canvas(QSize(200, 80));
        QImage glowing = canvas(QSize(200, 80));
        {
            QPainter painter(&plain);
            drawTextWithShadow(painter, rect, Qt::AlignCenter, QStringLiteral("SPOT PRICE"), font, Qt::white,
                               std::nullopt);
        }
        {
            QPainter painter(&glowing);
            drawTextWithShadow(painter, rect, Qt::AlignCenter, QStringLiteral("SPOT PRICE"), font, Qt::white,
                               Shadow::glow(Qt::red, 0.7, 5));
        }
        int textPixels = 0, glowPixels = 0, strayPixels = 0;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 200; ++x) {
                const QColor p = plain.pixelColor(x, y);
                const QColor g = glowing.pixelColor(x, y);
                if (p.alpha() == 255) {
                    ++textPixels;
                    QCOMPARE(g, p); // the text covers its glow
                } else if (p.alpha() == 0 && g.alpha() > 0) {
                    ++glowPixels;
                    QCOMPARE(g.green(), 0);
                }
                if (g.alpha() > 0 && (x < 10 || y < 10 || x >= 190 || y >= 70))
                    ++strayPixels;
            }
        }
        QVERIFY(textPixels > 100);
        QVERIFY(glowPixels > textPixels);
        QCOMPARE(strayPixels, 0);
    }

    // The panel's glass: black 0.7, radius 20, offset (1, 1) on 400 × 360.
    void innerShadowDarkensTheEdges()
    {
        QImage image = canvas(QSize(420, 380));
        {
            QPainter painter(&image);
            QColor black(Qt::black);
            black.setAlphaF(0.7f);
            drawInnerShadow(painter, QRectF(10, 10, 400, 360), Shadow{black, 20, QPointF(1, 1)});
        }
        const int left = alphaAt(image, {10, 190});
        const int right = alphaAt(image, {409, 190});
        const int top = alphaAt(image, {210, 10});
        const int bottom = alphaAt(image, {210, 369});
        QVERIFY2(left > right && top > bottom,
                 qPrintable(QStringLiteral("%1 %2 %3 %4").arg(left).arg(right).arg(top).arg(bottom)));
        QVERIFY(left > 70 && left < 140);
        QVERIFY(right > 50);
        QVERIFY(alphaAt(image, {10, 10}) > left);
        QVERIFY(alphaAt(image, {10, 10}) <= qRound(0.7 * 255));
        QVERIFY(alphaAt(image, {20, 190}) < left);
        QCOMPARE(alphaAt(image, {210, 190}), 0);
        QCOMPARE(alphaAt(image, {9, 190}), 0);
        QCOMPARE(alphaAt(image, {410, 190}), 0);
        QCOMPARE(image.pixelColor(10, 10).red(), 0);
    }
};

QTEST_MAIN(ShadowTest)
#include "shadow_test.moc"
