// Menu-bar extras on Qt's own objects, offscreen: real panels, tray icons and
// their buttons, presses sent to real windows.

#include "menubar_access/menu_bar_extra_access.h"
#include "menubar_access/menu_bar_extra_window.h"
#include "menubar_access/on_menu_bar_extra_window.h"
#include "menubar_access/qt_menu_bar_platform.h"
#include "menubar_access/status_item_lookup.h"
#include "menubar_access/status_item_operations.h"
#include "tests/support/captured_output.h"

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace tarimo::menubar_access;
using namespace Qt::StringLiterals;
using tarimo::test_support::CapturedOutput;

// Taken for a status bar window by its class name; its status item is what
// the test gives it, as the "statusItem" property or as a child of that name.
class BareMenuBarExtraWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BareMenuBarExtraWindow(QObject *item, bool asChild = false)
    {
        item->setParent(this);
        if (asChild)
            item->setObjectName(u"statusItem"_s);
        else
            setProperty("statusItem", QVariant::fromValue(item));
        winId(); // its place in the window list
    }
};

class OtherTrayIcon : public QSystemTrayIcon
{
    Q_OBJECT
};

namespace {

void press(QWidget *widget)
{
    QTest::mouseClick(widget->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
}

// Two panels and another window; the access watches the second panel, so
// every case also checks that its index is followed.
struct Attached
{
    Attached() { elsewhere.show(); }

    void attach(int index = 1, bool run = true)
    {
        access = attachMenuBarExtraAccess(platform, 0, index, presented,
                                          [this](QObject *item) { introspected << item; });
        evaluate(run);
    }
    void evaluate(bool run = true)
    {
        scene = access->body();
        if (run)
            QCoreApplication::processEvents();
    }

    std::shared_ptr<QtMenuBarPlatform> platform = std::make_shared<QtMenuBarPlatform>();
    MenuBarExtraWindow first;
    MenuBarExtraWindow panel;
    QWidget elsewhere;
    StatusBarButton &button = *panel.button();
    QSignalSpy clicks{&button, &StatusBarButton::clicked};
    Binding<bool> presented;
    QList<QObject *> introspected;
    std::optional<MenuBarExtraAccess<int>> access;
    std::optional<MenuBarExtraScene<int>> scene;
};

} // namespace

class MenuBarAccessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingItemOrButton_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("line");
        QTest::newRow("no item") << 3
                                 << u"Can't register menu bar extra state observer: Can't find status item. "
                                    "It may not yet exist."_s;
        QTest::newRow("no button") << 2 << u"Can't register menu bar extra state observer: Can't generate observer."_s;
    }
    void missingItemOrButton()
    {
        QFETCH(int, index);
        QFETCH(QString, line);
        Attached a;
        auto *bareItem = new QSystemTrayIcon;
        const BareMenuBarExtraWindow bare(bareItem);
        a.presented.set(true);
        CapturedOutput output;
        a.attach(index);
        QCOMPARE(output.lines(), QStringList{line});
        QVERIFY(!a.access->observerContainer->observer());
        QCOMPARE(a.introspected, index == 2 ? QList<QObject *>{bareItem} : QList<QObject *>{});
        QCOMPARE(a.platform->installedMonitorCount(), 1);
        QVERIFY(isShowingMenu(*a.platform, bareItem));

        // The owner's changes and a press elsewhere only touch the binding.
        a.presented.set(false);
        a.presented.set(true);
        press(&a.elsewhere);
        QVERIFY(!a.presented.get());
        QCOMPARE(a.clicks.count(), 0);
    }

    void applyPresented_data()
    {
        QTest::addColumn<ControlState>("state");
        QTest::addColumn<bool>("requested");
        QTest::addColumn<int>("clicks");
        QTest::newRow("present while off") << ControlState::off << true << 1;
        QTest::newRow("present while on") << ControlState::on << true << 0;
        QTest::newRow("present while mixed") << ControlState::mixed << true << 0;
        QTest::newRow("dismiss while on") << ControlState::on << false << 1;
        QTest::newRow("dismiss while mixed") << ControlState::mixed << false << 1;
        QTest::newRow("dismiss while off") << ControlState::off << false << 0;
    }
    void applyPresented()
    {
        QFETCH(ControlState, state);
        QFETCH(bool, requested);
        QFETCH(int, clicks);
        Attached a;
        a.panel.setVisible(state != ControlState::off);
        a.button.setState(state);
        a.button.setHighlighted(!requested);
        tarimo::menubar_access::applyPresented(*a.platform, a.panel.statusItem(), requested);
        QCOMPARE(a.clicks.count(), clicks);
        QCOMPARE(a.panel.isVisible(), requested);
        QCOMPARE(a.button.isHighlighted(), requested);
    }

    void bindingFollowsTheButton_data()
    {
        QTest::addColumn<ControlState>("state");
        QTest::newRow("open") << ControlState::on;
        QTest::newRow("mixed") << ControlState::mixed;
        QTest::newRow("closed") << ControlState::off;
    }
    void bindingFollowsTheButton()
    {
        QFETCH(ControlState, state);
        const bool open = state != ControlState::off;
        Attached a;
        a.panel.setVisible(open);
        a.button.setState(state);
        a.presented.set(!open);
        QList<int> heard; // introspections and monitors when the observer first reports
        const auto subscription = a.presented.onChange([&](const bool &) {
            heard << int(a.introspected.size()) << a.platform->installedMonitorCount();
        });
        a.attach(1, false);
        QVERIFY(a.introspected.isEmpty());
        QCOMPARE(a.presented.get(), !open);

        // Later, in order: introspection, observer, monitor. The observer
        // sets the binding at once, and does not click the button back.
        QCoreApplication::processEvents();
        QCOMPARE(a.introspected, QList<QObject *>{a.panel.statusItem()});
        QCOMPARE(heard, (QList<int>{1, 0}));
        QCOMPARE(a.platform->installedMonitorCount(), 1);
        QCOMPARE(a.presented.get(), open);
        QCOMPARE(a.button.state(), state);
        // A person's click on the icon.
        a.button.performClick();
        QCOMPARE(a.presented.get(), !open);
        QCOMPARE(a.panel.isVisible(), !open);
        QCOMPARE(a.button.isHighlighted(), !open);
        QCOMPARE(a.clicks.count(), 1);
    }

    void pressesOutsideTheExtrasClose()
    {
        Attached a;
        QMenu menu;
        menu.addAction(u"Refresh"_s);
        a.panel.statusItem()->setContextMenu(&menu);
        a.attach();
        a.presented.set(true);

        // The panel, a pop-up over it and the icon's menu are all the extra's.
        press(&a.panel);
        auto *popUp = new QWidget(&a.panel, Qt::Popup);
        popUp->show();
        press(popUp);
        popUp->hide();
        menu.popup(QPoint(0, 0));
        press(&menu);
        menu.hide();
        QVERIFY(a.panel.isVisible() && a.presented.get());

        press(&a.elsewhere);
        QVERIFY(!a.panel.isVisible() && !a.presented.get());
        QCOMPARE(a.clicks.count(), 2);
        // Closed already: only the highlight is put right.
        a.button.setHighlighted(true);
        press(&a.elsewhere);
        QVERIFY(!a.button.isHighlighted());
        QCOMPARE(a.clicks.count(), 2);

        // The application losing the user is a press elsewhere too.
        a.presented.set(true);
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(!a.panel.isVisible() && !a.presented.get());

        // A monitor may remove itself while it runs and go on (as when its
        // extra goes), and is silent from then on.
        int heard = 0;
        std::optional<MonitorToken> token;
        token = a.platform->addOutsideClickMonitor([&] { a.platform->removeMonitor(*token); ++heard; });
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        press(&a.elsewhere);
        QCOMPARE(heard, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void everyEvaluationReplacesTheMonitorUntilTheLastCopyGoes()
    {
        Attached a;
        a.attach();
        a.evaluate();
        a.evaluate();
        QCOMPARE(a.platform->installedMonitorCount(), 1);
        QCOMPARE(a.introspected.size(), 3);

        // Queued set-up work keeps the container until it has run.
        a.access->observerContainer->setStatusItemIntrospectionSetup(true);
        a.evaluate(false);
        const std::weak_ptr<ObserverContainer> container = a.access->observerContainer;
        a.scene.reset();
        a.access.reset();
        QVERIFY(!container.expired());
        QCoreApplication::processEvents();
        QVERIFY(container.expired());
        QCOMPARE(a.introspected.size(), 3);
        QCOMPARE(a.platform->installedMonitorCount(), 0);

        // Neither side follows the other any more.
        a.button.performClick();
        QVERIFY(!a.presented.get());
        a.presented.set(true);
        a.presented.set(false);
        QVERIFY(a.panel.isVisible());
        QCOMPARE(a.clicks.count(), 1);
    }

    void statusItemsInWindowOrder()
    {
        QtMenuBarPlatform platform;
        MenuBarExtraWindow first;
        auto *subclassed = new OtherTrayIcon;
        BareMenuBarExtraWindow subclassWindow(subclassed); // a status item, but no position
        QWidget plainWindow;
        plainWindow.setProperty("statusItem", QVariant::fromValue<QObject *>(new QSystemTrayIcon(&plainWindow)));
        plainWindow.winId();
        MenuBarExtraWindow second;
        auto *child = new QSystemTrayIcon;
        BareMenuBarExtraWindow childWindow(child, true);

        const StatusItemLookup lookup(platform);
        QCOMPARE(lookup.allStatusItems(), (QList<QObject *>{first.statusItem(), second.statusItem(), child}));
        QCOMPARE(lookup.statusItemOfWindow(&subclassWindow), subclassed);
        QCOMPARE(lookup.statusItemFor(), first.statusItem());
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byIndex(2)), child);
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byIndex(3)), nullptr);
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byIndex(-1)), nullptr);
        QCOMPARE(lookup.menuBarExtraWindowFor(), &first);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byIndex(2)), &childWindow);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byIndex(3)), nullptr);

        CapturedOutput output;
        QCOMPARE(lookup.menuBarExtraId(child), std::nullopt); // no button, so no target
        QCOMPARE(StatusItemLookup::menuBarExtraIdOf(&childWindow), std::nullopt);
        QCOMPARE(output.lines(), (QStringList{u"Could not find status item's target."_s,
                                              u"Could not determine MenuBarExtra ID"_s}));
    }

    void identifiers()
    {
        QtMenuBarPlatform platform;
        MenuBarExtraWindow prices;
        MenuBarExtraWindow weather;
        prices.setMenuBarExtraId(u"prices"_s);
        // Qt Designer names a first label "label"; the panel's own comes first.
        auto *text = new QLabel(u"12 °C"_s, &weather);
        text->setObjectName(u"label"_s);

        CapturedOutput output;
        const StatusItemLookup lookup(platform);
        QCOMPARE(lookup.menuBarExtraId(prices.statusItem()), u"prices"_s);
        const std::optional<QString> hashed = lookup.menuBarExtraId(weather.statusItem());
        QVERIFY(hashed);
        // Read while hidden, it still names the panel once shown, its texts
        // changed and its content made anew.
        weather.show();
        text->setText(u"14 °C"_s);
        weather.statusItem()->setToolTip(u"14 °C"_s);
        (new QLabel(u"15 °C"_s, &weather))->setObjectName(u"label"_s);
        delete text;
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byId(*hashed)), weather.statusItem());
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byId(*hashed)), &weather);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byId(u"rain"_s)), nullptr);
        QCOMPARE(output.lines(), QStringList(4, u"hash: "_s + *hashed)
                                     << u"Window could not be found for status item with ID \"rain."_s);

        // An identifier that is no text counts as none.
        prices.setMenuBarExtraId(7);
        const std::optional<QString> fromLabel = lookup.menuBarExtraId(prices.statusItem());
        QVERIFY(fromLabel && *fromLabel != u"7"_s && *fromLabel != *hashed);
    }

    void panelHandedToItsViewEachTimeItShows()
    {
        Attached a;
        QList<QObject *> received;
        onMenuBarExtraWindow(a.platform, new QLabel(&a.panel), 1, [&](QObject *window) { received << window; });
        onMenuBarExtraWindow(a.platform, new QLabel(&a.panel), 2, [&](QObject *window) { received << window; });
        CapturedOutput output;
        a.panel.show();
        a.panel.hide();
        a.panel.show();
        QCOMPARE(received, (QList<QObject *>{&a.panel, &a.panel}));
        QCOMPARE(output.lines(), QStringList(2, u"Cannot call introspection block for status item because its "
                                                "window could not be found."_s));
    }

    // Where the icon's place is unknown (here there is no tray), a click
    // opens the panel at the pointer or where it was; a minimised panel
    // comes back.
    void panelOpensWhereAsked_data()
    {
        QTest::addColumn<MenuBarExtraWindow::UnknownIconPlace>("place");
        QTest::newRow("at the pointer") << MenuBarExtraWindow::UnknownIconPlace::atPointer;
        QTest::newRow("where it was") << MenuBarExtraWindow::UnknownIconPlace::whereItWas;
    }
    void panelOpensWhereAsked()
    {
        QFETCH(MenuBarExtraWindow::UnknownIconPlace, place);
        MenuBarExtraWindow panel;
        panel.resize(100, 50);
        panel.setUnknownIconPlace(place);
        panel.move(300, 200);
        QCursor::setPos(40, 30);
        panel.togglePanel();
        QVERIFY(panel.isVisible());
        QCOMPARE(panel.pos(), place == MenuBarExtraWindow::UnknownIconPlace::atPointer ? QPoint(40, 30) : QPoint(300, 200));
        panel.showMinimized();
        panel.togglePanel();
        QVERIFY(panel.isVisible() && !panel.isMinimized());
        panel.togglePanel();
        QVERIFY(!panel.isVisible());
    }
};

QTEST_MAIN(MenuBarAccessTest)
#include "menu_bar_access_test.moc"
