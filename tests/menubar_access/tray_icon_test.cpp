// A panel's tray icon docked in a real X11 tray, clicked through the X
// server as a person clicks. Runs on a display of its own (xvfb-run), with
// the small tray built beside it.

#include "menubar_access/menu_bar_extra_access.h"
#include "menubar_access/menu_bar_extra_window.h"
#include "menubar_access/qt_menu_bar_platform.h"

#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QVBoxLayout>

using namespace tarimo::menubar_access;
using namespace Qt::StringLiterals;

namespace {

// Clicks at a place on the screen through the X server, as a person does.
bool click(QPoint at, const QString &button = u"1"_s)
{
    const QString x = QString::number(at.x());
    return QProcess::execute(u"xdotool"_s, {u"mousemove"_s, x, QString::number(at.y()), u"click"_s, button}) == 0;
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

private Q_SLOTS:
    void accessFollowsThePanelThroughRealClicks()
    {
        QProcess tray; // killed when it goes
        QByteArray trayOutput;
        auto traySaid = [&](const QByteArray &words) {
            return (trayOutput += tray.readAllStandardOutput()).contains(words);
        };
        tray.start(QCoreApplication::applicationDirPath() + u"/menubar_access_xembed_tray"_s);
        QTRY_VERIFY(traySaid("tray ready"));
        // The test clicks quicker than a person: no two clicks make a double click.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);

        MenuBarExtraWindow panel;
        panel.resize(200, 100);
        auto *refresh = new QPushButton(u"Refresh"_s);
        (new QVBoxLayout(&panel))->addWidget(refresh);
        const QSignalSpy refreshed(refresh, &QPushButton::clicked);
        QPixmap picture(24, 24);
        picture.fill(Qt::darkYellow);
        panel.statusItem()->setIcon(picture);
        QMenu menu;
        menu.addAction(u"Refresh"_s);
        panel.statusItem()->setContextMenu(&menu);
        panel.statusItem()->show();
        QTRY_VERIFY(traySaid("docked "));
        const QList<QByteArray> docked = trayOutput.mid(trayOutput.indexOf("docked ")).split(' ');
        const QPoint icon(docked.at(1).toInt(), docked.at(2).toInt());

        QWidget elsewhere;
        elsewhere.setGeometry(100, 400, 200, 100);
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));

        Binding<bool> presented;
        QList<bool> seen;
        const BindingSubscription record = presented.onChange([&](const bool &value) { seen << value; });
        const auto access = attachMenuBarExtraAccess(std::make_shared<QtMenuBarPlatform>(), 0, 0, presented);
        const auto scene = access.body();
        QCoreApplication::processEvents();

        // A press on the icon is the application's own, yet not outside the
        // extra. Each click waits for the window system to settle the last
        // one's focus change, as a person's slower clicks do.
        QVERIFY(click(icon));
        QTRY_COMPARE(seen, QList<bool>{true});
        QTRY_VERIFY(panel.isActiveWindow());
        QVERIFY(click(icon));
        QTRY_COMPARE(seen, (QList<bool>{true, false}));
        QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationInactive);
        QVERIFY(!panel.isVisible());
        QVERIFY(click(icon));
        QTRY_COMPARE(seen, (QList<bool>{true, false, true}));
        QTRY_VERIFY(panel.isActiveWindow());

        // The icon's menu belongs to the icon, and the panel to itself:
        // using either leaves the panel open.
        QVERIFY(click(icon, u"3"_s));
        QTRY_VERIFY(menu.isVisible());
        QVERIFY(click(menu.mapToGlobal(menu.actionGeometry(menu.actions().constFirst()).center())));
        QTRY_VERIFY(!menu.isVisible());
        QTRY_VERIFY(panel.isActiveWindow());
        QVERIFY(click(refresh->mapToGlobal(refresh->rect().center())));
        QTRY_COMPARE(refreshed.count(), 1);
        QVERIFY(panel.isVisible());

        // A press in another window of the application is outside.
        QVERIFY(click(elsewhere.geometry().center()));
        QTRY_COMPARE(seen, (QList<bool>{true, false, true, false}));
        QVERIFY(!panel.isVisible());
    }
};

QTEST_MAIN(TrayIconTest)
#include "tray_icon_test.moc"
