#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tarimo::test_support {

struct IssuedCertificate
{
    QSslCertificate certificate;
    QSslKey privateKey;
};

// A certificate authority made at test time with the openssl tool (EC P-256
// keys, valid for two days). Nothing it signs is trusted anywhere unless a
// test hands its certificate to a transport.
class TestCertificateAuthority
{
public:
    explicit TestCertificateAuthority(const QString &commonName = QStringLiteral("Tarimo Test CA"));
    ~TestCertificateAuthority();

    // One per process, made on first use.
    static const TestCertificateAuthority &shared();

    QSslCertificate certificate() const { return m_certificate; }

    // A server certificate for these host names and IP addresses.
    IssuedCertificate issue(const QStringList &dnsNames, const QStringList &ipAddresses = {}) const;

    // For 127.0.0.1 and localhost; made once per authority.
    const IssuedCertificate &loopbackCertificate() const;

private:
    std::unique_ptr<QTemporaryDir> m_directory;
    QSslCertificate m_certificate;
    mutable std::unique_ptr<IssuedCertificate> m_loopback;
    mutable int m_issued = 0;
};

} // namespace tarimo::test_support
