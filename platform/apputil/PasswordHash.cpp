#include "PasswordHash.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

namespace orv_public {
namespace PasswordHash {
namespace {

constexpr int DefaultIterations = 20000;
constexpr int KeyLength = 32;

QByteArray pbkdf2(const QByteArray &password, const QByteArray &salt, int iterations)
{
    // One block of PBKDF2-HMAC-SHA256 gives the 32 bytes we keep.
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    mac.addData(QByteArray::fromHex("00000001"));
    QByteArray u = mac.result();
    QByteArray t = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int j = 0; j < KeyLength; ++j)
            t[j] = char(t[j] ^ u[j]);
    }
    return t;
}

bool constantTimeEqual(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    char diff = 0;
    for (int i = 0; i < a.size(); ++i)
        diff |= char(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

QString make(const QString &password, const QByteArray &salt, int iterations)
{
    const QByteArray key = pbkdf2(password.toUtf8(), salt, iterations);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(key.toHex()));
}

QString make(const QString &password)
{
    QByteArray salt(16, '\0');
    for (char &c : salt)
        c = char(QRandomGenerator::system()->bounded(256));
    return make(password, salt, DefaultIterations);
}

bool verify(const QString &password, const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts.at(0) != QLatin1String("pbkdf2-sha256"))
        return false;
    bool ok = false;
    const int iterations = parts.at(1).toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000)
        return false;
    const QByteArray salt = QByteArray::fromHex(parts.at(2).toLatin1());
    const QByteArray expected = QByteArray::fromHex(parts.at(3).toLatin1());
    return constantTimeEqual(pbkdf2(password.toUtf8(), salt, iterations), expected);
}

} // namespace PasswordHash
} // namespace orv_public
