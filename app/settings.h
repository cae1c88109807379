#pragma once

#include "price/zone.h"

#include <QString>

namespace tarimo::app {

// What Tarimo remembers between runs, in $XDG_CONFIG_HOME/tarimo/tarimo.conf
// (~/.config/tarimo/tarimo.conf). A value that cannot be trusted (a file
// that cannot be read, an unknown zone, a value of the wrong type) reads as
// the first start's: SE3, without VAT. A value that cannot be written is
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

private:
    QString value(const char *key) const;
    void setValue(const char *key, const QString &value);
};

} // namespace tarimo::app
