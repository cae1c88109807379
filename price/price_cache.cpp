#include "price/price_cache.h"

#include "api_client/url_session.h"
#include "console/console.h"
#include "price/request.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarimo::price {

namespace {

// The days worth keeping: yesterday, today and tomorrow.
bool isKept(QDate day, QDate today)
{
    return day.isValid() && qAbs(today.daysTo(day)) <= 1;
}

// A file no larger than an answer the transport would take.
qint64 maximumFileSize()
{
    return api_client::URLSessionOptions{}.maximumBodySize;
}

// Removes what stands under the day's name (never a folder: unlink refuses
// one) and says why, in one line.
void discard(const QString &path, const QString &reason)
{
    QFile::remove(path);
    console::printLine(QStringLiteral("💾 Saved prices discarded: %1 %2").arg(QFileInfo(path).fileName(), reason));
}

} // namespace

QString PriceCache::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

PriceCache::PriceCache(QString folder, Clock clock)
    : m_folder(std::move(folder))
    , m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); }))
{}

QString PriceCache::filePath(QDate day, Zone zone) const
{
    return QDir(m_folder).filePath(QStringLiteral("%1_%2.json").arg(day.toString(Qt::ISODate), rawValue(zone)));
}

bool PriceCache::holdsDay(const std::vector<SpotPriceModel> &records, QDate day)
{
    return std::any_of(records.begin(), records.end(), [day](const SpotPriceModel &record) {
        return record.timeStart && record.timeStart->toLocalTime().date() == day;
    });
}

bool PriceCache::contains(QDate day, Zone zone) const
{
    return !m_folder.isEmpty() && QFileInfo::exists(filePath(day, zone));
}

void PriceCache::save(QDate day, Zone zone, const QByteArray &body)
{
    const QDate today = m_clock().toLocalTime().date();
    if (!isKept(day, today))
        return;
    const QString path = filePath(day, zone);
    const QString problem = write(path, body);
    if (!problem.isEmpty()) {
        console::printLine(QStringLiteral("💾 Cannot save prices: %1 %2").arg(QFileInfo(path).fileName(), problem));
        return;
    }
    prune(today);
}

QString PriceCache::write(const QString &path, const QByteArray &body) const
{
    if (m_folder.isEmpty())
        return QStringLiteral("(no cache folder)");
    if (!QFileInfo(m_folder).isDir()) {
        QDir().mkpath(QFileInfo(m_folder).absolutePath());
        QDir().mkdir(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!QFileInfo(m_folder).isDir())
            return QStringLiteral("(cannot make the folder %1)").arg(m_folder);
    }
    // Written beside the old file and renamed over it (over a link, not
    // through it): a reader, in any process, gets the old file or the new
    // one, never a part. Unlike QSaveFile this does not wait for the disk
    // (an fdatasync on the GUI thread, before the price is shown); a file
    // that a power cut leaves short is caught by load().
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(body) != body.size() || !file.flush())
        return QStringLiteral("(%1)").arg(file.errorString());
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return QStringLiteral("(%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
    return {};
}

void PriceCache::prune(QDate today) const
{
    // Our names only, with whatever a crashed writer may have left behind them.
    static const QRegularExpression savedDay(QStringLiteral(R"(^(\d{4}-\d{2}-\d{2})_SE[1-4]\.json(\..*)?$)"));
    const QDir folder(m_folder);
    for (const QString &name : folder.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        const QRegularExpressionMatch match = savedDay.match(name);
        if (match.hasMatch() && !isKept(QDate::fromString(match.captured(1), Qt::ISODate), today))
            QFile::remove(folder.filePath(name));
    }
}

std::optional<std::vector<SpotPriceModel>> PriceCache::load(QDate day, Zone zone) const
{
    if (m_folder.isEmpty())
        return std::nullopt;
    const QString path = filePath(day, zone);

    // Never through a link, never waiting on a pipe; then only a regular
    // file of a plausible size is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // Nothing saved, or the cache folder is not a folder.
        if (error != ENOENT && error != ENOTDIR)
            discard(path, error == ELOOP ? QStringLiteral("(a link)")
                                         : QStringLiteral("(%1)").arg(QString::fromLocal8Bit(std::strerror(error))));
        return std::nullopt;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maximumFileSize()) {
        ::close(fd);
        discard(path, S_ISREG(status.st_mode) ? QStringLiteral("(larger than %1 bytes)").arg(maximumFileSize())
                                              : QStringLiteral("(not a regular file)"));
        return std::nullopt;
    }
    QFile file;
    QByteArray body;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        body = file.read(maximumFileSize());
    else
        ::close(fd);

    try {
        auto records = Request::decoder().decode<std::vector<SpotPriceModel>>(body);
        if (holdsDay(records, day))
            return records;
        discard(path, QStringLiteral("(no prices of %1)").arg(day.toString(Qt::ISODate)));
    } catch (const std::exception &error) {
        discard(path, QStringLiteral("(%1)").arg(QString::fromUtf8(error.what())));
    }
    return std::nullopt;
}

} // namespace tarimo::price
