#pragma once

#include "app/main_window.h"
#include "app/price_icon.h"
#include "menubar_access/binding.h"
#include "menubar_access/menu_bar_extra_access.h"

#include <QObject>

#include <optional>

class QMenu;

namespace tarimo::price {
class ContentViewModel;
}

namespace tarimo::app {

// Now's price in the desktop's system tray: the panel's tray icon, drawn
// from the view model, with a menu of its own. A left click shows or hides
// the panel, and a click outside closes it, through the status-item layer
// (MenuBarExtraAccess), whose presented flag follows the panel. The icon
// is redrawn only when what it shows changes; the view model's minute tick
// is what moves it on.
class PriceTray : public QObject
{
    Q_OBJECT

public:
    // Makes the panel's tray icon, with `menu` as its menu; setShown()
    // puts it in the tray.
    PriceTray(price::ContentViewModel *viewModel, MainWindow *panel, QMenu *menu);
    ~PriceTray() override;

    // Shows or hides the icon. Where the window system may get a tray
    // later (X11), the icon docks as soon as one comes.
    void setShown(bool shown);
    // Shown, and a tray there to hold it: the panel may close to the tray.
    bool isInTray() const;
    // Hides the panel, leaving the program in the tray; the first time
    // ever, says so.
    void closePanel();

    // What the icon shows: nothing without a price (the program's own icon).
    const std::optional<PriceIcon> &face() const { return m_face; }
    // The price, the zone and the hour, or what the panel's strip says
    // when there is no fresh price.
    QString toolTip() const { return m_toolTip; }
    // True while the panel is shown; writing it shows or hides the panel.
    menubar_access::Binding<bool> presented() const { return m_presented; }

private:
    void refresh();

    price::ContentViewModel *m_viewModel;
    MainWindow *m_panel;
    menubar_access::Binding<bool> m_presented;
    std::optional<menubar_access::MenuBarExtraAccess<MainWindow *>> m_access;
    std::optional<menubar_access::MenuBarExtraScene<MainWindow *>> m_scene;
    bool m_drawn = false;
    std::optional<PriceIcon> m_face;
    QString m_toolTip;
};

} // namespace tarimo::app
