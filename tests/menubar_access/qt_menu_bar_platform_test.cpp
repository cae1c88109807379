#include "menubar_access/menu_bar_extra_window.h"
#include "menubar_access/qt_menu_bar_platform.h"
#include "menubar_access/status_item_lookup.h"
#include "tests/support/captured_output.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

using namespace tarimo::menubar_access;
using tarimo::test_support::CapturedOutput;

namespace {

// A plain window of the application, somewhere to click outside a panel.
struct OtherWindow
{
    OtherWindow()
    {
        widget.resize(200, 120);
        widget.show();
    }
    void click()
    {
        QTest::mousePress(widget.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(widget.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
    }

    QWidget widget;
};

void clickPanel(MenuBarExtraWindow &panel)
{
    QTest::mousePress(panel.windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseRelease(panel.windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
}

} // namespace

class QtMenuBarPlatformTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelsAreFoundInTheWindowList()
    {
        QtMenuBarPlatform platform;
        QWidget before;
        before.show();
        MenuBarExtraWindow first;
        QWidget between;
        between.show();
        MenuBarExtraWindow second;

        const QList<QObject *> windows = platform.windows();
        QVERIFY(windows.indexOf(&first) >= 0);
        QVERIFY(windows.indexOf(&first) < windows.indexOf(&second));

        StatusItemLookup lookup(platform);
        QCOMPARE(lookup.allStatusItems(), (QList<QObject *>{first.statusItem(), second.statusItem()}));
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byIndex(1)), second.statusItem());
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byIndex(2)), nullptr);
        QCOMPARE(lookup.statusItemOfWindow(&before), nullptr);
        QCOMPARE(platform.button(first.statusItem()), first.button());
        QCOMPARE(platform.target(first.button()), &first);
        QCOMPARE(lookup.menuBarExtraWindowFor(), &first);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byIndex(1)), &second);
    }

    void identifiersOfPanels()
    {
        QtMenuBarPlatform platform;
        MenuBarExtraWindow prices;
        MenuBarExtraWindow weather;
        prices.setMenuBarExtraId(QStringLiteral("prices"));
        // Qt Designer names a first label "label".
        auto *text = new QLabel(QStringLiteral("12 °C"), &weather);
        text->setObjectName(QStringLiteral("label"));

        CapturedOutput output;
        StatusItemLookup lookup(platform);
        QCOMPARE(lookup.menuBarExtraId(prices.statusItem()), QStringLiteral("prices"));
        const std::optional<QString> hashed = lookup.menuBarExtraId(weather.statusItem());
        QVERIFY(hashed);
        // Read while hidden, it still names the panel once shown, its text
        // changed, and then its content made anew.
        weather.show();
        text->setText(QStringLiteral("14 °C"));
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byId(*hashed)), weather.statusItem());
        (new QLabel(QStringLiteral("15 °C"), &weather))->setObjectName(QStringLiteral("label"));
        delete text;
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byId(*hashed)), &weather);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byId(QStringLiteral("prices"))), &prices);
        QCOMPARE(output.lines(), QStringList(3, QStringLiteral("hash: ") + *hashed));
    }

    void pressOutsideAPanelOrDeactivationIsAnOutsideClick()
    {
        QtMenuBarPlatform platform;
        MenuBarExtraWindow panel;
        panel.resize(160, 100);
        panel.show();
        auto *popUp = new QWidget(&panel, Qt::Popup);
        popUp->resize(40, 40);
        popUp->show();
        OtherWindow other;
        // A child that leaves the press to its parent: still one click.
        auto *layout = new QVBoxLayout(&other.widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new QLabel(QStringLiteral("elsewhere")));
        QVERIFY(QTest::qWaitForWindowExposed(&other.widget));

        int outsideClicks = 0;
        const std::optional<MonitorToken> token = platform.addOutsideClickMonitor([&] { ++outsideClicks; });
        QVERIFY(token);
        QCOMPARE(platform.installedMonitorCount(), 1);

        other.click();
        QCOMPARE(outsideClicks, 1);
        clickPanel(panel);
        QTest::mousePress(popUp->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(popUp->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(outsideClicks, 1);
        QVERIFY(platform.isMenuBarExtraWindow(popUp->windowHandle()));
        // The offscreen platform never deactivates the application by itself,
        // so say it the way a window system does.
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        QCOMPARE(outsideClicks, 2);

        platform.removeMonitor(*token);
        QCOMPARE(platform.installedMonitorCount(), 0);
        other.click();
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        QCOMPARE(outsideClicks, 2);
        platform.removeMonitor(*token);
    }

    void monitorRemovedFromItsOwnHandler()
    {
        QtMenuBarPlatform platform;
        OtherWindow other;
        QVERIFY(QTest::qWaitForWindowExposed(&other.widget));
        int outsideClicks = 0;
        std::optional<MonitorToken> token;
        token = platform.addOutsideClickMonitor([&] {
            ++outsideClicks;
            platform.removeMonitor(*token);
        });
        other.click();
        other.click();
        QCOMPARE(outsideClicks, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(QtMenuBarPlatformTest)
#include "qt_menu_bar_platform_test.moc"
