// Seven-segment digits: the layout of the bars, the outline of one bar, and
// what a digit shows, read back from its picture.

#include "digit/digit.h"

#include <QScreen>
#include <QTest>

using namespace tarimo::digit;

namespace {

const QColor unlit(0, 0, 255);
const QColor lit(255, 0, 0);

// A digit of 60 × 80, thickness 8, with room around it for its glow.
struct Stage
{
    explicit Stage(bool glow = true)
        : digit(new Digit(8, 0, std::nullopt, unlit, lit, glow, &window))
    {
        digit->setGeometry(20, 20, 60, 80);
        window.resize(100, 120);
        window.show();
    }
    // What the screen shows at a point in digit coordinates, once the
    // repaints that changes asked for are done.
    QColor at(QPointF point)
    {
        QCoreApplication::processEvents();
        const QImage image = window.screen()->grabWindow(window.winId()).toImage();
        return image.pixelColor((point + digit->pos()).toPoint());
    }

    QWidget window;
    Digit *digit;
    const QColor ground = window.palette().color(QPalette::Window);
};

QPointF centre(int segment)
{
    return Digit::segmentFrames(QSizeF(60, 80), 8, 0)[std::size_t(segment - 1)].center();
}

} // namespace

class DigitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // In 60 × 80 with thickness 8 and distance 2 every bar is 4 shorter than
    // with distance 0, and every tip ends 2 short of its joint point.
    void segmentFrames()
    {
        const std::array<QRectF, 7> frames{QRectF(0, 6, 8, 32),  QRectF(0, 42, 8, 32), QRectF(6, 0, 48, 8),
                                           QRectF(6, 36, 48, 8), QRectF(6, 72, 48, 8), QRectF(52, 6, 8, 32),
                                           QRectF(52, 42, 8, 32)};
        QCOMPARE(Digit::segmentFrames(QSizeF(60, 80), 8, 2), frames);
    }

    void armOutline_data()
    {
        QTest::addColumn<Arm::Direction>("direction");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("inside");
        using enum Arm::Direction;
        QTest::newRow("horizontal left tip") << horizontal << QSizeF(52, 8) << QPointF(0.5, 4) << true;
        QTest::newRow("horizontal cut corner") << horizontal << QSizeF(52, 8) << QPointF(1, 1) << false;
        QTest::newRow("horizontal right cut corner") << horizontal << QSizeF(52, 8) << QPointF(51, 7) << false;
        QTest::newRow("vertical top tip") << vertical << QSizeF(8, 36) << QPointF(4, 0.5) << true;
        QTest::newRow("vertical cut corner") << vertical << QSizeF(8, 36) << QPointF(7, 1) << false;
        QTest::newRow("vertical bottom cut corner") << vertical << QSizeF(8, 36) << QPointF(1, 35) << false;
    }
    void armOutline()
    {
        QFETCH(Arm::Direction, direction);
        QFETCH(QSizeF, size);
        QFETCH(QPointF, point);
        QFETCH(bool, inside);
        QCOMPARE(Arm{direction}.path(size).contains(point), inside);
    }

    void segmentsLitByTheTable()
    {
        // Segments 1 upper left, 2 lower left, 3 top, 4 middle, 5 bottom,
        // 6 upper right, 7 lower right.
        const QList<QByteArray> rows{"123567", "67",    "23456", "34567", "1467", "13457", "123457",
                                     "367",    "1234567", "13467", "4",     "12345", "",      ""};
        Stage stage;
        for (int value = -2; value < rows.size(); ++value) {
            // -2: no value, -1: a negative one, 13: past the table.
            if (value > -2)
                stage.digit->setValue(value);
            for (int segment = 1; segment <= 7; ++segment) {
                const bool expected = value >= 0 && rows[value].contains(char('0' + segment));
                QVERIFY2(stage.at(centre(segment)) == (expected ? lit : unlit),
                         qPrintable(QStringLiteral("value %1, segment %2").arg(value).arg(segment)));
            }
        }
    }

    // Probes just outside the bars, past the digit's own rectangle too.
    void glowOnlyAroundLitSegments()
    {
        Stage stage(false);
        stage.digit->setValue(1); // segments 6 and 7
        for (const bool glow : {false, true, false}) {
            stage.digit->setApplyHighlightedShaddow(glow);
            for (const QPointF point : {QPointF(63, 20), QPointF(63, 60), QPointF(56, 78), QPointF(56, 2)}) {
                const QColor seen = stage.at(point);
                QVERIFY(glow ? seen.red() > seen.green() && seen.green() == seen.blue() : seen == stage.ground);
            }
            // Beside the unlit left bars, in the hollow middle, past the glow's reach.
            for (const QPointF point : {QPointF(-3, 20), QPointF(11, 20), QPointF(30, 60), QPointF(69, 20)})
                QCOMPARE(stage.at(point), stage.ground);
        }
    }

    void everyChangeRedraws()
    {
        Stage stage(false);
        stage.digit->setValue(1);
        QCOMPARE(stage.at({4, 5}), unlit); // the top tip of bar 1
        stage.digit->setColor(Qt::green);
        QCOMPARE(stage.at(centre(1)), QColor(Qt::green));
        stage.digit->setHighligtedColor(Qt::black);
        QCOMPARE(stage.at(centre(6)), QColor(Qt::black));
        stage.digit->setDistance(4);
        QCOMPARE(stage.at({4, 5}), stage.ground);
        stage.digit->setThickness(6.5);
        QCOMPARE(stage.at({7, 20}), stage.ground);
        stage.digit->resize(40, 80);
        QCOMPARE(stage.at(centre(6) - QPointF(20, 0)), QColor(Qt::black));
        // Drawn anew at another pixel ratio: an edge at 6.5 points falls on a
        // whole pixel at ratio 2 and stays sharp.
        QImage sharp(stage.window.size() * 2, QImage::Format_RGB32);
        sharp.setDevicePixelRatio(2);
        stage.window.render(&sharp);
        const QPoint edge = ((QPointF(6.5, 20) + stage.digit->pos()) * 2).toPoint();
        QCOMPARE(sharp.pixelColor(edge - QPoint(1, 0)), QColor(Qt::green));
        QCOMPARE(sharp.pixelColor(edge), stage.ground);
    }
};

QTEST_MAIN(DigitTest)
#include "digit_test.moc"
