#pragma once

#include "price/spot_price_model.h"
#include "price/zone.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tarimo::price {

// Days of prices as the service sent them, one file per local day and zone
// ("2025-11-12_SE3.json"), so that a day loaded once can be shown again
// without the network. Only yesterday, today and tomorrow are kept. Files
// are replaced whole, so no reader (in this process or another) ever sees
// half a file.
//
// Every operation may block on the disk: run them off the GUI thread. They
// touch nothing but the folder, so copies may run on any thread. What they
// have to say comes back as console lines for the caller to print.
class PriceCache
{
public:
    // The user's cache folder, e.g. "~/.cache/tarimo"; empty when there is none.
    static QString defaultFolder();

    explicit PriceCache(QString folder);

    const QString &folder() const { return m_folder; }

    // Whether `records` are the local calendar day `day` and nothing else:
    // each starts and ends within it, and together they cover it from
    // midnight to midnight without a gap or an overlap.
    static bool coversDay(const std::vector<SpotPriceModel> &records, QDate day);

    // What an operation has to say, and whether the folder was refused:
    // one that another user owns or may write could hold anything (ssh
    // reasons the same way about ~/.ssh). Then nothing was read or written.
    struct Notes
    {
        QStringList lines;
        QString refusedBecause;
    };

    // Saves the body of a day (making the folder, private to the user, when
    // it is missing) and removes what is no longer of use: days other than
    // yesterday, today and tomorrow of `today`, and temporary files that a
    // killed writer left behind.
    Notes save(QDate day, Zone zone, const QByteArray &body, QDate today) const;

    struct Loaded : Notes
    {
        std::optional<std::vector<SpotPriceModel>> records;
    };
    // The saved records of the day, when they can be trusted to be that
    // day. A file that cannot be is removed, with one line.
    Loaded load(QDate day, Zone zone) const;

private:
    // Empty when the folder may be used; otherwise why not.
    QString unusableBecause() const;
    QString filePath(QDate day, Zone zone) const;
    QString write(const QString &path, const QByteArray &body) const;
    void prune(QDate today) const;

    QString m_folder;
};

} // namespace tarimo::price
