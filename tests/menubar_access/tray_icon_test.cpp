// A panel's tray icon docked in a real X11 tray, clicked through the X
// server as a person clicks. Runs on a display of its own (xvfb-run), with
// the small tray built beside it.

#include "menubar_access/menu_bar_extra_access.h"
#include "menubar_access/menu_bar_extra_window.h"
#include "menubar_access/on_menu_bar_extra_window.h"
#include "menubar_access/qt_menu_bar_platform.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QVBoxLayout>

using namespace tarimo::menubar_access;

namespace {

// Clicks at a place on the screen through the X server, as a person does.
bool click(QPoint at, const QString &button = QStringLiteral("1"))
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("mousemove"), QString::number(at.x()),
                              QString::number(at.y()), QStringLiteral("click"), button})
           == 0;
}

} // namespace

class TrayIconTest : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        // Without a session bus Qt docks its icon through XEmbed, whatever
        // desktop the test is started from.
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    }

private:
    QProcess m_tray;
    QByteArray m_trayOutput;

    bool traySaid(const QByteArray &words)
    {
        m_trayOutput += m_tray.readAllStandardOutput();
        return m_trayOutput.contains(words);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_tray.start(QCoreApplication::applicationDirPath() + QStringLiteral("/menubar_access_xembed_tray"));
        QVERIFY(m_tray.waitForStarted());
        QTRY_VERIFY(traySaid("tray ready"));
        // The test clicks quicker than a person: no two clicks make a double click.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }

    void cleanupTestCase()
    {
        m_tray.kill();
        m_tray.waitForFinished();
    }

    void accessFollowsThePanelThroughRealClicks()
    {
        auto platform = std::make_shared<QtMenuBarPlatform>();
        Binding<bool> presented;
        QList<bool> seen;
        const BindingSubscription record = presented.onChange([&](const bool &value) { seen << value; });

        MenuBarExtraWindow panel;
        panel.resize(200, 100);
        auto *layout = new QVBoxLayout(&panel);
        auto *content = new QLabel(QStringLiteral("Prices"));
        auto *refresh = new QPushButton(QStringLiteral("Refresh"));
        layout->addWidget(content);
        layout->addWidget(refresh);
        const QSignalSpy refreshed(refresh, &QPushButton::clicked);
        QList<QObject *> windowsSeen;
        onMenuBarExtraWindow(platform, content, 0, [&](QObject *window) { windowsSeen << window; });
        QPixmap picture(24, 24);
        picture.fill(Qt::darkYellow);
        panel.statusItem()->setIcon(picture);
        QMenu menu;
        menu.addAction(QStringLiteral("Open Panel"), [presented]() mutable { presented.set(true); });
        panel.statusItem()->setContextMenu(&menu);
        panel.statusItem()->show();
        QTRY_VERIFY(traySaid("docked "));
        const QList<QByteArray> docked = m_trayOutput.mid(m_trayOutput.indexOf("docked ")).split(' ');
        const QPoint icon(docked.at(1).toInt(), docked.at(2).toInt());

        QWidget elsewhere;
        elsewhere.setGeometry(100, 400, 200, 100);
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));

        QList<QObject *> introspected;
        std::optional<MenuBarExtraAccess<int>> access = attachMenuBarExtraAccess(
            platform, 0, 0, presented, [&](QObject *item) { introspected << item; });
        auto scene = std::make_optional(access->body());
        QCoreApplication::processEvents();
        QCOMPARE(introspected, QList<QObject *>{panel.statusItem()});

        // Each click waits for the window system to settle the last one's
        // focus change, as a person's slower clicks do.
        QVERIFY(click(icon));
        QTRY_COMPARE(seen, QList<bool>{true});
        QTRY_VERIFY(panel.isActiveWindow());
        QVERIFY(panel.button()->isHighlighted());
        QCOMPARE(windowsSeen, QList<QObject *>{&panel});
        QVERIFY(click(icon));
        QTRY_COMPARE(seen, (QList<bool>{true, false}));
        QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationInactive);
        QVERIFY(!panel.isVisible());
        QVERIFY(!panel.button()->isHighlighted());
        QVERIFY(click(icon));
        QTRY_COMPARE(seen, (QList<bool>{true, false, true}));
        QTRY_VERIFY(panel.isActiveWindow());

        // The icon's menu belongs to the icon, and the panel to itself:
        // using either leaves the panel open.
        QVERIFY(click(icon, QStringLiteral("3")));
        QTRY_VERIFY(menu.isVisible());
        QVERIFY(click(menu.mapToGlobal(menu.actionGeometry(menu.actions().constFirst()).center())));
        QTRY_VERIFY(!menu.isVisible());
        QTRY_VERIFY(panel.isActiveWindow());
        QVERIFY(click(refresh->mapToGlobal(refresh->rect().center())));
        QTRY_COMPARE(refreshed.count(), 1);
        QVERIFY(panel.isVisible());
        QCOMPARE(seen, (QList<bool>{true, false, true}));

        QVERIFY(click(elsewhere.geometry().center()));
        QTRY_COMPARE(seen, (QList<bool>{true, false, true, false}));
        QVERIFY(!panel.isVisible());

        // The owner opens it; the application losing the user closes it.
        presented.set(true);
        QTRY_VERIFY(panel.isActiveWindow());
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(!panel.isVisible());
        QCOMPARE(seen, (QList<bool>{true, false, true, false, true, false}));

        scene.reset();
        access.reset();
        QCOMPARE(platform->installedMonitorCount(), 0);
        presented.set(true);
        QVERIFY(!panel.isVisible());
    }
};

QTEST_MAIN(TrayIconTest)
#include "tray_icon_test.moc"
