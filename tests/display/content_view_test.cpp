#include "digit/digit.h"
#include "display/content_view.h"
#include "display/equalizer.h"
#include "display/zone_bar.h"
#include "price/content_view_model.h"
#include "view_helpers/shadow.h"

#include "tests/support/captured_output.h"
#include "tests/support/scripted_provider.h"

#include <QAccessible>
#include <QApplication>
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
        // The load begins after perform returns: wait for it to begin and end.
        QSignalSpy changes(&model, &ContentViewModel::stateChanged);
        model.perform(price::ViewModelAction::reload());
        using State = ContentViewModel::State;
        QTRY_VERIFY(changes.size() >= 2 && (model.state() == State::loaded || model.state() == State::error));
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

QAccessibleInterface *accessibleAt(QWidget *widget, const QList<int> &path)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    for (int index : path)
        iface = iface ? iface->child(index) : nullptr;
    return iface;
}

// What a screen reader reads besides the name: a text's content, or else
// the description.
QString readAlong(QAccessibleInterface *iface)
{
    if (QAccessibleTextInterface *text = iface->textInterface())
        return text->text(0, text->characterCount());
    return iface->text(QAccessible::Description);
}

// A panel in a window of its own that has the keyboard, its day loaded.
void activate(QWidget &view)
{
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
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
        display::ZoneBar *zones = panel.view.zoneBar();
        const QPoint se1 = zones->labelRect(Zone::se1).center().toPoint();
        QTest::mouseClick(zones, Qt::LeftButton, {}, se1);
        QCOMPARE(panel.model.selectedZone(), Zone::se1);
        QTRY_COMPARE(panel.provider->calls.size(), calls + 1);
        QCOMPARE(panel.provider->calls.back().zone, Zone::se1);

        // The zone already selected is selected and loaded again.
        QTest::mouseClick(zones, Qt::LeftButton, {}, se1);
        QTRY_COMPARE(panel.provider->calls.size(), calls + 2);

        // A click between labels selects nothing.
        QTest::mouseClick(zones, Qt::LeftButton, {}, QPoint(int(zones->labelRect(Zone::se2).left()) - 3, se1.y()));
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

    void screenReaderSees_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("alongside");
        QTest::addColumn<bool>("checkedOrSelected");
        QTest::newRow("price") << QList<int>{0} << int(QAccessible::StaticText) << "Spot price"
                               << "1400 öre per kWh" << false;
        QTest::newRow("date line") << QList<int>{1} << int(QAccessible::StaticText) << "onsdag 12 nov. 2025, 14:00"
                                   << "onsdag 12 nov. 2025, 14:00" << false;
        QTest::newRow("zones") << QList<int>{2} << int(QAccessible::Grouping) << "Zone" << "" << false;
        QTest::newRow("selected zone") << QList<int>{2, 2} << int(QAccessible::RadioButton) << "SE3"
                                       << "SE3, Stockholm" << true;
        QTest::newRow("other zone") << QList<int>{2, 3} << int(QAccessible::RadioButton) << "SE4" << "SE4, Malmö"
                                    << false;
        QTest::newRow("chart") << QList<int>{3} << int(QAccessible::List) << "Prices by hour" << "" << false;
        QTest::newRow("clock's hour") << QList<int>{3, 14} << int(QAccessible::ListItem)
                                      << "14:00, 1400 öre per kWh" << "" << true;
        QTest::newRow("hour without price") << QList<int>{3, 5} << int(QAccessible::ListItem) << "05:00, no price"
                                            << "" << false;
    }
    void screenReaderSees()
    {
        QFETCH(QList<int>, path);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(QString, alongside);
        QFETCH(bool, checkedOrSelected);
        Panel panel(day([](auto &records) { records.erase(records.begin() + 5); }));
        panel.load();
        QCOMPARE(accessibleAt(&panel.view, {})->childCount(), 4);
        QAccessibleInterface *iface = accessibleAt(&panel.view, path);
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QCOMPARE(readAlong(iface), alongside);
        const QAccessible::State state = iface->state();
        QCOMPARE(bool(state.checked || state.selected), checkedOrSelected);
        QCOMPARE(iface->parent()->indexOfChild(iface), path.back());
    }

    void priceValueFollowsTheLoad()
    {
        Panel panel(day());
        QAccessibleInterface *price = accessibleAt(&panel.view, {0});
        // Blank digits: nothing to read.
        QVERIFY(!price->valueInterface());
        QCOMPARE(price->text(QAccessible::Value), QString());

        panel.load();
        QCOMPARE(price->valueInterface()->currentValue(), QVariant(1400));
        QCOMPARE(price->text(QAccessible::Value), QStringLiteral("1400 öre per kWh"));

        // A failed load: no price, and why; the description tells what comes next.
        panel.provider->answer = [](const QDateTime &, Zone) { return Day(); };
        panel.load();
        QVERIFY(!price->valueInterface());
        QCOMPARE(price->text(QAccessible::Value), QStringLiteral("No price: Model were not provided (404)"));
        QCOMPARE(price->text(QAccessible::Description),
                 QStringLiteral("No prices: Model were not provided (404) — trying again in 1 min"));
    }

    void keysChooseAZone_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<bool>("fromChart");
        QTest::addColumn<Zone>("current");
        QTest::addColumn<Zone>("selected");
        QTest::newRow("right moves, does not choose") << QList<int>{Qt::Key_Right} << false << Zone::se4 << Zone::se3;
        QTest::newRow("left wraps round") << QList<int>{Qt::Key_Left, Qt::Key_Left, Qt::Key_Left} << false
                                          << Zone::se4 << Zone::se3;
        QTest::newRow("space chooses") << QList<int>{Qt::Key_Right, Qt::Key_Space} << false << Zone::se4 << Zone::se4;
        QTest::newRow("enter chooses") << QList<int>{Qt::Key_Left, Qt::Key_Return} << false << Zone::se2 << Zone::se2;
        QTest::newRow("digit chooses") << QList<int>{Qt::Key_1} << false << Zone::se1 << Zone::se1;
        QTest::newRow("digit from the chart") << QList<int>{Qt::Key_4} << true << Zone::se4 << Zone::se4;
    }
    void keysChooseAZone()
    {
        QFETCH(QList<int>, keys);
        QFETCH(bool, fromChart);
        QFETCH(Zone, current);
        QFETCH(Zone, selected);
        Panel panel(day());
        test_support::CapturedOutput quiet;
        activate(panel.view);
        QTRY_COMPARE(panel.model.state(), ContentViewModel::State::loaded);
        const auto calls = panel.provider->calls.size();
        display::ZoneBar *zones = panel.view.zoneBar();
        QCOMPARE(QApplication::focusWidget(), zones);
        if (fromChart)
            QTest::keyClick(zones, Qt::Key_Tab);
        for (int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));

        QCOMPARE(zones->currentZone(), current);
        QCOMPARE(panel.model.selectedZone(), selected);
        QTRY_COMPARE(panel.provider->calls.size(), calls + (selected == Zone::se3 ? 0 : 1));
        QAccessibleInterface *zone = accessibleAt(&panel.view, {2, int(current)});
        QCOMPARE(bool(zone->state().focused), !fromChart);
        QVERIFY(accessibleAt(&panel.view, {2, int(selected)})->state().checked);
    }

    void keysMoveTheChartsHour()
    {
        test_support::CapturedOutput quiet;
        Panel panel(day([](auto &records) { records.erase(records.begin() + 15); }));
        panel.load();
        activate(panel.view);
        Equalizer *chart = panel.view.equalizer();
        QTest::keyClick(panel.view.zoneBar(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), chart);
        QCOMPARE(chart->focusedHour(), 14);

        const QList<std::tuple<Qt::Key, int, QString>> steps{
            {Qt::Key_Right, 15, QString()}, // no price, no tip
            {Qt::Key_Right, 16, QStringLiteral("1600 öre / kwh")},
            {Qt::Key_Home, 0, QStringLiteral("0 öre / kwh")},
            {Qt::Key_Left, 0, QStringLiteral("0 öre / kwh")},
            {Qt::Key_End, 23, QStringLiteral("2300 öre / kwh")},
        };
        for (const auto &[key, hour, tip] : steps) {
            QTest::keyClick(chart, key);
            QCOMPARE(chart->focusedHour(), hour);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
            QVERIFY(accessibleAt(&panel.view, {3, hour})->state().focused);
        }
        QToolTip::hideText();
    }

    void focusShowsOnlyFromTheKeyboard()
    {
        test_support::CapturedOutput quiet;
        Panel panel(day());
        panel.load();
        activate(panel.view);
        display::ZoneBar *zones = panel.view.zoneBar();
        // The left edge of an outline round SE1, a dark label without glow.
        const QRectF se1 = panel.view.panelLayout().zones[std::size_t(Zone::se1)];
        const QRectF edge(se1.left() - 4, se1.top(), 2, se1.height());
        auto outlined = [&] { return brightest(panel.render(), edge) > 120; };

        // Focus that came with the window does not show.
        QVERIFY(zones->hasFocus());
        QVERIFY(!zones->isFocusShown());
        QTest::keyClick(zones, Qt::Key_Left);
        QTest::keyClick(zones, Qt::Key_Left);
        QVERIFY(zones->isFocusShown());
        QVERIFY(outlined());
        QTest::mouseClick(zones, Qt::LeftButton, {}, QPoint(0, 0));
        QVERIFY(!zones->isFocusShown());
        QVERIFY(!outlined());

        // Tab brings it, on the chart too; a click there hides it.
        QTest::keyClick(zones, Qt::Key_Tab);
        QVERIFY(panel.view.equalizer()->isFocusShown());
        QTest::mouseClick(panel.view.equalizer(), Qt::LeftButton);
        QVERIFY(!panel.view.equalizer()->isFocusShown());
        QTest::keyClick(panel.view.equalizer(), Qt::Key_Backtab);
        QVERIFY(zones->isFocusShown());
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
