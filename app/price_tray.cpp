#include "app/price_tray.h"

#include "app/named_image.h"
#include "app/settings.h"
#include "display/content_view.h"
#include "display/status_strip.h"
#include "menubar_access/qt_menu_bar_platform.h"
#include "menubar_access/status_item_lookup.h"
#include "price/content_view_model.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

namespace tarimo::app {

namespace {

using price::ContentViewModel;

// Outside clicks close the panel only while a tray holds its icon: with no
// tray, nothing would bring the panel back.
class TrayPlatform : public menubar_access::QtMenuBarPlatform
{
public:
    explicit TrayPlatform(std::function<bool()> inTray)
        : m_inTray(std::move(inTray))
    {}

    std::optional<menubar_access::MonitorToken> addOutsideClickMonitor(std::function<void()> handler) override
    {
        return QtMenuBarPlatform::addOutsideClickMonitor([inTray = m_inTray, handler = std::move(handler)] {
            if (inTray())
                handler();
        });
    }

private:
    std::function<bool()> m_inTray;
};

} // namespace

PriceTray::PriceTray(ContentViewModel *viewModel, MainWindow *panel, QMenu *menu)
    : m_viewModel(viewModel)
    , m_panel(panel)
    , m_presented(panel->isVisible())
{
    panel->createStatusItem();
    panel->statusItem()->setContextMenu(menu);

    auto platform = std::make_shared<TrayPlatform>([tray = QPointer<PriceTray>(this)] { return tray && tray->isInTray(); });
    const auto index = menubar_access::StatusItemLookup(*platform).allStatusItems().indexOf(panel->statusItem());
    m_access = menubar_access::attachMenuBarExtraAccess(std::move(platform), panel, int(index), m_presented);
    // Evaluated once: the panel and its icon stay the same objects for as
    // long as the program runs, also while a tray comes and goes.
    m_scene = m_access->body();

    for (auto signal : {&ContentViewModel::spotPriceChanged, &ContentViewModel::stateChanged,
                        &ContentViewModel::responseChanged, &ContentViewModel::selectedZoneChanged,
                        &ContentViewModel::includesVatChanged}) {
        connect(viewModel, signal, this, &PriceTray::refresh);
    }
    refresh();
}

PriceTray::~PriceTray() = default;

void PriceTray::setShown(bool shown)
{
    QSystemTrayIcon *item = m_panel->statusItem();
    // On X11 an icon shown without a tray docks once a tray comes; other
    // platforms (Wayland, no D-Bus tray) have nothing to show it in.
    if (shown && !QSystemTrayIcon::isSystemTrayAvailable() && QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    item->setVisible(shown);
}

bool PriceTray::isInTray() const
{
    return m_panel->statusItem()->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void PriceTray::closePanel()
{
    // The layer clicks the icon's button, which hides the panel; a
    // minimised panel, which the layer counts as closed, is hidden too.
    m_presented.set(false);
    m_panel->hide();
    Settings settings;
    if (settings.toldOfClosingToTray())
        return;
    settings.setToldOfClosingToTray();
    m_panel->statusItem()->showMessage(tr("Tarimo is still running"),
                                       tr("The price stays in the system tray: click it for the window. "
                                          "Quit in its menu ends Tarimo."),
                                       applicationIcon(), 10'000);
}

void PriceTray::refresh()
{
    const QDateTime hour = m_viewModel->selectedDate();
    const price::PriceDay *day = m_viewModel->heldDay(0);
    const price::SpotPriceModel *record = day ? day->hourAt(hour) : nullptr;
    // Blank digits show no price, and neither does the icon.
    const bool digitsLit = m_viewModel->spotPrice() != price::DigitModel();
    const std::optional<qint64> ore = digitsLit && record && record->spotPriceSEK
                                          ? m_viewModel->shownOre(*record->spotPriceSEK)
                                          : std::nullopt;

    std::optional<PriceIcon> face;
    QString toolTip;
    if (ore) {
        if (const auto text = PriceIcon::textOf(*ore))
            face = PriceIcon{*text, PriceIcon::levelOf(day->relativePrice(*record))};
        //: The tray icon's tooltip: the price, the zone, the hour.
        toolTip = tr("%1 öre/kWh · %2 · %3")
                      .arg(*ore)
                      .arg(price::rawValue(m_viewModel->selectedZone()), hour.toLocalTime().toString(QStringLiteral("HH:00")));
    }
    // What the panel's strip says, where the price is missing or not fresh.
    const auto state = m_viewModel->state();
    if (!ore || state == ContentViewModel::State::error
        || (state == ContentViewModel::State::loaded && m_viewModel->isFromSavedCopy())) {
        const QString strip = m_panel->contentView()->statusStrip()->summaryLine();
        toolTip = toolTip.isEmpty() ? strip : toolTip + u'\n' + strip;
    }

    QSystemTrayIcon *item = m_panel->statusItem();
    if (!std::exchange(m_drawn, true) || face != m_face) {
        m_face = face;
        item->setIcon(face ? face->icon() : applicationIcon());
    }
    if (toolTip != m_toolTip) {
        m_toolTip = toolTip;
        item->setToolTip(toolTip);
    }
}

} // namespace tarimo::app
