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

    // Null only in a panel made with a tray icon to come, until it comes.
    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    StatusBarButton *button() const { return m_button; }

    // A text that names this extra for lookups by identifier; none at first.
    QVariant menuBarExtraId() const { return m_menuBarExtraId; }
    void setMenuBarExtraId(const QVariant &id) { m_menuBarExtraId = id; }

    // Where the panel opens when the tray does not say where its icon is
    // (trays that speak D-Bus keep it to themselves): at the mouse pointer,
    // or where it was last.
    enum class UnknownIconPlace { atPointer, whereItWas };
    void setUnknownIconPlace(UnknownIconPlace place) { m_unknownIconPlace = place; }

    // Shows the panel under its tray icon (see UnknownIconPlace when the
    // icon's place is unknown), or hides it. A minimised panel counts as
    // hidden: it comes back.
    void togglePanel();

protected:
    // A window of its own kind (`flags`) that becomes a panel later, at
    // createStatusItem(): making a tray icon asks the desktop's D-Bus
    // whether it has a tray, which a window's first frame need not wait
    // for. Its place among the panels is where its platform window is made.
    MenuBarExtraWindow(QWidget *parent, Qt::WindowFlags flags);
    // Makes the tray icon and its button, once; the button's state is
    // whether the panel is shown now.
    void createStatusItem();

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void placeNearStatusItem();

    QSystemTrayIcon *m_statusItem = nullptr;
    StatusBarButton *m_button = nullptr;
    QVariant m_menuBarExtraId;
    UnknownIconPlace m_unknownIconPlace = UnknownIconPlace::atPointer;
};

} // namespace tarimo::menubar_access
