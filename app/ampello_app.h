#pragma once

#include "price/content_view_model.h"
#include "price/request_provider.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace tarimo::app {

class AboutView;
class PriceMenuBarExtraWindow;
using MainWindow = PriceMenuBarExtraWindow;
class PriceTray;
class WindowChrome;

// The application: the one view model, the price window and, on demand, the
// About window. It speaks the desktop's language where it has a translation,
// begins in the zone chosen last and remembers the choices of its menu (see
// Settings). Where the desktop has a system tray, the price shows there too,
// and closing the window leaves the program in the tray.
class AmpelloApp : public QObject
{
    Q_OBJECT

public:
    // The live service and the real clock.
    AmpelloApp();
    // Another price source or clock (tests point it at a loopback service).
    explicit AmpelloApp(std::shared_ptr<price::RequestProvider> provider,
                        price::ContentViewModel::Clock clock = {});
    ~AmpelloApp() override;

    price::ContentViewModel *viewModel() const { return m_viewModel; }
    MainWindow *mainWindow() const { return m_mainWindow.get(); }
    // Null until About has been chosen once.
    AboutView *aboutView() const;
    // Prices with VAT, start at login, the tray, About and Quit.
    QMenu *applicationMenu() const { return m_menu.get(); }
    QAction *vatAction() const { return m_vatAction; }
    QAction *autostartAction() const { return m_autostartAction; }
    QAction *trayAction() const { return m_trayAction; }
    QAction *aboutAction() const { return m_aboutAction; }
    QAction *quitAction() const { return m_quitAction; }

    // Null until the first frame is on screen.
    PriceTray *tray() const { return m_tray.get(); }
    // The tray icon's menu: the zones, prices with VAT, start at login,
    // About and Quit.
    QMenu *trayMenu() const { return m_trayMenu.get(); }

    // Shows the About window, or raises it when it is already open.
    void openAbout();
    // What closing the price window does: hides it while the price is in
    // the tray, else quits.
    void closeWindow();

    // Writes or removes the autostart entry; a failure is told in a
    // message box, and the menu item shows what is.
    void setStartsAtLogin(bool start);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Listens from now on for the desktop's news that the network is back.
    void watchNetwork();
    void setUpTray();
    // "Close" while the window closes to the tray, else "Quit".
    void nameCloseControl();

    price::ContentViewModel *m_viewModel = nullptr;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<MainWindow> m_mainWindow;
    // Gone before the window whose icon it draws.
    std::unique_ptr<PriceTray> m_tray;
    QAction *m_vatAction = nullptr;
    QAction *m_autostartAction = nullptr;
    QAction *m_trayAction = nullptr;
    QAction *m_aboutAction = nullptr;
    QAction *m_quitAction = nullptr;
    WindowChrome *m_chrome = nullptr;
    QPointer<AboutView> m_aboutView;
    bool m_watchingNetwork = false;
};

} // namespace tarimo::app
