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
// 100 n + h öre.

#include "tests/support/price_day.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

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
    const QString host = QStringLiteral("www.elprisetjustnu.se");
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
    static const QRegularExpression dayPath(QStringLiteral(R"(^/api/v1/prices/(\d{4}/\d{2}-\d{2})_SE([1-4])\.json$)"));
    server->setHandler([delay](const RecordedRequest &request) -> std::optional<Answer> {
        std::printf("%s %s\n", request.method.constData(), qPrintable(request.path()));
        std::fflush(stdout);
        const auto match = dayPath.match(request.path());
        if (request.method != "GET" || !match.hasMatch())
            return std::nullopt;
        const int zone = match.captured(2).toInt();
        return Answer::json(serviceDay(QDate::fromString(match.captured(1), QStringLiteral("yyyy/MM-dd")), 60,
                                       [zone](int, const QDateTime &start) { return (100 * zone + start.time().hour()) / 100.0; }))
            .withDelay(delay);
    });
    write("ready", {});
    QTimer::singleShot(std::chrono::seconds(setting("TARIMO_SERVICE_SECONDS", 120)), &application,
                       &QCoreApplication::quit);
    return application.exec();
}
