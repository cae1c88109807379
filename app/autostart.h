#pragma once

#include <QString>

#include <optional>

namespace tarimo::app {

// Starting Tarimo at login through the desktop's autostart folder (XDG):
// $XDG_CONFIG_HOME/autostart/tarimo.desktop. The file is the whole state,
// so an entry made or removed by hand counts the same.
namespace autostart {

QString filePath();
bool isEnabled();
// Writes or removes the entry; on failure, why (the entry is then as before).
std::optional<QString> setEnabled(bool enabled);

// The entry's Exec line for the program at `program`: plain "tarimo" when
// that is the tarimo found on the PATH (an installed one, which stays valid
// across upgrades); otherwise the program's own path, quoted.
QString execLine(const QString &program);

} // namespace autostart

} // namespace tarimo::app
