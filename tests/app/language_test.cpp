// Run with LANGUAGE=sv: the program as a person on a Swedish desktop sees
// and hears it.

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
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using namespace tarimo;

class LanguageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void swedishDesktop()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        test_support::CapturedOutput output;
        auto server = test_support::TestServer::https();
        server->serve(QStringLiteral("/api/v1/prices/2025/11-12_SE3.json"),
                      test_support::Answer::json(test_support::serviceDay(QDate(2025, 11, 12), 15, test_support::hourNumberPrice)));
        const QDateTime now(QDate(2025, 11, 12), QTime(14, 20));
        app::AmpelloApp tarimo(std::make_shared<price::Request>(server->baseUrl(), server->makeTransport()),
                               [now] { return now; });
        auto *window = tarimo.mainWindow();
        auto *panel = window->contentView();
        QCOMPARE(panel->priceStatus(), QStringLiteral("Hämtar priser…"));
        QTRY_VERIFY(panel->priceInOre().isValid());

        // What a screen reader reads.
        QAccessibleInterface *price = QAccessible::queryAccessibleInterface(panel)->child(0);
        QCOMPARE(price->text(QAccessible::Name), QStringLiteral("Spotpris"));
        QCOMPARE(price->text(QAccessible::Value), QStringLiteral("1415 öre per kWh"));
        QAccessibleInterface *zones = QAccessible::queryAccessibleInterface(panel->zoneBar());
        QCOMPARE(zones->text(QAccessible::Name), QStringLiteral("Elområde"));
        QCOMPARE(zones->child(3)->text(QAccessible::Description), QStringLiteral("SE4, Malmö"));
        QAccessibleInterface *chart = QAccessible::queryAccessibleInterface(panel->equalizer());
        QCOMPARE(chart->text(QAccessible::Name), QStringLiteral("Priser per timme, idag"));
        const auto *chrome = window->findChild<app::WindowChrome *>();
        QCOMPARE(chrome->closeButton()->accessibleName(), QStringLiteral("Avsluta"));
        QCOMPARE(chrome->minimiseButton()->toolTip(), QStringLiteral("Minimera"));

        // What the panel shows; the date line is Swedish in every language.
        QCOMPARE(panel->headerTitle(), QStringLiteral("SPOTPRIS"));
        QCOMPARE(panel->unitText(), QStringLiteral("öre/kWh"));
        QCOMPARE(panel->headerDate(), QStringLiteral("ONSDAG 12 NOV. 2025, 14:00"));
        const QPoint se1 = panel->zoneBar()->labelRect(price::Zone::se1).center().toPoint();
        QHelpEvent tip(QEvent::ToolTip, se1, panel->zoneBar()->mapToGlobal(se1));
        QApplication::sendEvent(panel->zoneBar(), &tip);
        QCOMPARE(QToolTip::text(), QStringLiteral("SE1 – Luleå"));
        QStringList menu;
        for (const QAction *action : tarimo.applicationMenu()->actions())
            menu.append(action->text());
        QCOMPARE(menu, (QStringList{"Visa priser med moms (25 %)", "Starta vid inloggning", "Visa i systemfältet", "",
                                    "Om Tarimo", "Avsluta"}));

        tarimo.openAbout();
        app::AboutView *about = tarimo.aboutView();
        QCOMPARE(about->windowTitle(), QStringLiteral("Om Tarimo"));
        QStringList texts;
        for (const QLabel *label : about->findChildren<QLabel *>())
            texts.append(label->text().isEmpty() ? label->accessibleName() : label->text());
        QCOMPARE(texts, (QStringList{"Tarimos logotyp", "Tarimo", "Version " TARIMO_VERSION,
                                     "skapad av tarimo@example.org", "Prisuppgifter från:"}));
        QCOMPARE(about->serviceButton()->accessibleDescription(), QStringLiteral("Öppnar pristjänstens webbsida"));

        // Qt's own texts too, from the system's translations of Qt.
        QCOMPARE(QCoreApplication::translate("QMessageBox", "Show Details..."), QStringLiteral("Visa detaljer..."));

        // The console stays as it is everywhere.
        QCOMPARE(output.lines().value(0), QStringLiteral("🍀 se3"));
    }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
