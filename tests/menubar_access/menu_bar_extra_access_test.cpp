#include "menubar_access/menu_bar_extra_access.h"
#include "menubar_access/status_item_operations.h"
#include "tests/menubar_access/menu_bar_platform_mock.h"
#include "tests/support/captured_output.h"

#include <QCoreApplication>
#include <QTest>

using namespace tarimo::menubar_access;
using tarimo::test_support::CapturedOutput;

Q_DECLARE_METATYPE(tarimo::menubar_access::ControlState)

namespace {

const QString missingItemLine = QStringLiteral(
    "Can't register menu bar extra state observer: Can't find status item. It may not yet exist.");
const QString missingButtonLine = QStringLiteral(
    "Can't register menu bar extra state observer: Can't generate observer.");

struct Scene
{
    QString title;
};

void runQueuedBlocks()
{
    QCoreApplication::processEvents();
}

// One status item with an access attached, evaluated once and set up.
struct Attached
{
    explicit Attached(ControlState state = ControlState::off, bool presentedAtStart = false)
        : presented(presentedAtStart)
    {
        item->button->state = state;
        scene = access.body();
        runQueuedBlocks();
    }

    std::shared_ptr<MenuBarPlatformMock> platform = std::make_shared<MenuBarPlatformMock>();
    StatusItemMock *item = platform->addStatusItem();
    Binding<bool> presented;
    MenuBarExtraAccess<Scene> access = attachMenuBarExtraAccess(platform, Scene{}, 0, presented);
    MenuBarExtraScene<Scene> scene;
};

} // namespace

class MenuBarExtraAccessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setUpRunsLaterAndInOrder()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        StatusItemMock *item = platform->addStatusItem();
        item->button->state = ControlState::on;
        Binding<bool> presented(false);

        QStringList order;
        const auto subscription = presented.onChange([&](const bool &) {
            order << QStringLiteral("observer, %1 monitors").arg(platform->monitorInstallations);
        });
        QList<QObject *> introspected;
        const auto access = attachMenuBarExtraAccess(platform, Scene{}, 0, presented, [&](QObject *statusItem) {
            introspected << statusItem;
            order << QStringLiteral("introspection, %1 observers").arg(platform->observationsStarted);
        });

        auto scene = access.body();
        QCOMPARE(scene.setUpPass, 0);
        // Nothing runs inside the evaluation.
        QCOMPARE(platform->postedBlocks, 3);
        QCOMPARE(platform->ranBlocks, 0);
        QVERIFY(introspected.isEmpty());
        QVERIFY(!presented.get());

        runQueuedBlocks();
        QCOMPARE(platform->ranBlocks, 3);
        QCOMPARE(introspected, (QList<QObject *>{item}));
        QCOMPARE(order, (QStringList{QStringLiteral("introspection, 0 observers"),
                                     QStringLiteral("observer, 0 monitors")}));
        QVERIFY(access.observerContainer->observer());
        QCOMPARE(access.observerContainer->observer()->objectToObserve(), item->button.data());
        QVERIFY(access.observerContainer->eventsMonitor());
        QCOMPARE(platform->installedMonitorCount(), 1);
    }

    void missingStatusItem()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        Binding<bool> presented(true);
        int introspections = 0;
        const auto access = attachMenuBarExtraAccess(platform, Scene{}, 0, presented,
                                                     [&](QObject *) { ++introspections; });
        CapturedOutput output;
        const auto scene = access.body();
        runQueuedBlocks();

        QCOMPARE(output.lines(), QStringList{missingItemLine});
        QCOMPARE(access.observerContainer->observer(), nullptr);
        QCOMPARE(introspections, 0);
        QCOMPARE(platform->installedMonitorCount(), 1);
        QVERIFY(access.observerContainer->eventsMonitor());

        // The owner's change and an outside click only touch the binding.
        presented.set(false);
        presented.set(true);
        platform->clickOutside();
        QVERIFY(!presented.get());
        QCOMPARE(output.lines(), QStringList{missingItemLine});
    }

    void missingButton()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        platform->addStatusItem(false);
        const auto access = attachMenuBarExtraAccess(platform, Scene{}, 0, Binding<bool>());
        CapturedOutput output;
        const auto scene = access.body();
        runQueuedBlocks();
        QCOMPARE(output.lines(), QStringList{missingButtonLine});
        QCOMPARE(access.observerContainer->observer(), nullptr);
        QCOMPARE(platform->observationsStarted, 0);
    }

    void applyPresented_data()
    {
        QTest::addColumn<ControlState>("state");
        QTest::addColumn<bool>("requested");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<ControlState>("finalState");
        QTest::addColumn<bool>("highlighted");

        QTest::newRow("present while off") << ControlState::off << true << 1 << ControlState::on << true;
        QTest::newRow("present while on") << ControlState::on << true << 0 << ControlState::on << true;
        QTest::newRow("present while mixed") << ControlState::mixed << true << 0 << ControlState::mixed << true;
        QTest::newRow("dismiss while on") << ControlState::on << false << 1 << ControlState::off << false;
        QTest::newRow("dismiss while mixed") << ControlState::mixed << false << 1 << ControlState::off << false;
        QTest::newRow("dismiss while off") << ControlState::off << false << 0 << ControlState::off << false;
    }
    void applyPresented()
    {
        QFETCH(ControlState, state);
        QFETCH(bool, requested);
        QFETCH(int, clicks);
        QFETCH(ControlState, finalState);
        QFETCH(bool, highlighted);

        MenuBarPlatformMock platform;
        StatusItemMock *item = platform.addStatusItem();
        item->button->state = state;
        item->button->highlighted = !highlighted;
        QCOMPARE(isShowingMenu(platform, item), state != ControlState::off);
        tarimo::menubar_access::applyPresented(platform, item, requested);
        QCOMPARE(item->button->clickCount, clicks);
        QCOMPARE(item->button->state, finalState);
        QCOMPARE(item->button->highlighted, highlighted);
        // Exactly one re-sync of the highlight either way.
        QCOMPARE(item->button->highlightCount, 1);
    }

    void itemWithoutButtonCountsAsShown()
    {
        MenuBarPlatformMock platform;
        StatusItemMock *item = platform.addStatusItem(false);
        QVERIFY(isShowingMenu(platform, item));
        tarimo::menubar_access::applyPresented(platform, item, false);
        QVERIFY(isShowingMenu(platform, item));
    }

    void observerSetsTheBindingAtOnce_data()
    {
        QTest::addColumn<ControlState>("state");
        QTest::addColumn<bool>("presented");
        QTest::newRow("open panel") << ControlState::on << true;
        QTest::newRow("mixed") << ControlState::mixed << true;
        QTest::newRow("closed panel") << ControlState::off << false;
    }
    void observerSetsTheBindingAtOnce()
    {
        QFETCH(ControlState, state);
        QFETCH(bool, presented);
        const Attached attached(state, !presented);
        QCOMPARE(attached.presented.get(), presented);
        // The binding followed the button; the button was not clicked back.
        QCOMPARE(attached.item->button->clickCount, 0);
        QCOMPARE(attached.item->button->state, state);
    }

    void outsideClick_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("clicks");
        QTest::newRow("open panel is closed by one click") << true << 1;
        QTest::newRow("closed panel only re-syncs the highlight") << false << 0;
    }
    void outsideClick()
    {
        QFETCH(bool, open);
        QFETCH(int, clicks);
        Attached attached;
        StatusBarButtonMock &button = *attached.item->button;
        attached.presented.set(open);
        button.highlighted = true;
        button.clickCount = 0;
        const int highlightsBefore = button.highlightCount;

        attached.platform->clickOutside();
        QCOMPARE(button.clickCount, clicks);
        QCOMPARE(button.state, ControlState::off);
        QVERIFY(!button.highlighted);
        QVERIFY(button.highlightCount > highlightsBefore);
        QVERIFY(!attached.presented.get());
    }

    void everyEvaluationReplacesObserverAndMonitor()
    {
        Attached attached;
        MenuBarPlatformMock &platform = *attached.platform;
        const std::optional<MonitorToken> first = attached.access.observerContainer->eventsMonitor();
        QVERIFY(first);

        attached.scene = attached.access.body();
        attached.scene = attached.access.body();
        runQueuedBlocks();
        QCOMPARE(platform.monitorInstallations, 3);
        QCOMPARE(platform.monitorRemovals, 2);
        QCOMPARE(platform.installedMonitorCount(), 1);
        QVERIFY(!platform.isMonitorInstalled(*first));
        QVERIFY(platform.isMonitorInstalled(*attached.access.observerContainer->eventsMonitor()));
        QCOMPARE(platform.observationsStarted, 3);
        QCOMPARE(platform.activeObservations, 1);

        // One monitor left: an outside click closes the panel once.
        attached.presented.set(true);
        platform.clickOutside();
        QCOMPARE(attached.item->button->clickCount, 2);
        QCOMPARE(attached.item->button->highlightCount, 3);
    }

    void failedInstallationStillRemovesTheOldMonitor()
    {
        Attached attached;
        attached.platform->failMonitorInstallation = true;
        attached.scene = attached.access.body();
        runQueuedBlocks();
        QCOMPARE(attached.access.observerContainer->eventsMonitor(), std::nullopt);
        QCOMPARE(attached.platform->installedMonitorCount(), 0);
    }

    void lastCopyGoneRemovesMonitorAndObserver()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        StatusItemMock *item = platform->addStatusItem();
        Binding<bool> presented;
        std::weak_ptr<ObserverContainer> container;
        {
            auto access = attachMenuBarExtraAccess(platform, Scene{}, 0, presented);
            container = access.observerContainer;
            const auto copy = access;
            const auto scene = copy.body();
            runQueuedBlocks();
            QCOMPARE(platform->installedMonitorCount(), 1);
            QCOMPARE(platform->activeObservations, 1);
        }
        QVERIFY(container.expired());
        QCOMPARE(platform->installedMonitorCount(), 0);
        QCOMPARE(platform->activeObservations, 0);
        // Neither side follows the other any more.
        item->button->click();
        QVERIFY(!presented.get());
        presented.set(true);
        QCOMPARE(item->button->clickCount, 1);
    }

    void queuedWorkKeepsTheContainerUntilItRan()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        platform->addStatusItem();
        std::weak_ptr<ObserverContainer> container;
        {
            const auto access = attachMenuBarExtraAccess(platform, Scene{}, 0, Binding<bool>());
            container = access.observerContainer;
            const auto scene = access.body();
        }
        QVERIFY(!container.expired());
        runQueuedBlocks();
        QVERIFY(container.expired());
        // The monitor the queued block installed went with the container.
        QCOMPARE(platform->monitorInstallations, 1);
        QCOMPARE(platform->installedMonitorCount(), 0);
    }

    void introspectionRunsAfterEveryPassUntilMarkedDone()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        platform->addStatusItem();
        int introspections = 0;
        const auto access = attachMenuBarExtraAccess(platform, Scene{}, 0, Binding<bool>(),
                                                     [&](QObject *) { ++introspections; });
        auto scene = access.body();
        scene = access.body();
        runQueuedBlocks();
        QCOMPARE(introspections, 2);

        access.observerContainer->setStatusItemIntrospectionSetup(true);
        const int posted = platform->postedBlocks;
        scene = access.body();
        QCOMPARE(platform->postedBlocks, posted + 2);
        runQueuedBlocks();
        QCOMPARE(introspections, 2);
    }

    void indexPicksTheItem()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        StatusItemMock *first = platform->addStatusItem();
        StatusItemMock *second = platform->addStatusItem();
        Binding<bool> presented;
        QList<QObject *> introspected;
        const auto access = attachMenuBarExtraAccess(platform, Scene{}, 1, presented,
                                                     [&](QObject *item) { introspected << item; });
        const auto scene = access.body();
        runQueuedBlocks();
        QCOMPARE(introspected, (QList<QObject *>{second}));
        presented.set(true);
        QCOMPARE(first->button->clickCount, 0);
        QCOMPARE(second->button->clickCount, 1);
    }

    void bindingNotifiesOnlyOnChange()
    {
        Binding<bool> binding;
        const Binding<bool> copy = binding;
        QList<bool> heard;
        auto subscription = copy.onChange([&](const bool &value) { heard << value; });
        binding.set(false);
        binding.set(true);
        binding.set(true);
        copy.get() ? binding.set(false) : void();
        QCOMPARE(heard, (QList<bool>{true, false}));
        subscription.reset();
        binding.set(true);
        QCOMPARE(heard.size(), 2);
        QVERIFY(copy.get());
    }
};

QTEST_MAIN(MenuBarExtraAccessTest)
#include "menu_bar_extra_access_test.moc"
