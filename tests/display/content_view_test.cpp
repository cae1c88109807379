#include "digit/digit.h"
#include "api_client/response.h"
#include "api_client/transport_error.h"
#include "display/content_view.h"
#include "display/day_switch.h"
#include "display/equalizer.h"
#include "display/status_strip.h"
#include "display/zone_bar.h"
#include "price/content_view_model.h"

#include "tests/support/captured_output.h"
#include "tests/support/run_task.h"
#include "tests/support/scripted_provider.h"

#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QToolTip>

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
        : clock(now)
        , provider(std::make_shared<ScriptedProvider>(std::move(answer)))
        , model(provider, [this] { return clock; })
        , view(&model)
    {}

    // Loads the day: the provider answers at once.
    void load()
    {
        test_support::CapturedOutput quiet;
        QVERIFY(test_support::runTask(model.loadPrices()).succeeded());
    }

    QImage render() const
    {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(ContentView::backdropColor);
        QPainter painter(&image);
        const_cast<ContentView &>(view).render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    QDateTime clock;
    std::shared_ptr<ScriptedProvider> provider;
    ContentViewModel model;
    ContentView view;
};

int isRed(QRgb pixel)
{
    return qRed(pixel) > 60 && qRed(pixel) > 3 * qGreen(pixel) + 20;
}

// The largest of `measure` over the pixels of `area`.
int most(const QImage &image, const QRectF &area, int (*measure)(QRgb) = qGray)
{
    int best = 0;
    const QRect pixels = area.toAlignedRect() & image.rect();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            best = std::max(best, measure(image.pixel(x, y)));
    }
    return best;
}

QAccessibleInterface *accessibleAt(QWidget *widget, const QList<int> &path)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    for (int index : path)
        iface = iface ? iface->child(index) : nullptr;
    return iface;
}

// A panel in a window of its own that has the keyboard, its day loaded.
void activate(ContentView &view)
{
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    // The day switch and the strip come a moment after the first frame.
    QTRY_VERIFY(view.statusStrip()->isVisible() && view.daySwitch()->isVisible());
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
        QVERIFY(layout.contentHeight <= 360);
        // Five equal digits, ten apart, thickness 2 % of the width.
        for (std::size_t i = 1; i < 5; ++i) {
            QCOMPARE(layout.digits[i].width(), layout.digits[0].width());
            QCOMPARE(layout.digits[i].left() - layout.digits[i - 1].right(), 10.0);
        }
        QCOMPARE(panel.view.digits()[0]->thickness(), 8.0);
        QCOMPARE(panel.view.headerTitle(), QStringLiteral("SPOT PRICE"));
        QCOMPARE(Panel(day(), QDateTime(QDate(2025, 10, 25), QTime(9, 5))).view.headerDate(), "LÖRDAG 25 OKT. 2025, 09:00");
    }

    // Untouched, the panel's own elements are drawn as they always were:
    // the reference was drawn before anything was added to the panel, and
    // only the free space that new things use (outside()) may differ.
    void panelAsItWas()
    {
        Panel panel(day());
        panel.load();
        const QImage image = panel.render().convertToFormat(QImage::Format_RGB32);
        const QString reference = QFINDTESTDATA("panel_reference.png");
        if (qEnvironmentVariableIsSet("TARIMO_WRITE_REFERENCE"))
            QVERIFY(image.save(qEnvironmentVariable("TARIMO_WRITE_REFERENCE")));
        const QImage before = QImage(reference).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(before.size(), image.size());
        const QRegion added = panel.view.addedElements();
        int differing = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                differing += !added.contains(QPoint(x, y)) && image.pixel(x, y) != before.pixel(x, y);
        }
        QCOMPARE(differing, 0);
    }

    // The strip says what the panel shows, or what the program is doing;
    // screen readers read the same. Hour h costs h kronor, but 1 öre from
    // 22 to 01 in the row across midnight.
    void stripSays_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("run");
        QTest::newRow("loading") << "holding" << "Loading prices…" << "";
        QTest::newRow("no connection") << "refused" << "No connection · tries again at 14:21" << "";
        QTest::newRow("no prices") << "nothing" << "The service has no prices for this day · tries again at 14:21" << "";
        QTest::newRow("today") << "" << "Today: lowest 0 öre at 00, mean 1150, highest 2300 at 23"
                               << "Cheapest 3 h: 14–17 today, mean 1500 öre";
        QTest::newRow("saved") << "saved" << "Saved prices: lowest 0 öre at 00, mean 1150, highest 2300 at 23"
                               << "Cheapest 3 h: 14–17 today, mean 1500 öre";
        QTest::newRow("with VAT") << "vat" << "Today: lowest 0 öre at 00, mean 1438, highest 2875 at 23"
                                  << "Cheapest 3 h: 14–17 today, mean 1875 öre";
        QTest::newRow("tomorrow, across midnight") << "tomorrow" << "Tomorrow: lowest 1 öre at 00, mean 1150, highest 2300 at 23"
                                                   << "Cheapest 3 h: 22–01 today to tomorrow, mean 1 öre";
        QTest::newRow("tomorrow not out") << "not published" << "Tomorrow's prices are not published yet · next try at 15:20"
                                          << "Cheapest 3 h: 14–17 today, mean 1500 öre";
    }
    void stripSays()
    {
        QFETCH(QString, setup);
        QFETCH(QString, summary);
        QFETCH(QString, run);
        Panel panel(day([&](auto &records) {
            const bool tomorrow = records.front().timeStart->toLocalTime().date() != QDate(2025, 11, 12);
            if (setup != u"tomorrow")
                return;
            for (int hour : tomorrow ? QList<int>{0} : QList<int>{22, 23})
                records[std::size_t(hour)].spotPriceSEK = 0.01;
        }));
        panel.provider->savedCopyAfter = setup == u"saved" ? std::optional(QStringLiteral("Host not found")) : std::nullopt;
        panel.provider->fetchesAhead = true;
        if (setup == u"not published")
            panel.provider->aheadFailure = std::make_exception_ptr(api_client::Client::ErrorResponse(std::nullopt, api_client::HttpStatusCode::notFound));
        panel.model.setIncludesVat(setup == u"vat");
        test_support::CapturedOutput quiet;
        if (setup == u"holding") {
            panel.provider->holding = true;
            panel.model.reload();
            QTRY_COMPARE(panel.model.state(), ContentViewModel::State::loading);
        } else {
            if (setup == u"refused")
                panel.provider->answer = [](const QDateTime &, Zone) -> Day { throw api_client::TransportError(QNetworkReply::ConnectionRefusedError, "Connection refused"); };
            if (setup == u"nothing")
                panel.provider->answer = [](const QDateTime &, Zone) { return Day(); };
            panel.load();
        }
        if (setup == u"tomorrow" || setup == u"not published") {
            panel.view.showDay(1);
            QTRY_VERIFY(!panel.model.isFetchingAhead());
        }
        display::StatusStrip *strip = panel.view.statusStrip();
        QCOMPARE(strip->summaryLine(), summary);
        QCOMPARE(strip->runLine(), run);
        QAccessibleInterface *spoken = accessibleAt(&panel.view, {5});
        QCOMPARE(spoken->text(QAccessible::Name), run.isEmpty() ? summary : summary + u'\n' + run);
        // The technical reason of a failure, for those who want it.
        QCOMPARE(strip->toolTip(), panel.model.state() == ContentViewModel::State::error ? panel.model.lastError() : QString());
        QCOMPARE(strip->toolTip().isEmpty(), setup != u"refused" && setup != u"nothing");
        if (setup == u"holding")
            panel.provider->release(0);
    }

    // Tomorrow cannot be asked for before 13:00; once held, PageDown shows
    // it as the hours that day has (25 on the autumn change), with no clock
    // hour, until a minute passes without input, or Escape, or midnight.
    void tomorrowInTheChart()
    {
        QDateTime now(QDate(2025, 10, 25), QTime(12, 40));
        // Tomorrow costs 100 kronor more, on a scale of its own.
        Panel panel(day([](auto &records) {
            for (auto &record : records)
                record.spotPriceSEK = *record.spotPriceSEK + (record.timeStart->toLocalTime().date().day() == 26 ? 100 : 0);
        }), now);
        panel.model.disconnect(panel.model.timer()); // ticks come from the test
        panel.provider->fetchesAhead = true;
        test_support::CapturedOutput quiet;
        activate(panel.view);
        QTRY_COMPARE(panel.model.state(), ContentViewModel::State::loaded);
        Equalizer *chart = panel.view.equalizer();
        QTest::keyClick(&panel.view, Qt::Key_PageDown);
        QVERIFY(panel.view.shownDay() == 0 && panel.provider->aheadCalls.empty());
        QVERIFY(accessibleAt(&panel.view, {3, 1})->state().disabled);

        panel.clock = QDateTime(QDate(2025, 10, 25), QTime(13, 2));
        QTest::keyClick(&panel.view, Qt::Key_PageDown);
        QTRY_COMPARE(panel.model.tomorrow(), ContentViewModel::Tomorrow::held);
        QCOMPARE(panel.view.shownDay(), 1);
        const int hours = QDateTime(QDate(2025, 10, 26), QTime(0, 0)).secsTo(QDateTime(QDate(2025, 10, 27), QTime(0, 0))) / 3600;
        QCOMPARE(chart->columnCount(), hours);
        QCOMPARE(chart->currentHour(), -1);
        QCOMPARE(chart->priceTip(hours - 1), QStringLiteral("12300 öre / kwh"));
        QVERIFY(chart->isLit(hours - 1, 0) && !chart->isLit(0, 37));
        QCOMPARE(accessibleAt(&panel.view, {4})->text(QAccessible::Name), QStringLiteral("Prices by hour, tomorrow"));

        // Input puts the return off: the minute starts again.
        auto *back = panel.view.findChild<QTimer *>(QStringLiteral("backToToday"));
        QVERIFY(back && back->isActive());
        back->setInterval(10'000);
        QTest::qWait(1000);
        QTest::keyClick(chart, Qt::Key_A);
        QVERIFY2(back->remainingTime() > 9'500, qPrintable(QString::number(back->remainingTime())));
        back->setInterval(1);
        back->start();
        QTRY_COMPARE(panel.view.shownDay(), 0);
        QCOMPARE(chart->columnCount(), 24);
        QTest::keyClick(&panel.view, Qt::Key_PageDown);
        QTest::keyClick(&panel.view, Qt::Key_Escape);
        QCOMPARE(panel.view.shownDay(), 0);
        // + and − on either keyboard, and the wheel over the strip, from 1 to 8 hours.
        QTest::keyClick(&panel.view, Qt::Key_Plus, Qt::KeypadModifier);
        QTest::keyClick(&panel.view, Qt::Key_Plus);
        QCOMPARE(panel.model.cheapestRunLength(), 5);
        for (int notch = 0; notch < 6; ++notch) {
            QWheelEvent wheel(QPointF(5, 5), panel.view.statusStrip()->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120),
                              Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(panel.view.statusStrip(), &wheel);
        }
        QCOMPARE(panel.model.cheapestRunLength(), 1);
        QTest::keyClick(&panel.view, Qt::Key_PageDown);
        panel.clock = QDateTime(QDate(2025, 10, 26), QTime(0, 0, 30));
        panel.model.tick();
        QCOMPARE(panel.view.shownDay(), 0);
    }

    void levels_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("lit");
        QTest::addColumn<int>("first"); // the chart's cells, [first, end)
        QTest::addColumn<int>("end");
        QTest::newRow("dearest lights all") << 23 << 38 << 0 << 38;
        QTest::newRow("cheapest lights none") << 0 << 0 << 0 << 38;
        QTest::newRow("half lights the bottom 19") << 12 << 19 << 0 << 38;
        QTest::newRow("missing hour is dark") << 5 << 0 << 0 << 38;
        QTest::newRow("hour without price is dark") << 6 << 0 << 0 << 38;
        QTest::newRow("equal prices light nothing") << -1 << 0 << 0 << 38;
        QTest::newRow("a range from 10 lights by its count") << 12 << 5 << 10 << 20;
    }
    void levels()
    {
        QFETCH(int, hour);
        QFETCH(int, lit);
        QFETCH(int, first);
        QFETCH(int, end);
        Panel panel(day([hour](auto &records) {
            records[12].spotPriceSEK = 11.5; // (11.5 - 0) / (23 - 0) = 0.5
            records[6].spotPriceSEK.reset();
            records.erase(records.begin() + 5);
            for (auto &record : records)
                record.spotPriceSEK = hour < 0 ? 0.42 : record.spotPriceSEK;
        }));
        panel.load();
        hour = hour < 0 ? 12 : hour;
        // The panel's chart, or one of its own for another range.
        const bool panelsRange = first == 0 && end == ContentView::cellCount;
        Equalizer own(&panel.model, first, end);
        own.resize(own.sizeHint());
        const Equalizer &chart = panelsRange ? *panel.view.equalizer() : own;
        // 24 columns, whatever the records.
        QCOMPARE(chart.columnRect(23).right(), qreal(chart.width()));

        // The lit run is at the bottom, and what is drawn agrees.
        const QImage image = panelsRange ? panel.render() : own.grab().toImage();
        const QPointF offset = panelsRange ? chart.pos() : QPoint();
        for (int cell = first; cell < end; ++cell) {
            QCOMPARE(chart.isLit(hour, cell), cell >= end - lit);
            QCOMPARE(isRed(image.pixel((chart.cellRect(hour, cell).center() + offset).toPoint())), cell >= end - lit);
        }
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
                const int light = most(image, panel.view.panelLayout().zones[std::size_t(zone)]);
                QVERIFY2(zone == selected ? light > 150 : light < 60, qPrintable(QString::number(light)));
            }
        }
    }

    // A click selects and loads, also the zone already selected; a click
    // between labels selects nothing.
    void clickingAZoneSelectsItAndLoads()
    {
        Panel panel(day());
        test_support::CapturedOutput quiet;
        display::ZoneBar *zones = panel.view.zoneBar();
        const QPoint se1 = zones->labelRect(Zone::se1).center().toPoint();
        const QPoint between(int(zones->labelRect(Zone::se2).left()) - 3, se1.y());
        for (const auto &[where, calls] : {std::pair(se1, 1u), std::pair(se1, 2u), std::pair(between, 2u)}) {
            QTest::mouseClick(zones, Qt::LeftButton, {}, where);
            QCoreApplication::processEvents();
            QCOMPARE(panel.provider->calls.size(), std::size_t(calls));
            QCOMPARE(panel.provider->calls.back().zone, Zone::se1);
        }
    }

    // Blank digits show only faint segments; a negative price its minus bar.
    void digitsAsDrawn()
    {
        Panel panel(day([](auto &records) { records[14].spotPriceSEK = -0.5; }));
        QImage image = panel.render();
        QCOMPARE(most(image, panel.view.panelLayout().digitRow(), isRed), 0);
        // The unlit segments are there, only faint: darker than the gaps.
        const QRectF first = panel.view.panelLayout().digits[0];
        const QPoint segment = (first.topLeft() + QPointF(4, first.height() / 4)).toPoint();
        const QPoint gap = segment + QPoint(10, 0);
        QVERIFY(qGray(image.pixel(segment)) < qGray(image.pixel(gap)));

        panel.load();
        QCOMPARE(panel.view.digits()[2]->value(), 10);
        image = panel.render();
        const QRectF minus = panel.view.panelLayout().digits[2];
        QVERIFY(isRed(image.pixel(minus.center().toPoint())));
        QVERIFY(!isRed(image.pixel((minus.topLeft() + QPointF(minus.width() / 2, 4)).toPoint())));
    }

    void screenReaderSees_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("alongside");
        QTest::addColumn<bool>("checkedOrSelected");
        const int text = QAccessible::StaticText, zone = QAccessible::RadioButton, hour = QAccessible::ListItem;
        QTest::newRow("price") << QList<int>{0} << text << "Spot price" << "1400 öre per kWh" << false;
        QTest::newRow("date line") << QList<int>{1} << text << "onsdag 12 nov. 2025, 14:00" << "onsdag 12 nov. 2025, 14:00" << false;
        QTest::newRow("selected zone") << QList<int>{2, 2} << zone << "SE3" << "SE3, Stockholm" << true;
        QTest::newRow("other zone") << QList<int>{2, 3} << zone << "SE4" << "SE4, Malmö" << false;
        QTest::newRow("clock's hour") << QList<int>{4, 14} << hour << "14:00, 1400 öre per kWh" << "" << true;
        QTest::newRow("hour without price") << QList<int>{4, 5} << hour << "05:00, no price" << "" << false;
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
        QAccessibleInterface *iface = accessibleAt(&panel.view, path);
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        // A text's content, or else the description.
        QAccessibleTextInterface *content = iface->textInterface();
        QCOMPARE(content ? content->text(0, content->characterCount()) : iface->text(QAccessible::Description), alongside);
        QCOMPARE(bool(iface->state().checked || iface->state().selected), checkedOrSelected);
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
        QTest::newRow("left wraps round") << QList<int>{Qt::Key_Left, Qt::Key_Left, Qt::Key_Left} << false << Zone::se4 << Zone::se3;
        QTest::newRow("space chooses") << QList<int>{Qt::Key_Right, Qt::Key_Space} << false << Zone::se4 << Zone::se4;
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
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // past the days
        QCOMPARE(QApplication::focusWidget(), chart);
        QCOMPARE(chart->focusedHour(), 14);

        for (const auto &[key, hour, tip] : {std::tuple(Qt::Key_Right, 15, QString()), // no price, no tip
                                             std::tuple(Qt::Key_Right, 16, QStringLiteral("1600 öre / kwh")),
                                             std::tuple(Qt::Key_Home, 0, QStringLiteral("0 öre / kwh"))}) {
            QTest::keyClick(chart, key);
            QCOMPARE(chart->focusedHour(), hour);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
            QVERIFY(accessibleAt(&panel.view, {4, hour})->state().focused);
        }
        QToolTip::hideText();
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
};

QTEST_MAIN(ContentViewTest)
#include "content_view_test.moc"
