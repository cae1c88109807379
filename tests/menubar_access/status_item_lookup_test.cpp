#include "menubar_access/on_menu_bar_extra_window.h"
#include "menubar_access/status_item_lookup.h"
#include "tests/menubar_access/menu_bar_platform_mock.h"
#include "tests/support/captured_output.h"

#include <QTest>
#include <QWidget>

using namespace tarimo::menubar_access;
using tarimo::test_support::CapturedOutput;

// Same class as far as behaviour goes, but another class name.
class SubclassedStatusItem : public StatusItemMock
{
    Q_OBJECT

public:
    using StatusItemMock::StatusItemMock;
};

class LabelView : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)

public:
    using QObject::QObject;
    QString text = QStringLiteral("Weather");
};

namespace {

const QString noTarget = QStringLiteral("Could not find status item's target.");
const QString noId = QStringLiteral("Could not determine MenuBarExtra ID");

QVariant objectValue(QObject *object)
{
    return QVariant::fromValue(object);
}

QString hashLine(const QString &label)
{
    return QStringLiteral("hash: ") + QString::number(qHash(label));
}

} // namespace

class StatusItemLookupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookupByIndex_data()
    {
        QTest::addColumn<int>("itemCount");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected"); // -1: nothing
        QTest::newRow("first") << 3 << 0 << 0;
        QTest::newRow("last") << 3 << 2 << 2;
        QTest::newRow("past the end") << 3 << 3 << -1;
        QTest::newRow("negative") << 3 << -1 << -1;
        QTest::newRow("none at all") << 0 << 0 << -1;
    }
    void lookupByIndex()
    {
        QFETCH(int, itemCount);
        QFETCH(int, index);
        QFETCH(int, expected);
        MenuBarPlatformMock platform;
        QList<QObject *> items;
        for (int i = 0; i < itemCount; ++i)
            items.append(platform.addStatusItem());
        QObject *found = StatusItemLookup(platform).statusItemFor(StatusItemKey::byIndex(index));
        QCOMPARE(found, expected < 0 ? nullptr : items.at(expected));
    }

    void onlyStatusBarWindowsWithTheExactClassCount()
    {
        MenuBarPlatformMock platform;
        QObject *first = platform.addStatusItem();

        // A subclass with its own class name, in a status bar window.
        auto *subclassWindow = platform.make<StatusBarWindowMock>();
        subclassWindow->setProperty("statusItem", objectValue(platform.make<SubclassedStatusItem>()));
        platform.windowList.append(subclassWindow);
        // A status item in a window that is no status bar window.
        auto *otherWindow = platform.make<QObject>();
        otherWindow->setProperty("statusItem", objectValue(platform.make<StatusItemMock>()));
        platform.windowList.append(otherWindow);
        // A status bar window whose "statusItem" is something else.
        auto *wrongWindow = platform.make<StatusBarWindowMock>();
        wrongWindow->setProperty("statusItem", objectValue(platform.make<QObject>()));
        platform.windowList.append(wrongWindow);
        // A panel carries a status item too, but is no status bar window.
        platform.addMenuBarExtraWindow(first);

        QObject *second = platform.addStatusItem();

        StatusItemLookup lookup(platform);
        QCOMPARE(lookup.allStatusItems(), (QList<QObject *>{first, second}));
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byIndex(1)), second);
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byIndex(2)), nullptr);
    }

    void statusItemOfWindow()
    {
        MenuBarPlatformMock platform;
        StatusItemLookup lookup(platform);
        auto *item = platform.make<StatusItemMock>();

        auto *byProperty = platform.make<StatusBarWindowMock>();
        byProperty->setProperty("statusItem", objectValue(item));
        QCOMPARE(lookup.statusItemOfWindow(byProperty), item);

        // The property holds no status item, a stored member does.
        auto *byMember = platform.make<StatusBarWindowMock>();
        byMember->setProperty("statusItem", QStringLiteral("not an item"));
        auto *childItem = new StatusItemMock(byMember);
        childItem->setObjectName(QStringLiteral("statusItem"));
        QCOMPARE(lookup.statusItemOfWindow(byMember), childItem);

        // A subclass still is a status item; only the positions skip it.
        auto *subclassWindow = platform.make<StatusBarWindowMock>();
        auto *subclassed = platform.make<SubclassedStatusItem>();
        subclassWindow->setProperty("statusItem", objectValue(subclassed));
        QCOMPARE(lookup.statusItemOfWindow(subclassWindow), subclassed);

        auto *neither = platform.make<StatusBarWindowMock>();
        new QObject(neither); // an unnamed child
        auto *wrongChild = new QObject(neither);
        wrongChild->setObjectName(QStringLiteral("statusItem"));
        QCOMPARE(lookup.statusItemOfWindow(neither), nullptr);
    }

    void menuBarExtraId_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QVariant>("label");
        QTest::addColumn<QString>("expectedId"); // empty: nothing
        QTest::addColumn<QStringList>("expectedLines");

        QTest::newRow("own identifier") << "id" << QVariant() << "weather" << QStringList{};
        QTest::newRow("label text") << "label" << QVariant(QStringLiteral("Weather")) << "hash"
                                    << QStringList{hashLine(QStringLiteral("Weather"))};
        QTest::newRow("identifier not a text") << "number id and label"
                                               << QVariant(QStringLiteral("Weather")) << "hash"
                                               << QStringList{hashLine(QStringLiteral("Weather"))};
        QTest::newRow("empty label") << "label" << QVariant(QString()) << "" << QStringList{noId};
        QTest::newRow("nothing to go by") << "bare target" << QVariant() << "" << QStringList{noId};
        QTest::newRow("no target") << "no target" << QVariant() << "" << QStringList{noTarget};
        QTest::newRow("no button") << "no button" << QVariant() << "" << QStringList{noTarget};
    }
    void menuBarExtraId()
    {
        QFETCH(QString, setup);
        QFETCH(QVariant, label);
        QFETCH(QString, expectedId);
        QFETCH(QStringList, expectedLines);

        MenuBarPlatformMock platform;
        StatusItemMock *item = platform.addStatusItem(setup != QLatin1String("no button"));
        if (setup == QLatin1String("no target"))
            item->button->target = nullptr;
        QObject *target = item->button ? item->button->target.data() : nullptr;
        if (setup.startsWith(QLatin1String("id")))
            target->setProperty("menuBarExtraId", QStringLiteral("weather"));
        if (setup.startsWith(QLatin1String("number id")))
            target->setProperty("menuBarExtraId", 7);
        if (label.isValid())
            target->setProperty("label", label);

        std::optional<QString> id;
        CapturedOutput output;
        id = StatusItemLookup(platform).menuBarExtraId(item);
        if (expectedId == QLatin1String("hash"))
            expectedId = QString::number(qHash(label.toString()));
        QCOMPARE(id.value_or(QString()), expectedId);
        QCOMPARE(output.lines(), expectedLines);
    }

    void labelViewKeepsItsIdentifierWhileItLives()
    {
        MenuBarPlatformMock platform;
        StatusItemMock *weather = platform.addStatusItem();
        StatusItemMock *prices = platform.addStatusItem();
        auto *weatherLabel = new LabelView(weather->button->target);
        weatherLabel->setObjectName(QStringLiteral("label"));
        (new LabelView(prices->button->target))->setObjectName(QStringLiteral("label"));

        CapturedOutput output;
        StatusItemLookup lookup(platform);
        const std::optional<QString> id = lookup.menuBarExtraId(weather);
        QVERIFY(id);
        QCOMPARE(output.lines(), QStringList{QStringLiteral("hash: ") + *id});
        weatherLabel->text = QStringLiteral("Rain");
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byId(*id)), weather);
        QVERIFY(lookup.menuBarExtraId(prices) != id);
    }

    void lookupById()
    {
        MenuBarPlatformMock platform;
        StatusItemMock *unnamed = platform.addStatusItem();
        StatusItemMock *prices = platform.addStatusItem();
        StatusItemMock *weather = platform.addStatusItem();
        prices->button->target->setProperty("menuBarExtraId", QStringLiteral("prices"));
        weather->button->target->setProperty("menuBarExtraId", QStringLiteral("weather"));
        Q_UNUSED(unnamed);

        CapturedOutput output;
        StatusItemLookup lookup(platform);
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byId(QStringLiteral("weather"))), weather);
        QCOMPARE(lookup.statusItemFor(StatusItemKey::byId(QStringLiteral("rain"))), nullptr);
        // The unnamed item is asked each time and never matches.
        QCOMPARE(output.lines(), (QStringList{noId, noId}));
    }

    void menuBarExtraWindowFor()
    {
        MenuBarPlatformMock platform;
        StatusItemMock *first = platform.addStatusItem();
        StatusItemMock *second = platform.addStatusItem();
        StatusItemMock *third = platform.addStatusItem();
        Q_UNUSED(third);
        // Panels in another order than their items; the third has none.
        MenuBarExtraWindowMock *secondPanel = platform.addMenuBarExtraWindow(second);
        MenuBarExtraWindowMock *firstPanel = platform.addMenuBarExtraWindow(first);
        secondPanel->setProperty("menuBarExtraId", QStringLiteral("weather"));
        firstPanel->setProperty("menuBarExtraId", QStringLiteral("prices"));

        CapturedOutput output;
        StatusItemLookup lookup(platform);
        QCOMPARE(lookup.menuBarExtraWindowFor(), secondPanel);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byIndex(0)), firstPanel);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byIndex(1)), secondPanel);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byIndex(2)), nullptr);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byIndex(-1)), nullptr);
        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byId(QStringLiteral("prices"))), firstPanel);
        QVERIFY(output.lines().isEmpty());

        QCOMPARE(lookup.menuBarExtraWindowFor(StatusItemKey::byId(QStringLiteral("rain"))), nullptr);
        QCOMPARE(output.text(),
                 QStringLiteral("Window could not be found for status item with ID \"rain.\n"));
    }

    void windowHandedOverEachTimeTheViewIsShown()
    {
        auto platform = std::make_shared<MenuBarPlatformMock>();
        StatusItemMock *item = platform->addStatusItem();
        QWidget top;
        auto *view = new QWidget(&top);
        QList<QObject *> received;
        QCOMPARE(onMenuBarExtraWindow(platform, view, 0, [&](QObject *window) { received.append(window); }),
                 view);

        CapturedOutput output;
        top.show();
        QVERIFY(received.isEmpty());
        QCOMPARE(output.lines(),
                 QStringList{QStringLiteral(
                     "Cannot call introspection block for status item because its window could not be found.")});

        MenuBarExtraWindowMock *panel = platform->addMenuBarExtraWindow(item);
        top.hide();
        top.show();
        top.hide();
        top.show();
        QCOMPARE(received, (QList<QObject *>{panel, panel}));
        QCOMPARE(output.lines().size(), 1);
    }
};

QTEST_MAIN(StatusItemLookupTest)
#include "status_item_lookup_test.moc"
