#include "price/caching_request.h"
#include "price/content_view_model.h"

#include "api_client/url_session.h"
#include "tests/support/captured_output.h"
#include "tests/support/price_day.h"
#include "tests/support/run_task.h"
#include "tests/support/test_server.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace tarimo;
using price::CachingRequest;
using price::ContentViewModel;
using price::DigitModel;
using price::Zone;
using test_support::Answer;
using test_support::CapturedOutput;
using test_support::runTask;
using test_support::TestServer;
using State = ContentViewModel::State;

namespace {

const QDate today(2025, 11, 12);
const QString todayPath = QStringLiteral("/api/v1/prices/2025/11-12_SE3.json");
const QString tomorrowPath = QStringLiteral("/api/v1/prices/2025/11-13_SE3.json");
const QString todayFile = QStringLiteral("2025-11-12_SE3.json");

QByteArray day(QDate date)
{
    return test_support::serviceDay(date, 15, test_support::hourNumberPrice);
}

// Hour 14 of the hour-number day: 14.15 kronor.
const DigitModel fourteen = price::makeDigitModel(1415);

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList linesStartingWith(const CapturedOutput &output, const QString &prefix)
{
    return output.lines().filter(QRegularExpression(u'^' + QRegularExpression::escape(prefix)));
}

} // namespace

class CachingRequestTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> m_server;
    QUrl m_baseUrl;
    std::shared_ptr<api_client::URLSession> m_transport;
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_folder;
    QDateTime m_now;

    ContentViewModel::Clock clock()
    {
        return [this] { return m_now; };
    }

    std::shared_ptr<CachingRequest> provider()
    {
        return std::make_shared<CachingRequest>(m_baseUrl, m_transport, m_folder, clock());
    }

    // A load of the day at 14:20 through a fresh provider and view model.
    std::unique_ptr<ContentViewModel> load()
    {
        auto model = std::make_unique<ContentViewModel>(provider(), clock());
        if (!runTask(model->loadPrices()).succeeded())
            qFatal("a load did not finish");
        return model;
    }

private Q_SLOTS:
    void init()
    {
        m_server = TestServer::https();
        m_server->serveJson(todayPath, day(today));
        m_baseUrl = m_server->baseUrl();
        m_transport = m_server->makeTransport();
        m_temporary = std::make_unique<QTemporaryDir>();
        m_folder = m_temporary->filePath(QStringLiteral("cache/tarimo"));
        m_now = QDateTime(today, QTime(14, 20));
    }
    void cleanup()
    {
        m_server.reset();
        m_temporary.reset();
    }

    // Online, nothing changes but a file: the body as sent, in a private
    // folder, beside yesterday and tomorrow only.
    void onlineLoadSavesTheDay()
    {
        CapturedOutput output;
        auto model = load();
        QCOMPARE(model->state(), State::loaded);
        QCOMPARE(model->spotPrice(), fourteen);
        QCOMPARE(output.lines().size(), 4);
        QCOMPARE(output.lines()[2], QStringLiteral("Client: 💬 ✅ [200] %1 ").arg(todayPath));
        QCOMPARE(readFile(m_folder + u'/' + todayFile), day(today));
        QCOMPARE(QFileInfo(m_folder).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const QStringList kept{QStringLiteral("2025-11-11_SE1.json"), todayFile, QStringLiteral("2025-11-13_SE4.json"),
                               QStringLiteral("notes.txt")};
        for (const QString &name : kept + QStringList{QStringLiteral("2025-11-10_SE3.json"),
                                                      QStringLiteral("2025-11-14_SE3.json"),
                                                      QStringLiteral("2025-11-09_SE2.json.Ab12Cd")})
            writeFile(m_folder + u'/' + name, "[]");
        load();
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), kept);
        QCOMPARE(readFile(m_folder + u'/' + todayFile), day(today));
    }

    // Any failure of the live load shows the saved day instead, with the
    // lines of a load and one more that says why. (An empty body is an
    // answer the client accepts and logs.)
    void failedLoadShowsTheSavedDay_data()
    {
        QTest::addColumn<std::optional<Answer>>("answer");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("lineCount");
        QTest::newRow("server gone") << std::optional<Answer>() << QString() << 4;
        QTest::newRow("404") << std::optional(Answer::json("{}", 404)) << "Service responded with error (404 notFound)"
                             << 4;
        QTest::newRow("undecodable") << std::optional(Answer::json("[1]"))
                                     << "Cannot decode [0]: expected an object but found a number (1)" << 4;
        QTest::newRow("empty body") << std::optional(Answer::json({})) << "empty answer" << 5;
    }
    void failedLoadShowsTheSavedDay()
    {
        QFETCH(std::optional<Answer>, answer);
        QFETCH(QString, reason);
        QFETCH(int, lineCount);
        load();
        if (answer)
            m_server->serve(todayPath, *answer);
        else
            m_server.reset();

        CapturedOutput output;
        auto model = load();
        QCOMPARE(model->state(), State::loaded);
        QCOMPARE(model->spotPrice(), fourteen);
        const QStringList lines = output.lines();
        QCOMPARE(lines.size(), lineCount);
        QCOMPARE(lines[0], QStringLiteral("🍀 se3"));
        QCOMPARE(lines[1], QStringLiteral("Client: 💬 [GET] %1  ").arg(todayPath));
        const QString saved = QStringLiteral("💾 Prices from the saved copy se3 2025-11-12 after error ") + reason;
        QVERIFY2(lines[lineCount - 2].startsWith(saved), qPrintable(lines[lineCount - 2]));
        QVERIFY(lines[lineCount - 1].startsWith(QStringLiteral("🍀 Data ")));
    }

    // Tomorrow is fetched from 13:00, at most once an hour, until it is saved;
    // before it is published the service's 404 costs nothing.
    void prefetchFromPublicationOnceAnHour()
    {
        struct Step
        {
            QTime time;
            int status;
            qsizetype requests;
            bool saved;
        };
        const QList<Step> steps{
            {QTime(12, 59), 200, 0, false}, // not published yet: not even asked
            {QTime(13, 30), 404, 1, false},
            {QTime(14, 29), 200, 1, false}, // the hour is not over
            {QTime(14, 30), 200, 2, true},
            {QTime(15, 31), 200, 2, true},  // saved: never again
        };
        const auto prices = provider();
        CapturedOutput output;
        for (const Step &step : steps) {
            m_now = QDateTime(today, step.time);
            m_server->serve(tomorrowPath,
                            step.status == 200 ? Answer::json(day(today.addDays(1))) : Answer::json("{}", 404));
            QVERIFY(runTask(prices->prefetchTomorrow(Zone::se3)).succeeded());
            QCOMPARE(m_server->requestCount(), step.requests);
            QCOMPARE(prices->cache().contains(today.addDays(1), Zone::se3), step.saved);
        }
        QCOMPARE(m_server->lastRequest().path(), tomorrowPath);
        QVERIFY(linesStartingWith(output, QStringLiteral("❌")).isEmpty());
        QVERIFY(linesStartingWith(output, QStringLiteral("💾")).isEmpty());
    }

    // The first tick of the new day finds tomorrow saved when the network
    // is gone.
    void midnightWithoutNetworkShowsThePrefetchedDay()
    {
        m_server->serveJson(tomorrowPath, day(today.addDays(1)));
        m_now = QDateTime(today, QTime(23, 59));
        const auto prices = provider();
        QVERIFY(runTask(prices->prefetchTomorrow(Zone::se3)).succeeded());
        ContentViewModel model(prices, clock());
        m_server.reset();

        CapturedOutput output;
        m_now = QDateTime(today.addDays(1), QTime(0, 0, 40));
        model.tick();
        QTRY_COMPARE(model.state(), State::loaded);
        QCOMPARE(model.spotPrice(), price::makeDigitModel(15));
        QCOMPARE(linesStartingWith(output, QStringLiteral("💾 Prices from the saved copy se3 2025-11-13")).size(), 1);
    }

    // A saved file that cannot be trusted is never shown: offline, the load
    // fails as it would without it, with at most one line more, and the file
    // goes (a folder stays). Online, the day is saved in its place, or one
    // line says why it cannot be.
    void badCacheIsNeverShown_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("discarded");
        QTest::addColumn<bool>("writable");
        QTest::newRow("nothing saved") << "none" << 0 << true;
        QTest::newRow("cache folder is a file") << "folder is a file" << 0 << false;
        QTest::newRow("truncated") << "truncated" << 1 << true;
        QTest::newRow("another day") << "another day" << 1 << true;
        QTest::newRow("larger than an answer may be") << "too large" << 1 << true;
        QTest::newRow("a folder") << "folder" << 1 << false;
        QTest::newRow("a link to a good day") << "link" << 1 << true;
        QTest::newRow("a pipe") << "pipe" << 1 << true;
    }
    void badCacheIsNeverShown()
    {
        QFETCH(QString, kind);
        QFETCH(int, discarded);
        QFETCH(bool, writable);
        QVERIFY(QDir().mkpath(m_folder));
        const QString path = m_folder + u'/' + todayFile;
        const QString elsewhere = m_temporary->filePath(QStringLiteral("good.json"));
        if (kind == u"folder is a file") {
            QVERIFY(QDir(m_folder).removeRecursively());
            writeFile(m_folder, day(today));
        } else if (kind == u"truncated") {
            writeFile(path, day(today).left(day(today).size() / 2));
        } else if (kind == u"another day") {
            writeFile(path, day(today.addDays(-1)));
        } else if (kind == u"too large") {
            // Still a good day: JSON allows the trailing spaces.
            const QByteArray good = day(today);
            writeFile(path, good + QByteArray(api_client::URLSessionOptions{}.maximumBodySize + 1 - good.size(), ' '));
        } else if (kind == u"folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == u"link") {
            writeFile(elsewhere, day(today));
            QVERIFY(QFile::link(elsewhere, path));
        } else if (kind == u"pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }

        const QUrl service = m_baseUrl;
        m_baseUrl = TestServer::https()->baseUrl(); // a port nobody listens on any more
        CapturedOutput offline;
        auto model = load();
        QCOMPARE(model->state(), State::error);
        QCOMPARE(linesStartingWith(offline, QStringLiteral("💾")).size(), discarded);
        QCOMPARE(offline.lines().size(), 3 + discarded);
        QVERIFY(offline.lines().last().startsWith(QStringLiteral("❌ Failed with error ")));
        QCOMPARE(QFileInfo::exists(path) || QFileInfo(path).isSymLink(), kind == u"folder");

        m_baseUrl = service;
        CapturedOutput online;
        model = load();
        QCOMPARE(model->spotPrice(), fourteen);
        QCOMPARE(online.lines().size(), writable ? 4 : 5);
        const QString unsaved = QStringLiteral("💾 Cannot save prices: ") + todayFile;
        QCOMPARE(linesStartingWith(online, unsaved).size(), writable ? 0 : 1);
        QCOMPARE(readFile(path), writable ? day(today) : QByteArray());
        if (kind == u"link")
            QCOMPARE(readFile(elsewhere), day(today));
    }
};

QTEST_GUILESS_MAIN(CachingRequestTest)
#include "caching_request_test.moc"
