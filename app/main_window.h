#pragma once

#include "menubar_access/menu_bar_extra_window.h"

#include <QPalette>

namespace tarimo::price {
class ContentViewModel;
}
namespace tarimo::display {
class ContentView;
}

namespace tarimo::app {

// The price window: no title bar, exactly the size of its panel. The panel
// draws no background, so the window's own fixed colour is what shows
// behind it, whatever the desktop's theme.
//
// It is a window the user moves, and the panel of the price's tray icon
// too, once createStatusItem() has made that: the status-item layer finds
// a panel by a class name that contains "MenuBarExtraWindow", so this class
// carries one and goes by MainWindow.
class PriceMenuBarExtraWindow : public menubar_access::MenuBarExtraWindow
{
    Q_OBJECT

public:
    // The panel's backdrop with light text: for the main and About windows.
    static QPalette displayPalette();

    explicit PriceMenuBarExtraWindow(price::ContentViewModel *viewModel, QWidget *parent = nullptr);

    display::ContentView *contentView() const { return m_contentView; }

    using MenuBarExtraWindow::createStatusItem;

Q_SIGNALS:
    // Once, after the first frame is on screen: the moment for work that
    // the first frame should not wait for.
    void firstFramePainted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    display::ContentView *m_contentView = nullptr;
    bool m_painted = false;
};

using MainWindow = PriceMenuBarExtraWindow;

} // namespace tarimo::app
