#pragma once

#include "price/zone.h"

#include <QString>

namespace tarimo::app {

// What Tarimo remembers between runs, in $XDG_CONFIG_HOME/tarimo/tarimo.conf
// (~/.config/tarimo/tarimo.conf). A value that cannot be trusted (a file
// that cannot be read, an unknown zone, a value of the wrong type) reads as
// the first start's: SE3, without VAT, in the system tray, not yet told of
// closing to the tray. A value that cannot be written is
// lost without a word: the program works the same, it only forgets.
class Settings
{
public:
    // The file as the desktop names it now (the environment is read each time).
    static QString filePath();

    price::Zone zone() const;
    void setZone(price::Zone zone);
    bool includesVat() const;
    void setIncludesVat(bool includesVat);
    // Whether the price shows in the system tray, where the desktop has one.
    bool showsInTray() const;
    void setShowsInTray(bool shows);
    // Whether the user has been told, once, that closing the panel leaves
    // the program in the tray.
    bool toldOfClosingToTray() const;
    void setToldOfClosingToTray();

private:
    QString value(const char *key) const;
    // "true" or "false"; anything else is `otherwise`.
    bool flag(const char *key, bool otherwise) const;
    void setFlag(const char *key, bool value);
    void setValue(const char *key, const QString &value);
};

} // namespace tarimo::app
