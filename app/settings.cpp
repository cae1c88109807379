#include "app/settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace tarimo::app {

namespace {

constexpr const char *zoneKey = "zone";
constexpr const char *vatKey = "includesVat";
constexpr const char *trayKey = "showInTray";
constexpr const char *trayNoticeKey = "toldOfClosingToTray";

} // namespace

QString Settings::filePath()
{
    // Not QSettings' own path: it is fixed at the first use in a process.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/tarimo/tarimo.conf");
}

QString Settings::value(const char *key) const
{
    const QSettings settings(filePath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {};
    // Plain text only: "@Variant(…)" and the like decode to other types.
    const QVariant value = settings.value(QLatin1String(key));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void Settings::setValue(const char *key, const QString &value)
{
    // Over a garbled file too: QSettings writes it anew from what it read.
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(key), value);
}

price::Zone Settings::zone() const
{
    return price::zoneFromRawValue(value(zoneKey)).value_or(price::Zone::se3);
}

void Settings::setZone(price::Zone zone)
{
    setValue(zoneKey, price::rawValue(zone));
}

bool Settings::flag(const char *key, bool otherwise) const
{
    const QString text = value(key);
    return text == QLatin1String("true") || (otherwise && text != QLatin1String("false"));
}

void Settings::setFlag(const char *key, bool value)
{
    setValue(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

bool Settings::includesVat() const
{
    return flag(vatKey, false);
}

void Settings::setIncludesVat(bool includesVat)
{
    setFlag(vatKey, includesVat);
}

bool Settings::showsInTray() const
{
    return flag(trayKey, true);
}

void Settings::setShowsInTray(bool shows)
{
    setFlag(trayKey, shows);
}

bool Settings::toldOfClosingToTray() const
{
    return flag(trayNoticeKey, false);
}

void Settings::setToldOfClosingToTray()
{
    setFlag(trayNoticeKey, true);
}

} // namespace tarimo::app
