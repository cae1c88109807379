#pragma once

#include "menubar_access/menu_bar_platform_provider.h"

#include <QObject>

namespace tarimo::menubar_access {

// True when the item has no button or its button is not off.
bool isShowingMenu(MenuBarPlatformProvider &platform, QObject *statusItem);

// Clicks the item's button as the user would, then lets its highlight
// follow what the click left shown.
void clickStatusButton(MenuBarPlatformProvider &platform, QObject *statusItem);

// Brings the item to `presented` with at most one click; when it is there
// already, only the highlight is brought in line.
void applyPresented(MenuBarPlatformProvider &platform, QObject *statusItem, bool presented);

} // namespace tarimo::menubar_access
