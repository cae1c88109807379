#include "app/about_view.h"
#include "app/ampello_app.h"
#include "app/autostart.h"
#include "app/main_window.h"
#include "app/price_tray.h"
#include "app/settings.h"
#include "app/window_chrome.h"
#include "app/window_control_button.h"
#include "display/content_view.h"
#include "display/equalizer.h"
#include "display/status_strip.h"
#include "display/zone_bar.h"
#include "price/request.h"

#include "tests/support/captured_output.h"
#include "tests/support/price_day.h"
#include "tests/support/test_server.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <set>

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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    return texts.filter(QRegularExpression(QStringLiteral(".")));
}

// What the man page sets in bold in a section (".B text", \fBtext\fR),
// roff comments left out.
QStringList boldInManSection(const QString &name)
{
    static const QRegularExpression bold(QStringLiteral(R"(^\.B (.+)$|\\fB(.+?)\\f[RP])"));
    QFile file(QStringLiteral(TARIMO_MAN_PAGE));
    file.open(QIODevice::ReadOnly);
    QStringList found;
    bool inside = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(QLatin1String(".SH ")))
            inside = line.mid(4).remove(u'"') == name;
        for (const auto &match : bold.globalMatch(inside && !line.startsWith(QLatin1String(".\\\"")) ? line : QString()))
            found.append(match.captured(match.lastCapturedIndex()).remove(u'"').replace(QLatin1String("\\-"), QLatin1String("-")));
    }
    return found;
}

// Whether a key pressed on `widget` is taken by it or by a widget it is in.
bool takesKey(QWidget *widget, QKeyCombination key)
{
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
    QApplication::sendEvent(widget, &press);
    return press.isAccepted();
}

} // namespace

class AppShellTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;
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
        // The lines of this start only.
        m_output.reset();
        m_output = std::make_unique<test_support::CapturedOutput>();
        const QDateTime now(QDate(2025, 11, 12), QTime(14, 20));
        m_app = std::make_unique<AmpelloApp>(request, [now] { return now; });
    }

    // The console lines that name a zone, of this start only: a request of
    // the run before may still end and be logged.
    QStringList zoneLines() const
    {
        static const QRegularExpression zoneLine(QStringLiteral("^🍀 se\\d$"));
        return m_output->lines().filter(zoneLine);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Settings and the autostart entry of the tests' own, fresh for each.
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }
    void init()
    {
        QFile::remove(m_config.path());
        QDir(m_config.path()).removeRecursively();
        QDir().mkpath(m_config.path());
        start(test_support::Answer::json(test_support::serviceDay(QDate(2025, 11, 12), 15, test_support::hourNumberPrice)));
    }
    void cleanup()
    {
        m_app.reset();
        m_server.reset();
        m_output.reset();
    }

    // One fixed window; its menu, also on a right-click; About over its
    // middle, transient for it.
    void oneWindowItsMenuAndAbout()
    {
        auto *window = m_app->mainWindow();
        QCOMPARE(visibleWindows(), QList<QWidget *>{window});
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QTRY_COMPARE(m_app->viewModel()->state(), State::loaded);
        QTRY_VERIFY(!window->windowIcon().isNull()); // after the first frame

        QCOMPARE(menuTexts(m_app->applicationMenu()),
                 (QStringList{"Show prices with VAT (25 %)", "Start at login", "Show in the system tray",
                              "About Tarimo", "Quit"}));
        QCOMPARE(m_app->quitAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
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
        QCOMPARE(about->windowHandle()->transientParent(), window->windowHandle());
        QCOMPARE(about->frameGeometry().center(), window->frameGeometry().center());
        QTest::keyClick(about, Qt::Key_Escape);
        QCOMPARE(visibleWindows(), QList<QWidget *>{window});
        // Opened again after the panel has moved: over it again.
        window->move(window->pos() + QPoint(37, 21));
        m_app->openAbout();
        QCOMPARE(about->frameGeometry().center(), window->frameGeometry().center());
    }

    // The zone and VAT chosen in one run are there in the next, from the
    // first console line on; the very first start is SE3 without VAT.
    void choicesSurviveARestart()
    {
        QCOMPARE(m_app->viewModel()->selectedZone(), price::Zone::se3);
        QVERIFY(!m_app->vatAction()->isChecked() && !m_app->viewModel()->includesVat());
        m_app->viewModel()->selectZone(price::Zone::se4);
        m_app->vatAction()->trigger();
        QVERIFY(m_app->viewModel()->includesVat());

        start(test_support::Answer::json({}));
        QTRY_COMPARE(zoneLines(), QStringList{QStringLiteral("🍀 se4")});
        QCOMPARE(m_app->viewModel()->selectedZone(), price::Zone::se4);
        QVERIFY(m_app->vatAction()->isChecked() && m_app->viewModel()->includesVat());
    }

    // A settings file that cannot be trusted means SE3 without VAT; the
    // next choice is remembered all the same.
    void untrustworthySettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("zone"); // 1 to 4
        QTest::addColumn<bool>("vat");
        QTest::newRow("valid") << QByteArray("[General]\nzone=SE2\nincludesVat=true\n") << 2 << true;
        QTest::newRow("garbage bytes") << QByteArray("zone=SE2\n[Gen\0\xff\n", 16) << 3 << false;
        QTest::newRow("unknown zone") << QByteArray("[General]\nzone=SE9\nincludesVat=1\n") << 3 << false;
        QTest::newRow("lower case") << QByteArray("[General]\nzone=se2\nincludesVat=TRUE\n") << 3 << false;
        QTest::newRow("a list") << QByteArray("[General]\nzone=SE2, SE4\nincludesVat=true, true\n") << 3 << false;
        QTest::newRow("variant") << QByteArray("[General]\nzone=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x3SE2)\n"
                                               "includesVat=@Variant(\\0\\0\\0\\x1\\x1)\n") << 3 << false;
        QTest::newRow("bytes") << QByteArray("[General]\nzone=@ByteArray(SE2)\nincludesVat=@ByteArray(true)\n") << 3 << false;
    }
    void untrustworthySettings()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, zone);
        QFETCH(bool, vat);
        writeFile(app::Settings::filePath(), content);
        start(test_support::Answer::json({}));
        QTRY_COMPARE(zoneLines(), QStringList{QStringLiteral("🍀 se%1").arg(zone)});
        QCOMPARE(m_app->viewModel()->selectedZone(), price::Zone(zone - 1));
        QCOMPARE(m_app->viewModel()->includesVat(), vat);

        m_app->viewModel()->selectZone(price::Zone::se1);
        QCOMPARE(app::Settings().zone(), price::Zone::se1);
    }

    // Settings that cannot be written cost nothing a person would see.
    void unwritableSettings()
    {
        QDir(m_config.path()).removeRecursively();
        writeFile(m_config.path(), "not a folder");
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        start(test_support::Answer::json({}));
        m_app->viewModel()->selectZone(price::Zone::se2);
        m_app->vatAction()->trigger();
        QCOMPARE(m_app->viewModel()->selectedZone(), price::Zone::se2);
        QVERIFY(m_app->viewModel()->includesVat());
        QCOMPARE(visibleWindows(), QList<QWidget *>{m_app->mainWindow()});
    }

    // The menu item writes and removes the desktop's autostart entry, shows
    // whether there is one, also one made elsewhere, and tells why it failed.
    void startAtLogin()
    {
        QAction *item = m_app->autostartAction();
        const QString entry = m_config.path() + QStringLiteral("/autostart/tarimo.desktop");
        QCOMPARE(app::autostart::filePath(), entry);
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(item->isChecked());
        QFile written(entry);
        const QString text = written.open(QIODevice::ReadOnly) ? QString::fromUtf8(written.readAll()) : QString();
        QVERIFY2(text.startsWith(QLatin1String("[Desktop Entry]\nType=Application\n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\nExec=") + app::autostart::execLine(QCoreApplication::applicationFilePath()) + u'\n'),
                 qPrintable(text));
        item->trigger();
        QVERIFY(!item->isChecked() && !QFile::exists(entry));

        writeFile(entry, "[Desktop Entry]\n");
        Q_EMIT m_app->applicationMenu()->aboutToShow();
        QVERIFY(item->isChecked());
        QFile::remove(entry);
        Q_EMIT m_app->applicationMenu()->aboutToShow();
        QVERIFY(!item->isChecked());

        // A folder that cannot be made: a message box with the reason, the
        // item unchecked.
        QDir(m_config.path()).removeRecursively();
        writeFile(m_config.path() + QStringLiteral("/autostart"), "not a folder");
        item->trigger();
        QVERIFY(!item->isChecked());
        auto *box = m_app->mainWindow()->findChild<QMessageBox *>();
        QVERIFY(box && box->isVisible() && box->informativeText().contains(QLatin1String("autostart: ")));
        box->close();
    }

    // The Exec line names the program by its path, quoted as desktop
    // entries quote; only the tarimo on the PATH goes by its bare name.
    void autostartExecLine_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/opt/t/tarimo" << "\"/opt/t/tarimo\"";
        // ", `, $ and \ escaped, then every \ doubled and % as %%.
        QTest::newRow("specials") << "/h/a b/$x`\"\\%/tarimo" << "\"/h/a b/\\\\$x\\\\`\\\\\"\\\\\\\\%%/tarimo\"";
    }
    void autostartExecLine()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(app::autostart::execLine(program), exec);
        const QString bin = m_config.path() + QStringLiteral("/bin");
        writeFile(bin + QStringLiteral("/tarimo"), "#!/bin/sh\n");
        QFile::setPermissions(bin + QStringLiteral("/tarimo"), QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.toLocal8Bit());
        const QString onPath = app::autostart::execLine(bin + QStringLiteral("/../bin/tarimo"));
        qputenv("PATH", path);
        QCOMPARE(onPath, QStringLiteral("tarimo"));
    }

    // Nothing shows focus at start; the first Tab shows it on the zones.
    void firstTabReachesTheZones()
    {
        auto *window = m_app->mainWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto *panel = window->contentView();
        QVERIFY(!panel->zoneBar()->isFocusShown() && !panel->equalizer()->isFocusShown());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), panel->zoneBar());
        QVERIFY(panel->zoneBar()->isFocusShown());
    }

    // Every key the program takes and every shortcut is in the man page's
    // KEYS, and every key there is taken; each menu item is in MENU.
    void manPageKnowsTheKeys()
    {
        m_app->openAbout();
        QList<QWidget *> widgets{m_app->mainWindow(), m_app->aboutView()};
        widgets += m_app->mainWindow()->findChildren<QWidget *>();
        // The window controls are left out: Return on the close control quits.
        widgets.removeIf([](QWidget *widget) {
            return !QByteArray(widget->metaObject()->className()).startsWith("tarimo::")
                   || qobject_cast<app::WindowControlButton *>(widget);
        });
        // The printable keys and the named ones: Qt numbers those from
        // 0x01000000, and the keys of phones and remotes from 0x01010000.
        QList<int> keysToTry;
        for (int key = Qt::Key_Space; key <= Qt::Key_AsciiTilde; ++key)
            keysToTry.append(key);
        for (int first : {Qt::Key_Escape, Qt::Key_Select}) {
            for (int key = first; key < first + 0x200; ++key) {
                if (key != Qt::Key_Backtab) // Shift+Tab, tried from the man page
                    keysToTry.append(key);
            }
        }
        std::set<QString> taken;
        QList<QAction *> actions = m_app->applicationMenu()->actions();
        for (QWidget *widget : widgets) {
            actions += widget->actions();
            for (int key : keysToTry) {
                for (const auto combination : {QKeyCombination(Qt::Key(key)), QKeyCombination(Qt::ControlModifier, Qt::Key(key))}) {
                    if (takesKey(widget, combination)) {
                        taken.insert(QKeySequence(combination).toString(QKeySequence::PortableText));
                        break;
                    }
                }
            }
        }
        for (const QAction *action : std::as_const(actions)) {
            for (const QKeySequence &shortcut : action->shortcuts())
                taken.insert(shortcut.toString(QKeySequence::PortableText));
        }
        QVERIFY(taken.size() > 10);

        const QStringList listed = boldInManSection(QStringLiteral("KEYS"));
        for (const QString &key : taken)
            QVERIFY2(listed.contains(key), qPrintable(key + QStringLiteral(" is not in the man page's KEYS")));
        for (const QString &key : listed) {
            const QKeySequence sequence = QKeySequence::fromString(key, QKeySequence::PortableText);
            QVERIFY2(sequence.count() == 1 && sequence[0].key() != Qt::Key_unknown, qPrintable(key));
            const bool isTaken = taken.count(key) > 0
                                 || std::any_of(widgets.begin(), widgets.end(), [&](QWidget *w) { return takesKey(w, sequence[0]); });
            QVERIFY2(isTaken, qPrintable(key + QStringLiteral(" in the man page is no key of the program")));
        }
        const QStringList items = boldInManSection(QStringLiteral("MENU"));
        for (const QString &item : menuTexts(m_app->applicationMenu()))
            QVERIFY2(items.contains(item), qPrintable(item + QStringLiteral(" is not in the man page's MENU")));
    }

    // The tray's icon and tooltip follow the price, redrawn only when it
    // changes (the same price loaded again draws nothing); without a price
    // they say what the strip says. Its zones follow the view model's.
    void trayFollowsThePrice()
    {
        QTRY_VERIFY(m_app->tray() && m_app->viewModel()->state() == State::loaded);
        const app::PriceTray *tray = m_app->tray();
        QCOMPARE(tray->toolTip(), QStringLiteral("1415 öre/kWh · SE3 · 14:00"));
        QCOMPARE(tray->face(), (app::PriceIcon{QStringLiteral("1415"), app::PriceIcon::Level::high}));
        QSystemTrayIcon *item = m_app->mainWindow()->statusItem();
        const qint64 drawn = item->icon().cacheKey();
        QSignalSpy states(m_app->viewModel(), &price::ContentViewModel::stateChanged);
        m_app->viewModel()->reload(); // the same price again
        QTRY_VERIFY(states.size() >= 2 && m_app->viewModel()->state() == State::loaded);
        QCOMPARE(item->icon().cacheKey(), drawn);
        m_app->vatAction()->trigger();
        QCOMPARE(tray->face()->text, QStringLiteral("1769"));
        QCOMPARE(item->toolTip(), QStringLiteral("1769 öre/kWh · SE3 · 14:00"));

        QList<QAction *> zones = m_app->trayMenu()->actions().mid(0, 4);
        QVERIFY(zones.at(2)->isChecked());
        zones.at(0)->trigger(); // a zone the service has no prices of
        QCOMPARE(m_app->viewModel()->selectedZone(), price::Zone::se1);
        QVERIFY(!tray->face());
        QTRY_COMPARE(m_app->viewModel()->state(), State::error);
        QCOMPARE(tray->toolTip(), m_app->mainWindow()->contentView()->statusStrip()->summaryLine());
        m_app->viewModel()->selectZone(price::Zone::se4);
        QVERIFY(zones.at(3)->isChecked() && !zones.at(0)->isChecked());
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

    // Only a drag on the background moves the window, and by the whole way
    // the pointer went, the way before the drag began included; a zone
    // label is no handle. (Here the platform has no system move: the chrome
    // moves the window itself. On X the window manager takes over.)
    void onlyADragMovesTheWindow_data()
    {
        const int threshold = QGuiApplication::styleHints()->startDragDistance();
        QTest::addColumn<int>("distance");
        QTest::newRow("instant click") << 0;
        QTest::newRow("tremble") << threshold - 1;
        QTest::newRow("drag") << threshold;
        QTest::newRow("long drag") << 4 * threshold;
    }
    void onlyADragMovesTheWindow()
    {
        QFETCH(int, distance);
        auto *window = m_app->mainWindow();
        auto *panel = window->contentView();
        QSignalSpy moved(chromeOf(window), &app::WindowChrome::moveStarted);
        const bool isDrag = distance >= QGuiApplication::styleHints()->startDragDistance();
        const QPoint se1 = panel->zoneBar()->labelRect(price::Zone::se1).center().toPoint();
        for (const auto &[widget, from] : {std::pair<QWidget *, QPoint>(panel, QPoint(200, 350)), std::pair<QWidget *, QPoint>(panel->zoneBar(), se1)}) {
            const QPoint start = window->pos();
            const QPoint pressed = widget->mapToGlobal(from);
            QTest::mousePress(widget, Qt::LeftButton, {}, from);
            for (int way : {distance / 2, distance})
                QTest::mouseMove(widget, widget->mapFromGlobal(pressed + QPoint(way, 0)));
            QTest::mouseRelease(widget, Qt::LeftButton, {}, widget->mapFromGlobal(pressed + QPoint(distance, 0)));
            QCOMPARE(window->pos() - start, isDrag && widget == panel ? QPoint(distance, 0) : QPoint());
        }
        QCOMPARE(moved.size(), isDrag ? 1 : 0);
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
