#include "app/about_view.h"
#include "app/ampello_app.h"
#include "app/main_window.h"
#include "app/window_chrome.h"
#include "app/window_control_button.h"
#include "display/content_view.h"
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

using namespace tarimo;
using app::AmpelloApp;
using test_support::TestServer;
using State = price::ContentViewModel::State;

namespace {

const QString dayPath = QStringLiteral("/api/v1/prices/2025/11-12_SE3.json");

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> windows = QApplication::topLevelWidgets();
    windows.removeIf([](QWidget *w) { return !w->isVisible() || qobject_cast<QMenu *>(w); });
    return windows;
}

app::WindowChrome *chromeOf(QWidget *window)
{
    return window->findChild<app::WindowChrome *>(QString(), Qt::FindDirectChildrenOnly);
}

QImage grabbed(QWidget *window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class AppShellTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<test_support::CapturedOutput> m_output;
    std::unique_ptr<AmpelloApp> m_app;

    // The program's own constructor, with the service's address and trust
    // (and the clock) put in.
    void start(test_support::Answer answer, bool serverGone = false)
    {
        m_app.reset();
        m_server = TestServer::https();
        m_server->serve(dayPath, answer);
        auto request = std::make_shared<price::Request>(m_server->baseUrl(), m_server->makeTransport());
        if (serverGone)
            m_server.reset();
        const QDateTime now(QDate(2025, 11, 12), QTime(14, 20));
        m_app = std::make_unique<AmpelloApp>(request, [now] { return now; });
    }

private Q_SLOTS:
    void init()
    {
        m_output = std::make_unique<test_support::CapturedOutput>();
        start(test_support::Answer::json(test_support::serviceDay(QDate(2025, 11, 12), 15, test_support::hourNumberPrice)));
    }
    void cleanup()
    {
        m_app.reset();
        m_server.reset();
        m_output.reset();
    }

    // One fixed window; its menu, also on a right-click, holds About and
    // Quit only.
    void oneWindowItsMenuAndAbout()
    {
        auto *window = m_app->mainWindow();
        QCOMPARE(visibleWindows(), QList<QWidget *>{window});
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QTRY_COMPARE(m_app->viewModel()->state(), State::loaded);
        QTRY_VERIFY(!window->windowIcon().isNull()); // after the first frame

        QCOMPARE(m_app->applicationMenu()->actions(), (QList<QAction *>{m_app->aboutAction(), m_app->quitAction()}));
        QCOMPARE(m_app->aboutAction()->text(), QStringLiteral("About Tarimo"));
        QCOMPARE(m_app->quitAction()->shortcut(), QKeySequence(QKeySequence::Quit));
        QVERIFY(window->actions().contains(m_app->quitAction()));
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(200, 200), window->mapToGlobal(QPoint(200, 200)));
        QApplication::sendEvent(window->contentView(), &event);
        QTRY_VERIFY(m_app->applicationMenu()->isVisible());
        m_app->applicationMenu()->hide();

        // About opens one fixed window beside it, never a second; Escape closes it.
        const QRect before = window->geometry();
        for (int i = 0; i < 2; ++i)
            m_app->aboutAction()->trigger();
        app::AboutView *about = m_app->aboutView();
        QCOMPARE(visibleWindows().size(), 2);
        QCOMPARE(about->size(), QSize(300, 300));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QCOMPARE(window->geometry(), before);
        QTest::keyClick(about, Qt::Key_Escape);
        QCOMPARE(visibleWindows(), QList<QWidget *>{window});
    }

    // The credits in lower case; the service's badge opens its page.
    void aboutCreditsTheService()
    {
        QList<QUrl> opened;
        app::AboutView about([&](const QUrl &url) { opened.append(url); });
        QStringList texts;
        for (const QLabel *label : about.findChildren<QLabel *>())
            texts.append(label->text());
        QVERIFY(texts.contains(QStringLiteral("Tarimo")) && texts.contains(QStringLiteral("Data provided by:")));
        const QString createdBy = texts.filter(QStringLiteral("created by ")).value(0);
        QVERIFY(createdBy.startsWith(QStringLiteral("created by ")) && createdBy == createdBy.toLower());

        QPushButton *badge = about.serviceButton();
        QCOMPARE(badge->height(), 32);
        QTest::mouseClick(badge, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{price::Request::baseURL()});
    }

    // The window controls show only while the pointer is over the window,
    // only in their own place; minimise minimises, close closes About and
    // quits from the price window.
    void windowControls_data()
    {
        QTest::addColumn<bool>("about");
        QTest::newRow("price window") << false;
        QTest::newRow("about window") << true;
    }
    void windowControls()
    {
        QFETCH(bool, about);
        QTRY_COMPARE(m_app->viewModel()->state(), State::loaded);
        if (about)
            m_app->openAbout();
        QWidget *window = about ? static_cast<QWidget *>(m_app->aboutView()) : m_app->mainWindow();
        app::WindowChrome *chrome = chromeOf(window);
        const QRect controls = chrome->closeButton()->geometry() | chrome->minimiseButton()->geometry();
        QVERIFY(controls.top() >= 0 && controls.bottom() < 16); // in the top margin

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(window, &leave);
        const QImage away = grabbed(window);
        QEnterEvent enter(QPointF(150, 150), QPointF(150, 150), window->mapToGlobal(QPointF(150, 150)));
        QApplication::sendEvent(window, &enter);
        const QImage over = grabbed(window);
        QRect changed;
        for (int y = 0; y < away.height(); ++y) {
            for (int x = 0; x < away.width(); ++x)
                changed |= away.pixel(x, y) != over.pixel(x, y) ? QRect(x, y, 1, 1) : QRect();
        }
        QVERIFY(!changed.isEmpty() && controls.contains(changed));
        QApplication::sendEvent(window, &leave);
        QCOMPARE(grabbed(window), away);

        QSignalSpy quit(m_app->quitAction(), &QAction::triggered);
        QTest::mouseClick(chrome->minimiseButton(), Qt::LeftButton);
        QVERIFY(window->windowState() & Qt::WindowMinimized);
        window->showNormal();
        QTest::mouseClick(chrome->closeButton(), Qt::LeftButton);
        QCOMPARE(quit.size(), about ? 0 : 1);
        QCOMPARE(window->isVisible(), !about);
    }

    // Only a drag on the background moves the window; a zone label is no handle.
    void onlyADragMovesTheWindow_data()
    {
        const int threshold = QGuiApplication::styleHints()->startDragDistance();
        QTest::addColumn<int>("distance");
        QTest::newRow("instant click") << 0;
        QTest::newRow("tremble") << threshold - 1;
        QTest::newRow("drag") << threshold;
    }
    void onlyADragMovesTheWindow()
    {
        QFETCH(int, distance);
        auto *panel = m_app->mainWindow()->contentView();
        QSignalSpy moved(chromeOf(m_app->mainWindow()), &app::WindowChrome::moveStarted);
        const QPoint se1 = panel->zoneBar()->labelRect(price::Zone::se1).center().toPoint();
        for (const auto &[widget, from] : {std::pair<QWidget *, QPoint>(panel, QPoint(200, 350)), std::pair<QWidget *, QPoint>(panel->zoneBar(), se1)}) {
            QTest::mousePress(widget, Qt::LeftButton, {}, from);
            QTest::mouseMove(widget, from + QPoint(distance, 0));
            QTest::mouseRelease(widget, Qt::LeftButton, {}, from + QPoint(distance, 0));
        }
        QCOMPARE(moved.size(), distance == QGuiApplication::styleHints()->startDragDistance() ? 1 : 0);
    }

    // Why the digits are blank, for a screen reader too; the pause before
    // the next try grows.
    void priceStatusSaysWhatIsGoingOn_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text"); // a pattern
        const QString retry = QStringLiteral(" — trying again in 1 min");
        QTest::newRow("loaded") << 200 << QString();
        QTest::newRow("not found") << 404 << "No prices: Service responded with error \\(404 notFound\\)" + retry;
        QTest::newRow("no connection") << -1 << "No prices: Connection refused \\(127\\.0\\.0\\.1:\\d+\\)" + retry;
    }
    void priceStatusSaysWhatIsGoingOn()
    {
        QFETCH(int, status);
        QFETCH(QString, text);
        start(test_support::Answer::json(test_support::serviceDay(QDate(2025, 11, 12), 60, test_support::hourNumberPrice),
                                         std::max(status, 200)), status < 0);
        auto *panel = m_app->mainWindow()->contentView();
        QCOMPARE(panel->priceStatus(), QStringLiteral("Loading prices…"));
        QTRY_VERIFY(m_app->viewModel()->state() == State::loaded || m_app->viewModel()->state() == State::error);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(text)).match(panel->priceStatus()).hasMatch(),
                 qPrintable(panel->priceStatus()));
        if (status == 404) {
            m_app->viewModel()->tick();
            QTRY_VERIFY(panel->priceStatus().endsWith(QStringLiteral(" — trying again in 2 min")));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(panel)->child(0)->text(QAccessible::Description), panel->priceStatus());
    }

};

QTEST_MAIN(AppShellTest)
#include "app_shell_test.moc"
