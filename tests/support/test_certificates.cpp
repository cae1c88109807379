#include "tests/support/test_certificates.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <stdexcept>

namespace tarimo::test_support {

namespace {

void runOpenssl(const QString &directory, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(directory);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString detail = QString::fromLocal8Bit(process.readAllStandardError());
        throw std::runtime_error(QStringLiteral("openssl %1 failed: %2 %3")
                                     .arg(arguments.join(u' '), process.errorString(), detail)
                                     .toStdString());
    }
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("cannot read %1").arg(path).toStdString());
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
}

const QStringList newKey = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

TestCertificateAuthority::TestCertificateAuthority(const QString &commonName)
    : m_directory(std::make_unique<QTemporaryDir>())
{
    if (!m_directory->isValid())
        throw std::runtime_error("cannot make a temporary directory for test certificates");
    const QString dir = m_directory->path();
    runOpenssl(dir, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + newKey
                        + QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                                      QStringLiteral("ca.crt"), QStringLiteral("-days"), QStringLiteral("2"),
                                      QStringLiteral("-subj"), QStringLiteral("/CN=") + commonName, QStringLiteral("-addext"),
                                      QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                                      QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
    m_certificate = QSslCertificate(readFile(dir + QStringLiteral("/ca.crt")), QSsl::Pem);
    if (m_certificate.isNull())
        throw std::runtime_error("openssl made an unreadable CA certificate");
}

TestCertificateAuthority::~TestCertificateAuthority() = default;

const TestCertificateAuthority &TestCertificateAuthority::shared()
{
    static const TestCertificateAuthority authority;
    return authority;
}

IssuedCertificate TestCertificateAuthority::issue(const QStringList &dnsNames, const QStringList &ipAddresses) const
{
    const QString dir = m_directory->path();
    const QString name = QStringLiteral("server%1").arg(++m_issued);
    QStringList altNames;
    for (const QString &dns : dnsNames)
        altNames.append(QStringLiteral("DNS:") + dns);
    for (const QString &ip : ipAddresses)
        altNames.append(QStringLiteral("IP:") + ip);
    const QString commonName = !dnsNames.isEmpty() ? dnsNames.first() : ipAddresses.value(0, QStringLiteral("test"));

    writeFile(dir + u'/' + name + QStringLiteral(".ext"),
              QStringLiteral("subjectAltName=%1\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                             "extendedKeyUsage=serverAuth\n")
                  .arg(altNames.join(u','))
                  .toUtf8());
    runOpenssl(dir, QStringList{QStringLiteral("req")} + newKey
                        + QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                                      name + QStringLiteral(".csr"), QStringLiteral("-subj"), QStringLiteral("/CN=") + commonName});
    const QString serial = QStringLiteral("0x%1").arg(QRandomGenerator::global()->generate64() >> 1, 0, 16);
    runOpenssl(dir, {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), name + QStringLiteral(".csr"),
                     QStringLiteral("-CA"), QStringLiteral("ca.crt"), QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                     QStringLiteral("-set_serial"), serial, QStringLiteral("-days"), QStringLiteral("2"),
                     QStringLiteral("-extfile"), name + QStringLiteral(".ext"), QStringLiteral("-out"),
                     name + QStringLiteral(".crt")});

    IssuedCertificate issued;
    issued.certificate = QSslCertificate(readFile(dir + u'/' + name + QStringLiteral(".crt")), QSsl::Pem);
    issued.privateKey = QSslKey(readFile(dir + u'/' + name + QStringLiteral(".key")), QSsl::Ec, QSsl::Pem);
    if (issued.certificate.isNull() || issued.privateKey.isNull())
        throw std::runtime_error("openssl made an unreadable server certificate or key");
    return issued;
}

const IssuedCertificate &TestCertificateAuthority::loopbackCertificate() const
{
    if (!m_loopback)
        m_loopback = std::make_unique<IssuedCertificate>(
            issue({QStringLiteral("localhost")}, {QStringLiteral("127.0.0.1")}));
    return *m_loopback;
}

} // namespace tarimo::test_support
