#include "view_helpers/apply_if.h"
#include "view_helpers/measure_size_modifier.h"
#include "view_helpers/overhang_effect.h"
#include "view_helpers/shadow.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace tarimo::view_helpers;

class ModifiersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizesArriveAfterLayout()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(10, 10, 10, 10);
        auto *child = new QWidget;
        layout->addWidget(child);
        QList<QSizeF> reported;
        QList<QSizeF> sizeWhenReported;
        measureSize(child, [&](QSizeF size) {
            reported.append(size);
            sizeWhenReported.append(child->size());
        });

        window.resize(200, 100);
        window.show();
        QVERIFY(reported.isEmpty()); // not from inside layout
        QTRY_VERIFY(!reported.isEmpty());
        QCOMPARE(reported.last(), QSizeF(180, 80));
        QCOMPARE(sizeWhenReported.last(), QSize(180, 80));

        const qsizetype before = reported.size();
        window.resize(300, 150);
        QCOMPARE(child->size(), QSize(280, 130)); // laid out already ...
        QCOMPARE(reported.size(), before);         // ... reported later
        QTRY_COMPARE(reported.size(), before + 1);
        QCOMPARE(reported.last(), QSizeF(280, 130));
    }

    void noCallAfterTheWidgetIsGone()
    {
        auto *widget = new QWidget;
        int calls = 0;
        measureSize(widget, [&](QSizeF) { ++calls; });
        widget->resize(50, 50);
        widget->show();
        delete widget;
        QTest::qWait(20);
        QCOMPARE(calls, 0);
    }

    void applyIfChoosesABranch()
    {
        auto withRadius = [](Shadow shadow, qreal radius) {
            shadow.radius = radius;
            return shadow;
        };
        auto radiusFive = [&](Shadow shadow) { return withRadius(shadow, 5); };
        const Shadow base{Qt::black, 1, {}};
        QCOMPARE(applyIf(true, base, radiusFive).radius, 5.0);
        QCOMPARE(applyIf(false, base, radiusFive).radius, 1.0);
        QCOMPARE(applyIfPresent(std::optional<qreal>(20), base, withRadius).radius, 20.0);
        QCOMPARE(applyIfPresent(std::optional<qreal>(), base, withRadius).radius, 1.0);
    }

    // A widget with an overhang paints past its edges into its parent.
    void overhangPaintsPastTheEdges()
    {
        QWidget window;
        window.setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::white);
        window.setPalette(palette);
        auto *layout = new QHBoxLayout(&window);
        layout->setContentsMargins(20, 20, 20, 20);
        auto *child = new QWidget;
        child->setFixedSize(40, 40);
        layout->addWidget(child);
        auto *effect = new OverhangEffect(QMarginsF(10, 10, 10, 10), [](QPainter &painter) {
            painter.fillRect(QRectF(-30, -30, 100, 100), Qt::blue);
        });
        child->setGraphicsEffect(effect);
        window.show();
        QTest::qWait(0);

        QImage image = window.grab().toImage();
        const QPoint corner = child->pos();
        QCOMPARE(image.pixelColor(corner + QPoint(-5, 20)), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(corner + QPoint(44, 44)), QColor(Qt::blue));
        // Only as far as promised.
        QCOMPARE(image.pixelColor(corner + QPoint(-12, 20)), QColor(Qt::white));

        effect->setOverhang(QMarginsF(15, 15, 15, 15));
        image = window.grab().toImage();
        QCOMPARE(image.pixelColor(corner + QPoint(-12, 20)), QColor(Qt::blue));
    }
};

QTEST_MAIN(ModifiersTest)
#include "modifiers_test.moc"
