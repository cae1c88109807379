#include "price/price_cache.h"

#include "api_client/url_session.h"
#include "price/request.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

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

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Removes what stands under the day's name (never a folder: unlink refuses
// one) and says why, in one line.
QString discard(const QString &path, const QString &reason)
{
    QFile::remove(path);
    return QStringLiteral("💾 Saved prices discarded: %1 %2").arg(QFileInfo(path).fileName(), reason);
}

// A temporary file older than this was left by a writer that never finished
// (a writer renames its file within moments).
constexpr qint64 staleTemporarySeconds = 60;

} // namespace

QString PriceCache::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

PriceCache::PriceCache(QString folder)
    : m_folder(std::move(folder))
{}

QString PriceCache::filePath(QDate day, Zone zone) const
{
    return QDir(m_folder).filePath(QStringLiteral("%1_%2.json").arg(day.toString(Qt::ISODate), rawValue(zone)));
}

bool PriceCache::coversDay(const std::vector<SpotPriceModel> &records, QDate day)
{
    if (records.empty() || !day.isValid())
        return false;
    const qint64 dayStart = QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch();
    const qint64 dayEnd = QDateTime(day.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
    std::vector<std::pair<qint64, qint64>> spans;
    spans.reserve(records.size());
    for (const SpotPriceModel &record : records) {
        if (!record.timeStart || !record.timeEnd)
            return false;
        const qint64 start = record.timeStart->toMSecsSinceEpoch();
        const qint64 end = record.timeEnd->toMSecsSinceEpoch();
        if (start < dayStart || end > dayEnd || start >= end)
            return false;
        spans.emplace_back(start, end);
    }
    std::sort(spans.begin(), spans.end());
    qint64 covered = dayStart;
    for (const auto &[start, end] : spans) {
        if (start != covered)
            return false;
        covered = end;
    }
    return covered == dayEnd;
}

QString PriceCache::unusableBecause() const
{
    if (m_folder.isEmpty())
        return QStringLiteral("no cache folder");
    struct stat status = {};
    if (::stat(QFile::encodeName(m_folder).constData(), &status) != 0)
        return errno == ENOENT ? QString() : errorText(errno);
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is not a folder").arg(m_folder);
    if (status.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user").arg(m_folder);
    if (status.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("%1 may be written by others").arg(m_folder);
    return {};
}

PriceCache::Notes PriceCache::save(QDate day, Zone zone, const QByteArray &body, QDate today) const
{
    Notes notes;
    if (!isKept(day, today))
        return notes;
    if (!m_folder.isEmpty() && !QFileInfo::exists(m_folder)) {
        QDir().mkpath(QFileInfo(m_folder).absolutePath());
        QDir().mkdir(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    notes.refusedBecause = unusableBecause();
    if (notes.refusedBecause.isEmpty() && !QFileInfo(m_folder).isDir())
        notes.refusedBecause = QStringLiteral("cannot make the folder %1").arg(m_folder);
    if (!notes.refusedBecause.isEmpty())
        return notes;

    const QString path = filePath(day, zone);
    const QString problem = write(path, body);
    if (!problem.isEmpty())
        notes.lines.append(QStringLiteral("💾 Cannot save prices: %1 (%2)").arg(QFileInfo(path).fileName(), problem));
    prune(today);
    return notes;
}

QString PriceCache::write(const QString &path, const QByteArray &body) const
{
    // Written beside the old file and renamed over it (over a link, not
    // through it): a reader, in any process, gets the old file or the new
    // one, never a part. No fsync: a file that a power cut leaves short is
    // caught by load().
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errorText(errno);
    int error = 0;
    for (qsizetype written = 0; written < body.size() && !error;) {
        const ssize_t n = ::write(fd, body.constData() + written, std::size_t(body.size() - written));
        if (n > 0)
            written += n;
        else if (errno != EINTR)
            error = errno;
    }
    // Some file systems (NFS, a full disk) only tell at close.
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return errorText(error);
    }
    return {};
}

void PriceCache::prune(QDate today) const
{
    // Our names only, with whatever a writer may have left behind them.
    static const QRegularExpression savedDay(QStringLiteral(R"(^(\d{4}-\d{2}-\d{2})_SE[1-4]\.json(\..+)?$)"));
    const QDir folder(m_folder);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QFileInfo &file : folder.entryInfoList(QDir::Files | QDir::System | QDir::Hidden)) {
        const QRegularExpressionMatch match = savedDay.match(file.fileName());
        if (!match.hasMatch())
            continue;
        const bool leftBehind = match.hasCaptured(2)
                                && qAbs(file.lastModified().secsTo(now)) > staleTemporarySeconds;
        if (leftBehind || !isKept(QDate::fromString(match.captured(1), Qt::ISODate), today))
            QFile::remove(file.filePath());
    }
}

PriceCache::Loaded PriceCache::load(QDate day, Zone zone) const
{
    Loaded loaded;
    loaded.refusedBecause = unusableBecause();
    if (!loaded.refusedBecause.isEmpty())
        return loaded;
    const QString path = filePath(day, zone);

    // Never through a link, never waiting on a pipe; then only a regular
    // file of a plausible size is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // Nothing saved, or no folder yet.
        if (error != ENOENT && error != ENOTDIR)
            loaded.lines.append(discard(path, error == ELOOP ? QStringLiteral("(a link)")
                                                             : QStringLiteral("(%1)").arg(errorText(error))));
        return loaded;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maximumFileSize()) {
        ::close(fd);
        loaded.lines.append(discard(path, S_ISREG(status.st_mode)
                                              ? QStringLiteral("(larger than %1 bytes)").arg(maximumFileSize())
                                              : QStringLiteral("(not a regular file)")));
        return loaded;
    }
    QFile file;
    QByteArray body;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        body = file.read(maximumFileSize());
    else
        ::close(fd);

    try {
        auto records = Request::decoder().decode<std::vector<SpotPriceModel>>(body);
        if (coversDay(records, day))
            loaded.records = std::move(records);
        else
            loaded.lines.append(discard(path, QStringLiteral("(not the prices of %1 alone)").arg(day.toString(Qt::ISODate))));
    } catch (const std::exception &error) {
        loaded.lines.append(discard(path, QStringLiteral("(%1)").arg(QString::fromUtf8(error.what()))));
    }
    return loaded;
}

} // namespace tarimo::price
