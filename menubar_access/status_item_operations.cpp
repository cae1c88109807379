#include "menubar_access/status_item_operations.h"

namespace tarimo::menubar_access {

bool isShowingMenu(MenuBarPlatformProvider &platform, QObject *statusItem)
{
    QObject *button = platform.button(statusItem);
    return !button || platform.state(button) != ControlState::off;
}

void clickStatusButton(MenuBarPlatformProvider &platform, QObject *statusItem)
{
    if (QObject *button = platform.button(statusItem))
        platform.performClick(button);
    // Ask again: the click may have replaced or removed the button.
    if (QObject *button = platform.button(statusItem))
        platform.setHighlighted(button, isShowingMenu(platform, statusItem));
}

void applyPresented(MenuBarPlatformProvider &platform, QObject *statusItem, bool presented)
{
    if (isShowingMenu(platform, statusItem) != presented) {
        clickStatusButton(platform, statusItem);
        return;
    }
    if (QObject *button = platform.button(statusItem))
        platform.setHighlighted(button, isShowingMenu(platform, statusItem));
}

} // namespace tarimo::menubar_access
