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
class MainWindow;

// The application: the one view model, the price window and, on demand, the
// About window. It speaks the desktop's language where it has a translation,
// begins in the zone chosen last and remembers the choices of its menu (see
// Settings).
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
    // Prices with VAT, start at login, About and Quit.
    QMenu *applicationMenu() const { return m_menu.get(); }
    QAction *vatAction() const { return m_vatAction; }
    QAction *autostartAction() const { return m_autostartAction; }
    QAction *aboutAction() const { return m_aboutAction; }
    QAction *quitAction() const { return m_quitAction; }

    // Shows the About window, or raises it when it is already open.
    void openAbout();

    // Writes or removes the autostart entry; a failure is told in a
    // message box, and the menu item shows what is.
    void setStartsAtLogin(bool start);

private:
    // Listens from now on for the desktop's news that the network is back.
    void watchNetwork();

    price::ContentViewModel *m_viewModel = nullptr;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<QMenu> m_menu;
    QAction *m_vatAction = nullptr;
    QAction *m_autostartAction = nullptr;
    QAction *m_aboutAction = nullptr;
    QAction *m_quitAction = nullptr;
    QPointer<AboutView> m_aboutView;
    bool m_watchingNetwork = false;
};

} // namespace tarimo::app
