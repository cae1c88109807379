// A stand-in of the spot-price service for the real program, run where
// /etc/hosts and /etc/ssl/certs are private (see binary_test.sh).
//   app_price_service <dir>
// Writes <dir>/hosts (the service's host on 127.0.0.1) and <dir>/certs (a
// CA directory holding only the test authority), listens on 127.0.0.1:443,
// then writes <dir>/ready. Prints "GET <path>" for every request, and stops
// by itself after two minutes.
//
// For longer runs (scripts/soak) the environment may change that:
// TARIMO_SERVICE_SECONDS, how long it runs; TARIMO_SERVICE_DELAY_MS, how
// long each answer waits; TARIMO_SERVICE_CERTIFICATE_DAYS, how long its
// certificates stay valid (2 days).
//
// Any day of zone SEn: hour h costs n + h / 100 kronor, so the program shows
// 100 n + h öre. With TARIMO_SERVICE_DAY_PRICES=1 each day differs: the day
// of the month d adds 1000 (d mod 10) öre, so the 7th in SE3 at 14 shows 7314.
// With 2 the hours follow a day's usual curve instead of h, plus 7 (d mod 10).
// TARIMO_SERVICE_LAST_DAY=yyyy-MM-dd: later days are not published (404).

#include "tests/support/price_day.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <array>
#include <cstdio>

using namespace tarimo::test_support;

namespace {

int setting(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value >= 0 ? value : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QDir dir(QString::fromLocal8Bit(argc == 2 ? argv[1] : "."));
    const QString host = QStringLiteral(TARIMO_SERVICE_HOST);
    auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (!dir.mkpath(QStringLiteral("certs")) || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
    };

    const std::chrono::milliseconds delay(setting("TARIMO_SERVICE_DELAY_MS", 0));
    const TestCertificateAuthority authority(QStringLiteral("Tarimo Test CA"),
                                             setting("TARIMO_SERVICE_CERTIFICATE_DAYS", 2));
    write("hosts", QStringLiteral("127.0.0.1 localhost\n127.0.0.1 %1\n").arg(host).toUtf8());
    // Both forms of a system CA directory: a bundle, and a file under the
    // authority's subject hash.
    write("certs/ca-certificates.crt", authority.certificate().toPem());
    write("certs/tarimo-test-ca.pem", authority.certificate().toPem());
    QProcess rehash;
    rehash.start(QStringLiteral("openssl"), {QStringLiteral("rehash"), dir.filePath(QStringLiteral("certs"))});
    if (!rehash.waitForFinished(30000) || rehash.exitCode() != 0)
        qFatal("openssl rehash failed");

    auto server = TestServer::https(authority.issue({host}), authority.certificate());
    server->close();
    if (!server->listen(QHostAddress::LocalHost, 443))
        qFatal("cannot listen on 127.0.0.1:443: %s", qPrintable(server->errorString()));
    const int dayPrices = qEnvironmentVariableIntValue("TARIMO_SERVICE_DAY_PRICES");
    const QDate lastDay = QDate::fromString(qEnvironmentVariable("TARIMO_SERVICE_LAST_DAY"), Qt::ISODate);
    static const QRegularExpression dayPath(QStringLiteral(R"(^/api/v1/prices/(\d{4}/\d{2}-\d{2})_SE([1-4])\.json$)"));
    server->setHandler([dayPrices, lastDay, delay](const RecordedRequest &request) -> std::optional<Answer> {
        std::printf("%s %s\n", request.method.constData(), qPrintable(request.path()));
        std::fflush(stdout);
        const auto match = dayPath.match(request.path());
        if (request.method != "GET" || !match.hasMatch())
            return std::nullopt;
        const int zone = match.captured(2).toInt();
        const QDate day = QDate::fromString(match.captured(1), QStringLiteral("yyyy/MM-dd"));
        if (lastDay.isValid() && day > lastDay)
            return Answer::json("{}", 404).withDelay(delay);
        // A day as days are: cheap at night, dear in the morning and evening.
        static constexpr std::array<int, 24> curve{30, 45, 55, 60, 70, 120, 200, 260, 280, 240, 200, 180,
                                                   170, 175, 190, 230, 300, 340, 320, 260, 180, 90, 28, 25};
        const int dayOre = dayPrices == 1 ? 1000 * (day.day() % 10) : dayPrices == 2 ? 7 * (day.day() % 10) : 0;
        return Answer::json(serviceDay(day, 60, [zone, dayOre, dayPrices](int, const QDateTime &start) {
            const int hour = start.time().hour();
            return (dayOre + 100 * zone + (dayPrices == 2 ? curve[std::size_t(hour)] : hour)) / 100.0;
        })).withDelay(delay);
    });
    write("ready", {});
    QTimer::singleShot(std::chrono::seconds(setting("TARIMO_SERVICE_SECONDS", 120)), &application,
                       &QCoreApplication::quit);
    return application.exec();
}
