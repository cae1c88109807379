#pragma once

#include "menubar_access/status_bar_button.h"

#include <QSystemTrayIcon>
#include <QVariant>
#include <QWidget>

namespace tarimo::menubar_access {

// The panel of a tray icon: a frameless tool window that a click on its
// tray icon shows under the icon and the next click hides. It makes its own
// tray icon and the button that stands for the icon's; give the icon a
// picture and show it. Put the content in it like in any widget.
//
// Lookups find the panel by its class name, which must keep containing
// "MenuBarExtraWindow" (in a subclass too), and its tray icon through the
// "statusItem" property. Without an identifier of its own, the tray icon is
// its "label" too: what shows the extra in the tray, and the same for as
// long as the panel lives.
class MenuBarExtraWindow : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QSystemTrayIcon *statusItem READ statusItem CONSTANT)
    Q_PROPERTY(QVariant menuBarExtraId READ menuBarExtraId WRITE setMenuBarExtraId)
    Q_PROPERTY(QSystemTrayIcon *label READ statusItem CONSTANT)

public:
    explicit MenuBarExtraWindow(QWidget *parent = nullptr);

    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    StatusBarButton *button() const { return m_button; }

    // A text that names this extra for lookups by identifier; none at first.
    QVariant menuBarExtraId() const { return m_menuBarExtraId; }
    void setMenuBarExtraId(const QVariant &id) { m_menuBarExtraId = id; }

    // Shows the panel under its tray icon (or at the mouse pointer when the
    // icon's place is unknown), or hides it.
    void togglePanel();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void placeNearStatusItem();

    QSystemTrayIcon *m_statusItem;
    StatusBarButton *m_button;
    QVariant m_menuBarExtraId;
};

} // namespace tarimo::menubar_access
