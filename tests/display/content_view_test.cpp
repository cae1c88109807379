#include "digit/digit.h"
#include "display/content_view.h"
#include "display/equalizer.h"
#include "price/content_view_model.h"
#include "view_helpers/shadow.h"

#include "tests/support/captured_output.h"
#include "tests/support/scripted_provider.h"

#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace std::chrono_literals;
using namespace tarimo;
using display::ContentView;
using display::Equalizer;
using price::ContentViewModel;
using price::Zone;
using test_support::ScriptedProvider;

namespace {

using Day = std::optional<std::vector<price::SpotPriceModel>>;

// Hour h costs h kronor, except where `change` says otherwise.
ScriptedProvider::Answer day(std::function<void(std::vector<price::SpotPriceModel> &)> change = {})
{
    return [change](const QDateTime &date, Zone zone) {
        Day records = test_support::hourNumberDays(60)(date, zone);
        if (change)
            change(*records);
        return records;
    };
}

struct Panel
{
    explicit Panel(ScriptedProvider::Answer answer, QDateTime now = QDateTime(QDate(2025, 11, 12), QTime(14, 20)))
        : provider(std::make_shared<ScriptedProvider>(std::move(answer)))
        , model(provider, [now] { return now; })
        , view(&model)
    {}

    // Loads the day and waits for it.
    void load()
    {
        test_support::CapturedOutput quiet;
        model.perform(price::ViewModelAction::reload());
        using State = ContentViewModel::State;
        QTRY_VERIFY(model.state() == State::loaded || model.state() == State::error);
    }

    QImage render() const
    {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(ContentView::backdropColor);
        QPainter painter(&image);
        const_cast<ContentView &>(view).render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    // A cell's middle in panel coordinates.
    QPoint cellCentre(int hour, int cell) const
    {
        return (view.equalizer()->cellRect(hour, cell).center() + view.equalizer()->pos()).toPoint();
    }

    std::shared_ptr<ScriptedProvider> provider;
    ContentViewModel model;
    ContentView view;
};

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 60 && qRed(pixel) > 3 * qGreen(pixel) + 20;
}

int brightest(const QImage &image, const QRectF &area)
{
    int best = 0;
    const QRect pixels = area.toAlignedRect() & image.rect();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            best = std::max(best, qGray(image.pixel(x, y)));
    }
    return best;
}

int litCells(const Equalizer &chart, int hour)
{
    int lit = 0;
    for (int cell = 0; cell < ContentView::cellCount; ++cell)
        lit += chart.isLit(hour, cell) ? 1 : 0;
    return lit;
}

QString toolTipAt(Equalizer *chart, int hour)
{
    QToolTip::hideText();
    const QPoint position = chart->columnRect(hour).center().toPoint();
    QHelpEvent event(QEvent::ToolTip, position, chart->mapToGlobal(position));
    QApplication::sendEvent(chart, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

class ContentViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelIsFixed()
    {
        Panel panel(day());
        QCOMPARE(panel.view.size(), QSize(400, 360));
        QCOMPARE(panel.view.minimumSize(), panel.view.maximumSize());
        const auto &layout = panel.view.panelLayout();
        QCOMPARE(layout.header.top(), 16.0);
        QCOMPARE(layout.digits[0].height(), 80.0);
        QCOMPARE(layout.digits[0].left(), 16.0);
        QVERIFY(layout.unit.right() <= 384.0 + 0.01);
        QCOMPARE(layout.unit.bottom(), layout.digits[0].bottom());
        QVERIFY(layout.contentHeight <= 360);
        // Five equal digits, ten apart, thickness 2 % of the width.
        for (std::size_t i = 1; i < 5; ++i) {
            QCOMPARE(layout.digits[i].width(), layout.digits[0].width());
            QCOMPARE(layout.digits[i].left() - layout.digits[i - 1].right(), 10.0);
        }
        QCOMPARE(panel.view.digits()[0]->thickness(), 8.0);
    }

    void levels_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("lit");
        QTest::newRow("dearest lights all") << 23 << 38;
        QTest::newRow("cheapest lights none") << 0 << 0;
        QTest::newRow("half lights the bottom 19") << 12 << 19;
        QTest::newRow("missing hour is dark") << 5 << 0;
        QTest::newRow("hour without price is dark") << 6 << 0;
    }
    void levels()
    {
        QFETCH(int, hour);
        QFETCH(int, lit);
        Panel panel(day([](auto &records) {
            records[12].spotPriceSEK = 11.5; // (11.5 - 0) / (23 - 0) = 0.5
            records[6].spotPriceSEK.reset();
            records.erase(records.begin() + 5);
        }));
        panel.load();
        const Equalizer &chart = *panel.view.equalizer();
        QCOMPARE(litCells(chart, hour), lit);

        // What is drawn agrees: the lit run is at the bottom.
        const QImage image = panel.render();
        for (int cell = 0; cell < ContentView::cellCount; ++cell)
            QCOMPARE(isRed(image.pixel(panel.cellCentre(hour, cell))), cell >= ContentView::cellCount - lit);
    }

    void twentyFourColumnsWhateverTheRecords()
    {
        Panel panel(day([](auto &records) { records.resize(23); }));
        panel.load();
        const Equalizer &chart = *panel.view.equalizer();
        QCOMPARE(chart.columnRect(23).right(), qreal(chart.width()));
        QCOMPARE(litCells(chart, 23), 0);
        QCOMPARE(litCells(chart, 22), 38);
        QCOMPARE(chart.hourAt(chart.columnRect(7).center()), 7);
    }

    void equalPricesLightNothing()
    {
        Panel panel(day([](auto &records) {
            for (auto &record : records)
                record.spotPriceSEK = 0.42;
        }));
        panel.load();
        for (int hour = 0; hour < 24; ++hour)
            QCOMPARE(litCells(*panel.view.equalizer(), hour), 0);
    }

    void toolTipsShowTheHourPrice()
    {
        Panel panel(day([](auto &records) { records.erase(records.begin() + 3); }));
        panel.load();
        panel.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel.view));
        // An hour without a record has no tooltip (asked first: a hidden
        // tooltip keeps its text while it fades).
        QCOMPARE(toolTipAt(panel.view.equalizer(), 3), QString());
        QCOMPARE(toolTipAt(panel.view.equalizer(), 14), QStringLiteral("1400 öre / kwh"));
    }

    void exactlyTheSelectedZoneGlows()
    {
        Panel panel(day());
        panel.load();
        for (Zone selected : {Zone::se3, Zone::se1, Zone::se4}) {
            if (selected != panel.model.selectedZone()) {
                panel.model.perform(price::ViewModelAction::selectZone(selected));
                QTRY_COMPARE(panel.model.state(), ContentViewModel::State::loaded);
            }
            const QImage image = panel.render();
            for (Zone zone : price::allZones) {
                const int light = brightest(image, panel.view.panelLayout().zones[std::size_t(zone)]);
                if (zone == selected)
                    QVERIFY2(light > 150, qPrintable(QString::number(light)));
                else
                    QVERIFY2(light < 60, qPrintable(QString::number(light)));
            }
        }
    }

    void clickingAZoneSelectsItAndLoads()
    {
        Panel panel(day());
        panel.load();
        panel.provider->delay = 20ms;
        const auto calls = panel.provider->calls.size();
        test_support::CapturedOutput quiet;
        QTest::mouseClick(&panel.view, Qt::LeftButton, {},
                          panel.view.panelLayout().zones[std::size_t(Zone::se1)].center().toPoint());
        QCOMPARE(panel.model.selectedZone(), Zone::se1);
        QTRY_COMPARE(panel.provider->calls.size(), calls + 1);
        QCOMPARE(panel.provider->calls.back().zone, Zone::se1);

        // The zone already selected is selected and loaded again.
        QTest::mouseClick(&panel.view, Qt::LeftButton, {},
                          panel.view.panelLayout().zones[std::size_t(Zone::se1)].center().toPoint());
        QTRY_COMPARE(panel.provider->calls.size(), calls + 2);

        // A click between labels selects nothing.
        const QRectF se2 = panel.view.panelLayout().zones[std::size_t(Zone::se2)];
        QTest::mouseClick(&panel.view, Qt::LeftButton, {}, QPoint(int(se2.left()) - 3, int(se2.center().y())));
        QTest::qWait(20);
        QCOMPARE(panel.provider->calls.size(), calls + 2);
    }

    void blankDigitsShowOnlyFaintSegments()
    {
        Panel panel(day());
        const QImage image = panel.render();
        for (const QRectF &digit : panel.view.panelLayout().digits) {
            const QRect area = digit.toAlignedRect();
            for (int y = area.top(); y <= area.bottom(); y += 2) {
                for (int x = area.left(); x <= area.right(); x += 2)
                    QVERIFY(!isRed(image.pixel(x, y)));
            }
        }
        // The unlit segments are there, only faint: darker than the gaps.
        const QRectF first = panel.view.panelLayout().digits[0];
        const QPoint segment = (first.topLeft() + QPointF(4, first.height() / 4)).toPoint();
        const QPoint gap = segment + QPoint(10, 0);
        QVERIFY2(qGray(image.pixel(segment)) < qGray(image.pixel(gap)),
                 qPrintable(QStringLiteral("%1 %2").arg(qGray(image.pixel(segment))).arg(qGray(image.pixel(gap)))));
    }

    void negativePriceShowsItsMinusBar()
    {
        Panel panel(day([](auto &records) { records[14].spotPriceSEK = -0.5; }));
        panel.load();
        QCOMPARE(panel.view.digits()[2]->value(), 10);

        const QImage image = panel.render();
        const QRectF minus = panel.view.panelLayout().digits[2];
        QVERIFY(isRed(image.pixel(minus.center().toPoint())));
        QVERIFY(!isRed(image.pixel((minus.topLeft() + QPointF(minus.width() / 2, 4)).toPoint())));
    }

    void headerInCapitals_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("date");
        QTest::newRow("weekday") << QDateTime(QDate(2025, 11, 12), QTime(14, 20)) << "ONSDAG 12 NOV. 2025, 14:00";
        QTest::newRow("swedish letters") << QDateTime(QDate(2025, 10, 25), QTime(9, 5)) << "LÖRDAG 25 OKT. 2025, 09:00";
    }
    void headerInCapitals()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, date);
        Panel panel(day(), now);
        QCOMPARE(panel.view.headerTitle(), QStringLiteral("SPOT PRICE"));
        QCOMPARE(panel.view.headerDate(), date);
        QCOMPARE(panel.view.unitText(), QStringLiteral("öre / kwh"));
    }

    void eachShowingLoads()
    {
        Panel panel(day());
        QVERIFY(panel.provider->calls.empty());
        test_support::CapturedOutput quiet;
        panel.view.show();
        // Not before the panel is painted: the first frame does not wait
        // for the network.
        QVERIFY(panel.provider->calls.empty());
        QTRY_COMPARE(panel.provider->calls.size(), std::size_t(1));
        panel.view.hide();
        panel.view.show();
        QTRY_COMPARE(panel.provider->calls.size(), std::size_t(2));
    }

    void unchangedPanelBlursNothing()
    {
        Panel panel(day());
        panel.load();
        panel.render();
        const auto before = view_helpers::shadowCacheStatistics().blurs;
        panel.render();
        panel.view.repaint();
        QCOMPARE(view_helpers::shadowCacheStatistics().blurs, before);
    }
};

QTEST_MAIN(ContentViewTest)
#include "content_view_test.moc"
