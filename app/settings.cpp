#include "app/settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace tarimo::app {

namespace {

constexpr const char *zoneKey = "zone";
constexpr const char *vatKey = "includesVat";

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

bool Settings::includesVat() const
{
    return value(vatKey) == QLatin1String("true");
}

void Settings::setIncludesVat(bool includesVat)
{
    setValue(vatKey, includesVat ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace tarimo::app
