#include "app/ampello_app.h"

#include "app/about_view.h"
#include "app/autostart.h"
#include "app/main_window.h"
#include "app/named_image.h"
#include "app/price_tray.h"
#include "app/settings.h"
#include "app/window_chrome.h"
#include "app/window_control_button.h"
#include "display/zone_bar.h"
#include "price/caching_request.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkInformation>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>

#include <utility>

namespace tarimo::app {

namespace {

// Once per process, before the first window: the first of the desktop's
// languages (LANGUAGE, LC_MESSAGES, LANG) that Tarimo has a translation for.
// English has its own, empty one, so that "en:sv" stays English. Qt's own
// texts follow in the same language when the system has them. A missing
// file leaves the English of the code, silently.
void installTranslations()
{
    static bool installed = false;
    if (std::exchange(installed, true))
        return;
    const QLocale desktop = QLocale::system();
    auto *own = new QTranslator(qApp);
    if (!own->load(desktop, QStringLiteral("tarimo"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete own;
        return;
    }
    QCoreApplication::installTranslator(own);
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *qt = new QTranslator(qApp);
    const QLocale language(own->language());
    if (qt->load(language, QStringLiteral("qtbase"), QStringLiteral("_"), qtFolder)
        || qt->load(language, QStringLiteral("qt"), QStringLiteral("_"), qtFolder))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
}

} // namespace

AmpelloApp::AmpelloApp()
    : AmpelloApp(std::make_shared<price::CachingRequest>())
{}

AmpelloApp::AmpelloApp(std::shared_ptr<price::RequestProvider> provider, price::ContentViewModel::Clock clock)
{
    installTranslations();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tarimo"));

    m_viewModel = new price::ContentViewModel(std::move(provider), std::move(clock), this);
    // Before the first load, which the window's first showing starts.
    const Settings settings;
    m_viewModel->setStartZone(settings.zone());
    m_viewModel->setIncludesVat(settings.includesVat());
    connect(m_viewModel, &price::ContentViewModel::selectedZoneChanged, this,
            [model = m_viewModel] { Settings().setZone(model->selectedZone()); });

    // The whole application menu. On macOS the roles put About and Quit into
    // the application menu; elsewhere it opens from a right-click.
    m_menu = std::make_unique<QMenu>();
    m_vatAction = m_menu->addAction(tr("Show prices with VAT (25 %)"));
    m_vatAction->setCheckable(true);
    m_vatAction->setChecked(m_viewModel->includesVat());
    connect(m_vatAction, &QAction::triggered, this, [this](bool checked) {
        m_viewModel->setIncludesVat(checked);
        Settings().setIncludesVat(checked);
    });
    m_autostartAction = m_menu->addAction(tr("Start at login"));
    m_autostartAction->setCheckable(true);
    connect(m_autostartAction, &QAction::triggered, this, &AmpelloApp::setStartsAtLogin);
    // The entry may have been made or removed elsewhere since the last look.
    connect(m_menu.get(), &QMenu::aboutToShow, this,
            [this] { m_autostartAction->setChecked(autostart::isEnabled()); });
    m_trayAction = m_menu->addAction(tr("Show in the system tray"));
    m_trayAction->setCheckable(true);
    m_trayAction->setChecked(settings.showsInTray());
    connect(m_trayAction, &QAction::triggered, this, [this](bool checked) {
        Settings().setShowsInTray(checked);
        if (m_tray)
            m_tray->setShown(checked);
        nameCloseControl();
    });
    m_menu->addSeparator();
    m_aboutAction = m_menu->addAction(tr("About Tarimo"));
    m_aboutAction->setMenuRole(QAction::AboutRole);
    connect(m_aboutAction, &QAction::triggered, this, &AmpelloApp::openAbout);
    m_quitAction = m_menu->addAction(tr("Quit"));
    m_quitAction->setMenuRole(QAction::QuitRole);
    // Ctrl+Q everywhere, not only where the platform's standard Quit is it
    // (macOS makes it Cmd+Q).
    m_quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quitAction->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    m_mainWindow = std::make_unique<MainWindow>(m_viewModel);
    // Closing the price window ends the program, as Quit does, unless the
    // price is in the tray; the close control's name says which.
    m_chrome = new WindowChrome(m_mainWindow.get(), tr("Quit"), [this] { closeWindow(); });
    m_mainWindow->installEventFilter(this);
    m_mainWindow->addAction(m_quitAction);
    auto *close = new QAction(m_mainWindow.get());
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(close, &QAction::triggered, this, &AmpelloApp::closeWindow);
    m_mainWindow->addAction(close);
    m_mainWindow->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mainWindow.get(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &position) { m_menu->popup(m_mainWindow->mapToGlobal(position)); });
    // Decoding the icon's bitmaps takes a few milliseconds that the first
    // frame need not wait for.
    connect(m_mainWindow.get(), &MainWindow::firstFramePainted, this, [this] {
        QGuiApplication::setWindowIcon(applicationIcon());
        // Asking the desktop for its tray takes D-Bus round trips: after
        // the first load has begun.
        QMetaObject::invokeMethod(this, &AmpelloApp::setUpTray, Qt::QueuedConnection);
    });
    // Only a program without fresh prices has reason to listen for the
    // network; the rest never pay for D-Bus and the NetworkManager backend.
    connect(m_viewModel, &price::ContentViewModel::stateChanged, this, [this] {
        const auto state = m_viewModel->state();
        if (state == price::ContentViewModel::State::error
            || (state == price::ContentViewModel::State::loaded && m_viewModel->isFromSavedCopy()))
            watchNetwork();
    });
    m_mainWindow->show();
    // The window itself takes the keys first: no part shows focus until
    // Tab brings it to the zones.
    m_mainWindow->setFocus();
}

void AmpelloApp::setUpTray()
{
    m_trayMenu = std::make_unique<QMenu>();
    auto *zones = new QActionGroup(m_trayMenu.get());
    for (const price::Zone zone : price::allZones) {
        QAction *item = m_trayMenu->addAction(display::ZoneBar::toolTip(zone));
        item->setCheckable(true);
        item->setChecked(zone == m_viewModel->selectedZone());
        zones->addAction(item);
        connect(item, &QAction::triggered, m_viewModel,
                [model = m_viewModel, zone] { model->perform(price::ViewModelAction::selectZone(zone)); });
    }
    connect(m_viewModel, &price::ContentViewModel::selectedZoneChanged, zones, [zones, model = m_viewModel] {
        zones->actions().at(int(model->selectedZone()))->setChecked(true);
    });
    m_trayMenu->addSeparator();
    m_trayMenu->addActions({m_vatAction, m_autostartAction});
    m_trayMenu->addSeparator();
    m_trayMenu->addActions({m_aboutAction, m_quitAction});
    connect(m_trayMenu.get(), &QMenu::aboutToShow, this,
            [this] { m_autostartAction->setChecked(autostart::isEnabled()); });

    m_tray = std::make_unique<PriceTray>(m_viewModel, m_mainWindow.get(), m_trayMenu.get());
    m_tray->setShown(m_trayAction->isChecked());
    nameCloseControl();
}

void AmpelloApp::nameCloseControl()
{
    const QString name = m_tray && m_tray->isInTray() ? tr("Close") : tr("Quit");
    WindowControlButton *control = m_chrome->closeButton();
    if (control->accessibleName() != name) {
        control->setAccessibleName(name);
        control->setToolTip(name);
    }
}

void AmpelloApp::closeWindow()
{
    if (m_tray && m_tray->isInTray())
        m_tray->closePanel();
    else
        m_quitAction->trigger();
}

bool AmpelloApp::eventFilter(QObject *watched, QEvent *event)
{
    // The window manager's close, which the window would otherwise take.
    if (watched == m_mainWindow.get() && event->type() == QEvent::Close && event->spontaneous()) {
        event->ignore();
        closeWindow();
        return true;
    }
    // The close control says what it does now, as it comes into view.
    if (watched == m_mainWindow.get() && event->type() == QEvent::Enter)
        nameCloseControl();
    return QObject::eventFilter(watched, event);
}

void AmpelloApp::setStartsAtLogin(bool start)
{
    const auto failure = autostart::setEnabled(start);
    m_autostartAction->setChecked(autostart::isEnabled());
    if (!failure)
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Start at login"),
                                start ? tr("Tarimo could not be set to start at login.")
                                      : tr("Tarimo could not be kept from starting at login."),
                                QMessageBox::Ok, m_mainWindow.get());
    box->setInformativeText(*failure);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void AmpelloApp::watchNetwork()
{
    // At login the network often comes up after the program: reload as soon
    // as the desktop says it is back, rather than at the next retry. Without
    // a backend (no NetworkManager) the retries alone remain.
    if (std::exchange(m_watchingNetwork, true)
        || !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
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
        // A window of the price window's own (Qt makes it transient for it):
        // kept above it, and gone with it.
        m_aboutView = new AboutView({}, m_mainWindow.get());
        m_aboutView->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        m_aboutView->setWindowTitle(tr("About Tarimo"));
        m_aboutView->setAttribute(Qt::WA_QuitOnClose, false);
        m_aboutView->addAction(m_quitAction);
        m_aboutView->setAutoFillBackground(true);
        m_aboutView->setPalette(MainWindow::displayPalette());
        new WindowChrome(m_aboutView, tr("Close"), [about = m_aboutView] { about->close(); });
    }
    if (!m_aboutView->isVisible()) {
        // Over the middle of the price window, where the eye already is.
        QRect about(QPoint(), m_aboutView->size());
        about.moveCenter(m_mainWindow->frameGeometry().center());
        m_aboutView->move(about.topLeft());
    }
    m_aboutView->show();
    // The window itself takes the keys first, so that the link shows focus
    // only once Tab brings it there.
    m_aboutView->setFocus();
    m_aboutView->raise();
    m_aboutView->activateWindow();
}

} // namespace tarimo::app
