#include "app/ampello_app.h"

#include "app/about_view.h"
#include "app/main_window.h"
#include "app/named_image.h"
#include "app/window_chrome.h"
#include "price/caching_request.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QNetworkInformation>
#include <QTimer>

namespace tarimo::app {

AmpelloApp::AmpelloApp()
    : AmpelloApp(std::make_shared<price::CachingRequest>())
{}

AmpelloApp::AmpelloApp(std::shared_ptr<price::RequestProvider> provider, price::ContentViewModel::Clock clock)
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tarimo"));

    m_viewModel = new price::ContentViewModel(std::move(provider), std::move(clock), this);

    // The whole application menu: About and Quit. On macOS the roles put
    // them into the application menu; elsewhere it opens from a right-click.
    m_menu = std::make_unique<QMenu>();
    m_aboutAction = m_menu->addAction(tr("About Tarimo"));
    m_aboutAction->setMenuRole(QAction::AboutRole);
    connect(m_aboutAction, &QAction::triggered, this, &AmpelloApp::openAbout);
    m_quitAction = m_menu->addAction(tr("Quit"));
    m_quitAction->setMenuRole(QAction::QuitRole);
    m_quitAction->setShortcut(QKeySequence::Quit);
    m_quitAction->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    m_mainWindow = std::make_unique<MainWindow>(m_viewModel);
    // Closing the price window ends the program, as Quit does.
    new WindowChrome(m_mainWindow.get(), tr("Quit"), [this] { m_quitAction->trigger(); });
    m_mainWindow->addAction(m_quitAction);
    m_mainWindow->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mainWindow.get(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &position) { m_menu->popup(m_mainWindow->mapToGlobal(position)); });
    // Decoding the icon's bitmaps takes a few milliseconds that the first
    // frame need not wait for.
    connect(m_mainWindow.get(), &MainWindow::firstFramePainted, this, [this] {
        QGuiApplication::setWindowIcon(applicationIcon());
        watchNetwork();
    });
    m_mainWindow->show();
}

void AmpelloApp::watchNetwork()
{
    // At login the network often comes up after the program: reload as soon
    // as the desktop says it is back, rather than at the next retry. Without
    // a backend (no NetworkManager) the retries alone remain.
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, m_viewModel,
            [model = m_viewModel](QNetworkInformation::Reachability reachability) {
                if (reachability == QNetworkInformation::Reachability::Online)
                    model->networkBecameReachable();
            });
}

AmpelloApp::~AmpelloApp()
{
    delete m_aboutView;
}

AboutView *AmpelloApp::aboutView() const
{
    return m_aboutView;
}

void AmpelloApp::openAbout()
{
    if (!m_aboutView) {
        m_aboutView = new AboutView();
        m_aboutView->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        m_aboutView->setWindowTitle(tr("About Tarimo"));
        m_aboutView->setAttribute(Qt::WA_QuitOnClose, false);
        m_aboutView->addAction(m_quitAction);
        m_aboutView->setAutoFillBackground(true);
        m_aboutView->setPalette(MainWindow::displayPalette());
        new WindowChrome(m_aboutView, tr("Close"), [about = m_aboutView] { about->close(); });
        // Over the middle of the price window, where the eye already is.
        const QRect main = m_mainWindow->frameGeometry();
        m_aboutView->move(main.center() - QPoint(m_aboutView->width() / 2, m_aboutView->height() / 2));
    }
    m_aboutView->show();
    // The window itself takes the keys first, so that the link shows focus
    // only once Tab brings it there.
    m_aboutView->setFocus();
    m_aboutView->raise();
    m_aboutView->activateWindow();
}

} // namespace tarimo::app
