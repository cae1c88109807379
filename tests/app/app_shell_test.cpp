#include "app/about_view.h"
#include "app/ampello_app.h"
#include "app/main_window.h"
#include "app/window_chrome.h"
#include "app/window_control_button.h"
#include "display/content_view.h"
#include "display/equalizer.h"
#include "display/zone_bar.h"
#include "price/request.h"

#include "tests/support/captured_output.h"
#include "tests/support/price_day.h"
#include "tests/support/test_server.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QToolTip>

using namespace tarimo;
using app::AboutView;
using app::AmpelloApp;
using test_support::CapturedOutput;
using test_support::TestServer;
using namespace std::chrono_literals;

namespace {

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->isWindow() && !qobject_cast<QMenu *>(widget))
            windows.append(widget);
    }
    return windows;
}

QStringList labelTexts(const QWidget &widget)
{
    QStringList texts;
    for (const QLabel *label : widget.findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            texts.append(label->text());
    }
    return texts;
}

app::WindowChrome *chromeOf(QWidget *window)
{
    return window->findChild<app::WindowChrome *>(QString(), Qt::FindDirectChildrenOnly);
}

QImage grabbed(QWidget *window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle holding every pixel where the two images differ.
QRect difference(const QImage &a, const QImage &b)
{
    QRect changed;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
        }
    }
    return changed;
}

} // namespace

class AppShellTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<CapturedOutput> m_output;
    std::unique_ptr<AmpelloApp> m_app;

private Q_SLOTS:
    void init()
    {
        m_server = TestServer::https();
        m_server->serveJson(QStringLiteral("/api/v1/prices/2025/11-12_SE3.json"),
                            test_support::serviceDay(QDate(2025, 11, 12), 15, test_support::hourNumberPrice));
        m_output = std::make_unique<CapturedOutput>();
        // The program's own constructor, with the service's address and
        // trust (and the clock) put in.
        const QDateTime now(QDate(2025, 11, 12), QTime(14, 20));
        m_app = std::make_unique<AmpelloApp>(
            std::make_shared<price::Request>(m_server->baseUrl(), m_server->makeTransport()),
            [now] { return now; });
    }

    void cleanup()
    {
        m_app.reset();
        m_output.reset();
        m_server.reset();
    }

    void oneFixedWindowShowsTheHour()
    {
        QCOMPARE(visibleWindows(), QList<QWidget *>{m_app->mainWindow()});
        auto *window = m_app->mainWindow();
        QCOMPARE(window->size(), QSize(400, 360));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->windowTitle(), QStringLiteral("Tarimo"));

        // Showing the panel loaded the day from the service.
        QTRY_COMPARE(m_app->viewModel()->state(), price::ContentViewModel::State::loaded);
        const auto &digits = m_app->viewModel()->spotPrice();
        QCOMPARE((QList<qint64>{digits.digitOne, digits.digitTwo, digits.digitThree, digits.digitFour, digits.digitFive}),
                 (QList<qint64>{12, 1, 4, 1, 5}));
        QCOMPARE(m_server->requestCount(), 1);
        QCOMPARE(m_app->viewModel()->selectedZone(), price::Zone::se3);
        // The icon follows the first frame.
        QTRY_VERIFY(!window->windowIcon().isNull());
    }

    void menuHoldsAboutAndQuitOnly()
    {
        const QList<QAction *> actions = m_app->applicationMenu()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text(), QStringLiteral("About Tarimo"));
        QCOMPARE(actions[0]->menuRole(), QAction::AboutRole);
        QCOMPARE(actions[1]->menuRole(), QAction::QuitRole);
        QCOMPARE(actions[1]->shortcut(), QKeySequence(QKeySequence::Quit));
        QVERIFY(m_app->mainWindow()->actions().contains(actions[1]));
    }

    void rightClickOpensTheMenu()
    {
        auto *panel = m_app->mainWindow()->contentView();
        const QPoint inside(200, 200);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, panel->mapToGlobal(inside));
        QApplication::sendEvent(panel, &event);
        QTRY_VERIFY(m_app->applicationMenu()->isVisible());
        m_app->applicationMenu()->hide();
    }

    void aboutOpensOneWindow()
    {
        auto *window = m_app->mainWindow();
        const QRect before = window->geometry();
        m_app->aboutAction()->trigger();
        AboutView *about = m_app->aboutView();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->size(), QSize(300, 300));
        QCOMPARE(about->minimumSize(), about->maximumSize());

        m_app->aboutAction()->trigger();
        QCOMPARE(m_app->aboutView(), about);
        QCOMPARE(visibleWindows().size(), 2);
        QCOMPARE(window->geometry(), before);
        QVERIFY(window->isVisible());

        // Escape closes it; About opens it again.
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(!about->isVisible());
        QCOMPARE(visibleWindows(), QList<QWidget *>{window});
        m_app->aboutAction()->trigger();
        QVERIFY(m_app->aboutView()->isVisible());
    }

    void aboutCreditsTheService()
    {
        QList<QUrl> opened;
        AboutView about([&](const QUrl &url) { opened.append(url); });
        const QStringList texts = labelTexts(about);
        QVERIFY(texts.contains(QStringLiteral("Tarimo")));
        QVERIFY(texts.contains(QStringLiteral("Data provided by:")));
        QVERIFY(texts.contains(QStringLiteral("Version " TARIMO_VERSION)));
        const QString createdBy = texts.filter(QStringLiteral("created by")).value(0);
        QCOMPARE(createdBy, createdBy.toLower());
        QVERIFY(createdBy.startsWith(QStringLiteral("created by ")));

        QPushButton *badge = about.serviceButton();
        QCOMPARE(badge->height(), 32);
        QVERIFY(badge->width() > 32);
        QTest::mouseClick(badge, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://www.elprisetjustnu.se"))});
        QVERIFY(!badge->hasFocus());

        // From the keyboard: Tab reaches the link, Enter opens it.
        about.show();
        about.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QTest::keyClick(&about, Qt::Key_Tab);
        QVERIFY(badge->hasFocus());
        QTest::keyClick(badge, Qt::Key_Return);
        QCOMPARE(opened.size(), 2);

        // A screen reader reads the texts and the link.
        QStringList read;
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&about);
        for (int i = 0; i < window->childCount(); ++i)
            read.append(window->child(i)->text(QAccessible::Name));
        QCOMPARE(read, (QStringList{"Tarimo logo", "Tarimo", "Version " TARIMO_VERSION, createdBy, "Data provided by:",
                                    "elprisetjustnu.se"}));
    }

    void keysGoRoundThePriceWindow()
    {
        auto *window = m_app->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(QAccessible::queryAccessibleInterface(window)->role(), QAccessible::Window);
        auto *panel = window->contentView();
        app::WindowChrome *chrome = chromeOf(window);
        const QList<QWidget *> round{panel->equalizer(), chrome->closeButton(), chrome->minimiseButton(),
                                     panel->zoneBar()};
        // The zones have the keys first.
        QCOMPARE(QApplication::focusWidget(), panel->zoneBar());
        for (QWidget *next : round) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), chrome->minimiseButton());
        QVERIFY(chrome->minimiseButton()->isRevealed());
    }

    void windowControls_data()
    {
        QTest::addColumn<bool>("about");
        QTest::newRow("price window") << false;
        QTest::newRow("about window") << true;
    }
    void windowControls()
    {
        QFETCH(bool, about);
        QTRY_COMPARE(m_app->viewModel()->state(), price::ContentViewModel::State::loaded);
        if (about)
            m_app->openAbout();
        QWidget *window = about ? static_cast<QWidget *>(m_app->aboutView()) : m_app->mainWindow();
        app::WindowChrome *chrome = chromeOf(window);
        QVERIFY(chrome);
        const QRect controls = chrome->closeButton()->geometry() | chrome->minimiseButton()->geometry();

        // Nothing laid out is under them: they stay in the top margin.
        QVERIFY(controls.bottom() < 16);
        QVERIFY(controls.left() >= 0 && controls.top() >= 0);
        if (!about) {
            const auto &layout = m_app->mainWindow()->contentView()->panelLayout();
            QCOMPARE(layout.header.topLeft(), QPointF(16, 16));
            QVERIFY(!QRectF(controls).intersects(layout.header));
        }

        // Drawn while the pointer is over the window, only inside their own
        // rectangles; gone again when it leaves.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(window, &leave);
        const QImage away = grabbed(window);
        QEnterEvent enter(QPointF(150, 150), QPointF(150, 150), window->mapToGlobal(QPointF(150, 150)));
        QApplication::sendEvent(window, &enter);
        const QImage over = grabbed(window);
        const QRect changed = difference(away, over);
        QVERIFY(!changed.isEmpty());
        QVERIFY(controls.contains(changed));
        QApplication::sendEvent(window, &leave);
        QCOMPARE(grabbed(window), away);

        // Minimise minimises; close closes About and quits from the price window.
        QSignalSpy quit(m_app->quitAction(), &QAction::triggered);
        QTest::mouseClick(chrome->minimiseButton(), Qt::LeftButton);
        QVERIFY(window->windowState() & Qt::WindowMinimized);
        window->showNormal();
        QTest::mouseClick(chrome->closeButton(), Qt::LeftButton);
        QCOMPARE(quit.size(), about ? 0 : 1);
        QCOMPARE(window->isVisible(), !about);
    }

    void controlsShowWithKeyboardFocus()
    {
        m_app->openAbout();
        AboutView *about = m_app->aboutView();
        QVERIFY(QTest::qWaitForWindowActive(about));
        app::WindowChrome *chrome = chromeOf(about);
        QVERIFY(!chrome->closeButton()->isRevealed());
        // Tab goes round the link and the two controls.
        for (int i = 0; i < 3 && !chrome->closeButton()->hasFocus(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(chrome->closeButton()->hasKeyboardFocus());
        QVERIFY(chrome->closeButton()->isRevealed() && chrome->minimiseButton()->isRevealed());
        QTest::keyClick(chrome->closeButton(), Qt::Key_Space);
        QVERIFY(!about->isVisible());

        // Ctrl+W closes it too.
        m_app->openAbout();
        QVERIFY(about->isVisible());
        QTest::keyClick(about, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!about->isVisible());
    }

    void onlyADragMovesTheWindow_data()
    {
        const int threshold = QGuiApplication::styleHints()->startDragDistance();
        QTest::addColumn<int>("distance");
        QTest::addColumn<bool>("moves");
        QTest::newRow("instant click") << 0 << false;
        QTest::newRow("tremble") << threshold - 1 << false;
        QTest::newRow("drag") << threshold << true;
    }
    void onlyADragMovesTheWindow()
    {
        QFETCH(int, distance);
        QFETCH(bool, moves);
        auto *panel = m_app->mainWindow()->contentView();
        QSignalSpy moved(chromeOf(m_app->mainWindow()), &app::WindowChrome::moveStarted);
        // The background below the chart.
        const QPoint background(200, 350);
        QTest::mousePress(panel, Qt::LeftButton, {}, background);
        QTest::mouseMove(panel, background + QPoint(distance, 0));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, background + QPoint(distance, 0));
        QCOMPARE(moved.size(), moves ? 1 : 0);
        // A zone label is no handle.
        auto *zones = panel->zoneBar();
        const QPoint se1 = zones->labelRect(price::Zone::se1).center().toPoint();
        QTest::mousePress(zones, Qt::LeftButton, {}, se1);
        QTest::mouseMove(zones, se1 + QPoint(20, 0));
        QTest::mouseRelease(zones, Qt::LeftButton);
        QCOMPARE(moved.size(), moves ? 1 : 0);
    }

    void priceStatusSaysWhatIsGoingOn_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("status"); // a pattern
        const QString retry = QStringLiteral(" — trying again in 1 min");
        QTest::newRow("loaded") << QByteArray("day") << QString();
        QTest::newRow("loading") << QByteArray("slow") << QStringLiteral("Loading prices…");
        QTest::newRow("not found") << QByteArray("404")
                                   << "No prices: Service responded with error \\(404 notFound\\)" + retry;
        QTest::newRow("undecodable") << QByteArray("garbage")
                                     << "No prices: Cannot decode \\[0\\]\\.SEK_per_kWh: expected a number but found…" + retry;
        QTest::newRow("no connection") << QByteArray("closed")
                                       << "No prices: Connection refused \\(127\\.0\\.0\\.1:\\d+\\)" + retry;
    }
    void priceStatusSaysWhatIsGoingOn()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, status);
        m_app.reset();
        const QString path = QStringLiteral("/api/v1/prices/2025/11-12_SE3.json");
        auto server = TestServer::https();
        if (answer == "day")
            server->serveJson(path, test_support::serviceDay(QDate(2025, 11, 12), 60, test_support::hourNumberPrice));
        else if (answer == "slow")
            server->serve(path, test_support::Answer::json("[]").withDelay(30s));
        else if (answer == "404")
            server->serve(path, test_support::Answer::make(404));
        else if (answer == "garbage")
            server->serveJson(path, R"([{"SEK_per_kWh": "cheap"}])");
        const QUrl base = server->baseUrl();
        auto transport = server->makeTransport();
        if (answer == "closed")
            server.reset();
        const QDateTime now(QDate(2025, 11, 12), QTime(14, 20));
        m_app = std::make_unique<AmpelloApp>(std::make_shared<price::Request>(base, transport), [now] { return now; });

        auto *panel = m_app->mainWindow()->contentView();
        const auto *model = m_app->viewModel();
        if (answer == "slow")
            QTRY_VERIFY(server->requestCount() == 1);
        else
            QTRY_VERIFY(model->state() == price::ContentViewModel::State::loaded
                        || model->state() == price::ContentViewModel::State::error);
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(status));
        QVERIFY2(pattern.match(panel->priceStatus()).hasMatch(), qPrintable(panel->priceStatus()));
        if (answer == "404") {
            // The pause grows after the retry fails too.
            m_app->viewModel()->tick();
            QTRY_VERIFY(panel->priceStatus().endsWith(QStringLiteral(" — trying again in 2 min")));
        }

        // The digits' tooltip and the price's accessible description say it.
        const QPoint digit = panel->panelLayout().digits[2].center().toPoint();
        QToolTip::hideText();
        QWidget *under = panel->childAt(digit);
        QHelpEvent help(QEvent::ToolTip, under->mapFrom(panel, digit), panel->mapToGlobal(digit));
        QApplication::sendEvent(under, &help);
        QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), panel->priceStatus());
        QAccessibleInterface *price = QAccessible::queryAccessibleInterface(panel)->child(0);
        QCOMPARE(price->text(QAccessible::Description), panel->priceStatus());
    }

    void chartTipsWhileAnotherWindowIsActive()
    {
        QTRY_COMPARE(m_app->viewModel()->state(), price::ContentViewModel::State::loaded);
        m_app->openAbout();
        QVERIFY(QTest::qWaitForWindowActive(m_app->aboutView()));
        QVERIFY(!m_app->mainWindow()->isActiveWindow());

        auto *chart = m_app->mainWindow()->contentView()->equalizer();
        QTest::mouseMove(chart, chart->columnRect(14).center().toPoint());
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("1415 öre / kwh"));
        // The next column's price follows at once.
        QTest::mouseMove(chart, chart->columnRect(15).center().toPoint());
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("1515 öre / kwh"));
        QToolTip::hideText();
    }

    void zoneClickInTheWindowSelects()
    {
        QTRY_COMPARE(m_app->viewModel()->state(), price::ContentViewModel::State::loaded);
        m_server->serveJson(QStringLiteral("/api/v1/prices/2025/11-12_SE1.json"), "[]");
        auto *panel = m_app->mainWindow()->contentView();
        const QPoint se1 = panel->zoneBar()->labelRect(price::Zone::se1).center().toPoint();
        QTest::mouseClick(panel->zoneBar(), Qt::LeftButton, {}, se1);
        QCOMPARE(m_app->viewModel()->selectedZone(), price::Zone::se1);
        QVERIFY(m_server->waitForRequests(2));
        QCOMPARE(m_server->lastRequest().path(), QStringLiteral("/api/v1/prices/2025/11-12_SE1.json"));
    }
};

QTEST_MAIN(AppShellTest)
#include "app_shell_test.moc"
