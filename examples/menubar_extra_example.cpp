// A tray icon with a panel, kept in step with a presented flag by
// MenuBarExtraAccess: a click on the icon opens the panel and the next one
// closes it, a click anywhere else (or switching to another application)
// closes it too, and the flag follows both ways. The lines on standard
// output say what the user does and what follows.

#include "console/console.h"
#include "menubar_access/menu_bar_extra_access.h"
#include "menubar_access/menu_bar_extra_window.h"
#include "menubar_access/on_menu_bar_extra_window.h"
#include "menubar_access/qt_menu_bar_platform.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

using namespace tarimo::menubar_access;
using tarimo::console::printLine;

namespace {

// A dark rounded square with a yellow lightning bolt.
QIcon boltIcon()
{
    QIcon icon;
    for (int side : {16, 22, 32, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 32.0, side / 32.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x20, 0x24, 0x2c));
        painter.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
        QPainterPath bolt;
        bolt.moveTo(18, 4);
        bolt.lineTo(8, 18);
        bolt.lineTo(15, 18);
        bolt.lineTo(13, 28);
        bolt.lineTo(24, 13);
        bolt.lineTo(17, 13);
        bolt.closeSubpath();
        painter.fillPath(bolt, QColor(0xff, 0xc8, 0x1e));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Names each press in the example's windows before the window acts on it:
// application filters hear a press before its widget does.
class PressReporter : public QObject
{
public:
    PressReporter(MenuBarExtraWindow &panel, QMenu &menu)
        : m_panel(panel)
        , m_menu(menu)
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress || !watched->isWindowType())
            return false;
        const auto *press = static_cast<QMouseEvent *>(event);
        const QString button = press->button() == Qt::LeftButton ? QStringLiteral("click")
                                                                 : QStringLiteral("right-click");
        if (watched == m_panel.windowHandle())
            printLine(button + QStringLiteral(" in the panel"));
        else if (watched == m_menu.windowHandle())
            printLine(button + QStringLiteral(" in the tray icon's menu"));
        else if (m_panel.statusItem()->geometry().contains(press->globalPosition().toPoint()))
            printLine(button + QStringLiteral(" on the tray icon"));
        return false;
    }

private:
    MenuBarExtraWindow &m_panel;
    QMenu &m_menu;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // A tray program lives on with its panel closed.
    application.setQuitOnLastWindowClosed(false);

    auto platform = std::make_shared<QtMenuBarPlatform>();

    MenuBarExtraWindow panel;
    panel.setMenuBarExtraId(QStringLiteral("example.bolt"));
    panel.setFixedSize(240, 120);
    panel.statusItem()->setIcon(boltIcon());
    panel.statusItem()->setToolTip(QStringLiteral("Menu bar extra example"));

    auto *content = new QLabel(QStringLiteral("A panel of the tray icon.\nClick elsewhere to close it."));
    content->setAlignment(Qt::AlignCenter);
    auto *closeButton = new QPushButton(QStringLiteral("Close"));
    auto *quitButton = new QPushButton(QStringLiteral("Quit"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);
    buttons->addWidget(quitButton);
    auto *layout = new QVBoxLayout(&panel);
    layout->addWidget(content);
    layout->addLayout(buttons);

    onMenuBarExtraWindow(platform, content, 0, [](QObject *window) {
        printLine(QStringLiteral("panel shown: ") + QString::fromLatin1(window->metaObject()->className()));
    });

    Binding<bool> presented(false);
    const BindingSubscription logPresented = presented.onChange([](const bool &value) {
        printLine(QStringLiteral("isMenuPresented: ") + yesNo(value));
    });

    const auto access = attachMenuBarExtraAccess(platform, QStringLiteral("bolt"), 0, presented,
                                                 [](QObject *statusItem) {
                                                     printLine(QStringLiteral("status item: ")
                                                               + QString::fromLatin1(statusItem->metaObject()->className()));
                                                 });
    // Evaluated once: nothing about the scene changes while the example runs.
    const MenuBarExtraScene<QString> scene = access.body();

    QObject::connect(closeButton, &QPushButton::clicked, [presented]() mutable { presented.set(false); });
    QObject::connect(quitButton, &QPushButton::clicked, &application, &QApplication::quit);

    QMenu menu;
    menu.addAction(QStringLiteral("Open Panel"), [presented]() mutable { presented.set(true); });
    menu.addAction(QStringLiteral("Quit"), &application, &QApplication::quit);
    panel.statusItem()->setContextMenu(&menu);
    panel.statusItem()->show();
    const PressReporter pressReporter(panel, menu);

    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        printLine(QStringLiteral("No system tray here: opening the panel directly."));
        // After the set-up work queued by body() has run.
        QTimer::singleShot(0, &application, [presented]() mutable { presented.set(true); });
        // Without a tray and with the panel closed there is nothing left to use.
        QObject::connect(panel.button(), &StatusBarButton::stateChanged, &application, [&application](int state) {
            if (ControlState(state) == ControlState::off)
                application.quit();
        });
    }

    return application.exec();
}
