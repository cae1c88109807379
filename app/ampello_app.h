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
// About window. Reads no options, environment or files and keeps no settings.
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
    // "About Tarimo" and Quit, nothing else.
    QMenu *applicationMenu() const { return m_menu.get(); }
    QAction *aboutAction() const { return m_aboutAction; }
    QAction *quitAction() const { return m_quitAction; }

    // Shows the About window, or raises it when it is already open.
    void openAbout();

private:
    void watchNetwork();

    price::ContentViewModel *m_viewModel = nullptr;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<QMenu> m_menu;
    QAction *m_aboutAction = nullptr;
    QAction *m_quitAction = nullptr;
    QPointer<AboutView> m_aboutView;
};

} // namespace tarimo::app
