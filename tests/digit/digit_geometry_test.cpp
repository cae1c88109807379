#include "digit/arm.h"
#include "digit/digit.h"

#include <QTest>

using tarimo::digit::Arm;
using tarimo::digit::Digit;

class DigitGeometryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framesWithoutDistance_data()
    {
        QTest::addColumn<int>("segment");
        QTest::addColumn<QRectF>("frame");
        QTest::newRow("1 upper left") << 1 << QRectF(0, 4, 8, 36);
        QTest::newRow("2 lower left") << 2 << QRectF(0, 40, 8, 36);
        QTest::newRow("3 top") << 3 << QRectF(4, 0, 52, 8);
        QTest::newRow("4 middle") << 4 << QRectF(4, 36, 52, 8);
        QTest::newRow("5 bottom") << 5 << QRectF(4, 72, 52, 8);
        QTest::newRow("6 upper right") << 6 << QRectF(52, 4, 8, 36);
        QTest::newRow("7 lower right") << 7 << QRectF(52, 40, 8, 36);
    }
    void framesWithoutDistance()
    {
        QFETCH(int, segment);
        QFETCH(QRectF, frame);
        QCOMPARE(Digit::segmentFrames(QSizeF(60, 80), 8, 0)[std::size_t(segment - 1)], frame);
    }

    // Every tip points at a joint and stops `distance` short of it.
    void tipsStopShortOfJoints_data()
    {
        QTest::addColumn<qreal>("distance");
        QTest::newRow("touching") << 0.0;
        QTest::newRow("2 apart") << 2.0;
    }
    void tipsStopShortOfJoints()
    {
        QFETCH(qreal, distance);
        const qreal w = 60, h = 80, t = 8;
        const QList<QPointF> joints{{t / 2, t / 2}, {w - t / 2, t / 2}, {t / 2, h / 2},
                                    {w - t / 2, h / 2}, {t / 2, h - t / 2}, {w - t / 2, h - t / 2}};
        const auto frames = Digit::segmentFrames(QSizeF(w, h), t, distance);
        for (int segment = 1; segment <= 7; ++segment) {
            const QRectF frame = frames[std::size_t(segment - 1)];
            const bool horizontal = Digit::direction(segment) == Arm::Direction::horizontal;
            QCOMPARE(horizontal ? frame.width() : frame.height(), (horizontal ? 52 : 36) - 2 * distance);
            QCOMPARE(horizontal ? frame.height() : frame.width(), t);
            const QList<QPointF> tips = horizontal
                                            ? QList<QPointF>{{frame.left(), frame.center().y()},
                                                             {frame.right(), frame.center().y()}}
                                            : QList<QPointF>{{frame.center().x(), frame.top()},
                                                             {frame.center().x(), frame.bottom()}};
            for (const QPointF &tip : tips) {
                qreal nearest = 1e9;
                for (const QPointF &joint : joints)
                    nearest = std::min(nearest, QLineF(tip, joint).length());
                QVERIFY2(qFuzzyCompare(1 + nearest, 1 + distance),
                         qPrintable(QStringLiteral("segment %1 tip %2").arg(segment).arg(nearest)));
            }
        }
    }

    // Inside and outside probes of the outline, which is non-zero filled.
    void armOutline_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("inside");
        const int h = int(Arm::Direction::horizontal);
        const int v = int(Arm::Direction::vertical);
        QTest::newRow("horizontal body") << h << QSizeF(52, 8) << QPointF(26, 1) << true;
        QTest::newRow("horizontal left tip point") << h << QSizeF(52, 8) << QPointF(0.5, 4) << true;
        QTest::newRow("horizontal cut corner") << h << QSizeF(52, 8) << QPointF(1, 1) << false;
        QTest::newRow("horizontal right cut corner") << h << QSizeF(52, 8) << QPointF(51, 7) << false;
        QTest::newRow("horizontal right tip point") << h << QSizeF(52, 8) << QPointF(51.5, 4) << true;
        QTest::newRow("vertical body") << v << QSizeF(8, 36) << QPointF(1, 18) << true;
        QTest::newRow("vertical top point") << v << QSizeF(8, 36) << QPointF(4, 0.5) << true;
        QTest::newRow("vertical cut corner") << v << QSizeF(8, 36) << QPointF(7, 1) << false;
        QTest::newRow("vertical bottom cut corner") << v << QSizeF(8, 36) << QPointF(1, 35) << false;
    }
    void armOutline()
    {
        QFETCH(int, direction);
        QFETCH(QSizeF, size);
        QFETCH(QPointF, point);
        QFETCH(bool, inside);
        const QPainterPath path = Arm{Arm::Direction(direction)}.path(size);
        QCOMPARE(path.fillRule(), Qt::WindingFill);
        QCOMPARE(path.contains(point), inside);
    }

    // A square horizontal arm: two tips and an empty body, a diamond of
    // half the square's area.
    void squareArmIsDiamond()
    {
        const QPainterPath path = Arm{Arm::Direction::horizontal}.path(QSizeF(8, 8));
        const QPolygonF outline = path.simplified().toFillPolygon();
        QCOMPARE(outline.boundingRect(), QRectF(0, 0, 8, 8));
        qreal area = 0;
        for (qsizetype i = 0; i + 1 < outline.size(); ++i)
            area += outline[i].x() * outline[i + 1].y() - outline[i + 1].x() * outline[i].y();
        QCOMPARE(std::abs(area) / 2, 32.0);
        QVERIFY(path.contains(QPointF(4, 4)));
        QVERIFY(!path.contains(QPointF(1, 1)));
    }

    void armKeepsItsRectangleCorner()
    {
        const Arm arm{Arm::Direction::vertical};
        QCOMPARE(arm.path(QRectF(52, 40, 8, 36)).boundingRect(), QRectF(52, 40, 8, 36));
    }
};

QTEST_MAIN(DigitGeometryTest)
#include "digit_geometry_test.moc"
