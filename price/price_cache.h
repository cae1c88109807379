#pragma once

#include "price/spot_price_model.h"
#include "price/zone.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tarimo::price {

// Days of prices as the service sent them, one file per local day and zone
// ("2025-11-12_SE3.json"), so that a day loaded once can be shown again
// without the network. Only yesterday, today and tomorrow are kept. Files
// are replaced whole, so no reader (in this process or another) ever sees
// half a file.
class PriceCache
{
public:
    using Clock = std::function<QDateTime()>;

    // The user's cache folder, e.g. "~/.cache/tarimo"; empty when there is none.
    static QString defaultFolder();

    // `clock` gives the present instant (the real clock when empty).
    explicit PriceCache(QString folder, Clock clock = {});

    // Whether a record starts on the local calendar day `day`.
    static bool holdsDay(const std::vector<SpotPriceModel> &records, QDate day);

    // Saves the body of a day and removes the days no longer of use. A cache
    // that cannot be written costs one console line.
    void save(QDate day, Zone zone, const QByteArray &body);
    // The saved records of the day. A file that cannot be trusted to hold
    // them is removed, with one console line.
    std::optional<std::vector<SpotPriceModel>> load(QDate day, Zone zone) const;
    // Whether something is saved under the day's name (not whether it is sound).
    bool contains(QDate day, Zone zone) const;

private:
    QString filePath(QDate day, Zone zone) const;
    QString write(const QString &path, const QByteArray &body) const;
    void prune(QDate today) const;

    QString m_folder;
    Clock m_clock;
};

} // namespace tarimo::price
