#include "digit/digit.h"
#include "view_helpers/shadow.h"

#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QTest>

using tarimo::digit::Digit;
namespace view_helpers = tarimo::view_helpers;

namespace {

const QColor unlit(0, 0, 255);
const QColor lit(255, 0, 0);
constexpr int margin = 20;

// A digit of 60 × 80 in a white frame wide enough to show its whole glow.
class Stage
{
public:
    explicit Stage(std::optional<int> value, bool glow = true, qreal thickness = 8, qreal distance = 0)
    {
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, Qt::white);
        window.setPalette(palette);
        auto *layout = new QHBoxLayout(&window);
        layout->setContentsMargins(margin, margin, margin, margin);
        digit = new Digit(thickness, distance, value, unlit, lit, glow);
        digit->setFixedSize(60, 80);
        layout->addWidget(digit);
        window.show();
        QTest::qWait(0);
    }

    // The picture in digit coordinates (so (0, 0) is the digit's corner).
    QColor pixel(QImage image, QPointF point) const
    {
        const QPoint at = (point + QPointF(digit->pos())).toPoint();
        return image.pixelColor(at);
    }

    QWidget window;
    Digit *digit = nullptr;
};

QPointF centre(int segment)
{
    return Digit::segmentFrames(QSizeF(60, 80), 8, 0)[std::size_t(segment - 1)].center();
}

bool near(const QColor &a, const QColor &b, int tolerance = 2)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

QString describe(const QColor &c)
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

class DigitRenderingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void segmentsLitByTable_data()
    {
        QTest::addColumn<std::optional<int>>("value");
        QTest::addColumn<QString>("litSegments");
        QTest::newRow("0") << std::optional(0) << "123567";
        QTest::newRow("1") << std::optional(1) << "67";
        QTest::newRow("2") << std::optional(2) << "23456";
        QTest::newRow("3") << std::optional(3) << "34567";
        QTest::newRow("4") << std::optional(4) << "1467";
        QTest::newRow("5") << std::optional(5) << "13457";
        QTest::newRow("6 has its top bar") << std::optional(6) << "123457";
        QTest::newRow("7 is three bars") << std::optional(7) << "367";
        QTest::newRow("8 lights all") << std::optional(8) << "1234567";
        QTest::newRow("9 has no bottom bar") << std::optional(9) << "13467";
        QTest::newRow("10 is minus") << std::optional(10) << "4";
        QTest::newRow("11 is E") << std::optional(11) << "12345";
        QTest::newRow("12 is blank") << std::optional(12) << "";
        QTest::newRow("13 is past the table") << std::optional(13) << "";
        QTest::newRow("negative") << std::optional(-1) << "";
        QTest::newRow("absent") << std::optional<int>() << "";
    }
    void segmentsLitByTable()
    {
        QFETCH(std::optional<int>, value);
        QFETCH(QString, litSegments);
        Stage stage(value);
        const QImage image = stage.window.grab().toImage();
        for (int segment = 1; segment <= 7; ++segment) {
            const bool expectLit = litSegments.contains(QChar(u'0' + segment));
            const QColor seen = stage.pixel(image, centre(segment));
            QVERIFY2(near(seen, expectLit ? lit : unlit),
                     qPrintable(QStringLiteral("segment %1 is %2").arg(segment).arg(describe(seen))));
            QCOMPARE(stage.digit->isLit(segment), expectLit);
        }
    }

    // Probes just outside the bars, past the digit's own rectangle too.
    void glowOnlyAroundLitSegments_data()
    {
        QTest::addColumn<bool>("glow");
        QTest::newRow("glow on") << true;
        QTest::newRow("glow off") << false;
    }
    void glowOnlyAroundLitSegments()
    {
        QFETCH(bool, glow);
        Stage stage(1, glow); // segments 6 and 7 lit
        const QImage image = stage.window.grab().toImage();
        const QColor white(Qt::white);

        const QList<QPointF> besideLit{{63, 20}, {63, 60}, {56, 78}, {56, 2}};
        for (const QPointF &point : besideLit) {
            const QColor seen = stage.pixel(image, point);
            if (glow) {
                QVERIFY2(seen.red() == 255 && seen.green() < 250 && seen.green() == seen.blue(),
                         qPrintable(describe(seen)));
            } else {
                QVERIFY2(near(seen, white, 0), qPrintable(describe(seen)));
            }
        }
        // Beside the unlit left bars, and in the digit's hollow middle.
        const QList<QPointF> besideUnlit{{-3, 20}, {-3, 60}, {11, 20}, {30, 20}, {30, 60}};
        for (const QPointF &point : besideUnlit)
            QVERIFY2(near(stage.pixel(image, point), white, 0), qPrintable(describe(stage.pixel(image, point))));
        // The glow fades out within its reach.
        QVERIFY(near(stage.pixel(image, {60 + 9, 20}), white, 0));
    }

    void unchangedRepaintBlursNothing()
    {
        Stage stage(8);
        stage.window.grab();
        view_helpers::clearShadowCache();
        const quint64 before = view_helpers::shadowCacheStatistics().blurs;
        stage.digit->update();
        stage.window.grab();
        QCOMPARE(view_helpers::shadowCacheStatistics().blurs, before);

        // A new value redraws the digit, and with an empty cache blurs again.
        stage.digit->setValue(7);
        const QImage image = stage.window.grab().toImage();
        QVERIFY(view_helpers::shadowCacheStatistics().blurs > before);
        QVERIFY(near(stage.pixel(image, centre(1)), unlit));
        QVERIFY(near(stage.pixel(image, centre(3)), lit));
    }

    void everySetterRedraws()
    {
        Stage stage(8, false);
        stage.digit->setColor(Qt::green);
        stage.digit->setValue(1);
        QImage image = stage.window.grab().toImage();
        QVERIFY(near(stage.pixel(image, centre(1)), QColor(Qt::green)));
        stage.digit->setHighligtedColor(Qt::black);
        image = stage.window.grab().toImage();
        QVERIFY(near(stage.pixel(image, centre(6)), QColor(Qt::black)));
        stage.digit->setThickness(4);
        image = stage.window.grab().toImage();
        QVERIFY(near(stage.pixel(image, {6, 20}), QColor(Qt::white), 0));
        stage.digit->setApplyHighlightedShaddow(true);
        image = stage.window.grab().toImage();
        QVERIFY(stage.pixel(image, {63, 20}).green() < 245);
    }

    // Drawn at the device's pixel ratio: an edge at 7.5 points falls on a
    // whole pixel at ratio 2 and stays sharp.
    void crispAtDevicePixelRatio()
    {
        Stage stage(8, false, 7.5);
        stage.window.grab(); // cached at ratio 1 first
        QImage image(60 * 2, 80 * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        stage.digit->render(&image);
        QCOMPARE(image.pixelColor(14, 40), lit);
        QCOMPARE(image.pixelColor(15, 40), QColor(Qt::white));
    }

    void galleryOfAllRows()
    {
        QWidget window;
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
        window.setPalette(palette);
        auto *layout = new QHBoxLayout(&window);
        layout->setContentsMargins(16, 16, 16, 16);
        layout->setSpacing(10);
        std::vector<Digit *> digits;
        for (int value = 0; value < 13; ++value) {
            QColor faint(Qt::black);
            faint.setAlphaF(0.052f);
            QColor red(0xff, 0, 0);
            red.setAlphaF(0.95f);
            auto *digit = new Digit(8, 0, value, faint, red, true);
            digit->setFixedSize(60, 80);
            layout->addWidget(digit);
            digits.push_back(digit);
        }
        window.show();
        QTest::qWait(0);
        // At ratio 2, as on a HiDPI screen and for the README.
        QImage image(window.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        window.render(&image);
        for (int value = 0; value < 13; ++value) {
            for (int segment = 1; segment <= 7; ++segment) {
                const QPointF at = centre(segment) + QPointF(digits[std::size_t(value)]->pos());
                const bool isRed = image.pixelColor((at * 2).toPoint()).red() > 200;
                QCOMPARE(isRed, Digit::isLit(Digit::standardMapping(), value, segment));
            }
        }
        const QByteArray path = qgetenv("TARIMO_DIGIT_GALLERY");
        if (!path.isEmpty())
            QVERIFY(image.save(QString::fromLocal8Bit(path)));
    }
};

QTEST_MAIN(DigitRenderingTest)
#include "digit_rendering_test.moc"
