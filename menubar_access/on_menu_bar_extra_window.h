#pragma once

#include "menubar_access/menu_bar_platform_provider.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace tarimo::menubar_access {

// Each time `view` becomes visible, looks up the panel of the status item
// at `index` and hands it to `completion`; when there is none, says so on
// standard output instead. Returns `view`.
QWidget *onMenuBarExtraWindow(std::shared_ptr<MenuBarPlatformProvider> platform, QWidget *view, int index,
                              std::function<void(QObject *window)> completion);

} // namespace tarimo::menubar_access
