#include "PasswordHash.h"

#include <QMessageAuthenticationCode>
#include <QStringList>

#include <sodium.h>

namespace orv_public {
namespace PasswordHash {
namespace {

constexpr int KeyLength = 32;
const QLatin1String kPbkdf2Prefix("pbkdf2-sha256$");

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

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

bool verifyPbkdf2(const QString &password, const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int iterations = parts.at(1).toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000)
        return false;
    const QByteArray salt = QByteArray::fromHex(parts.at(2).toLatin1());
    const QByteArray expected = QByteArray::fromHex(parts.at(3).toLatin1());
    const QByteArray actual = pbkdf2(password.toUtf8(), salt, iterations);
    return expected.size() == actual.size() && sodium_memcmp(expected.constData(), actual.constData(), size_t(actual.size())) == 0;
}

// A fixed stored hash for the users that do not exist.
const QByteArray &dummyHash()
{
    static const QByteArray hash = make(QStringLiteral("no such user")).toLatin1();
    return hash;
}

} // namespace

QString make(const QString &password)
{
    if (!sodiumReady())
        return QString();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), size_t(utf8.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        return QString(); // out of memory: no hash rather than a weak one
    return QString::fromLatin1(out);
}

bool verify(const QString &password, const QString &stored)
{
    if (stored.startsWith(kPbkdf2Prefix))
        return sodiumReady() && verifyPbkdf2(password, stored);
    if (!sodiumReady() || !stored.startsWith(QLatin1String("$argon2")))
        return false;
    const QByteArray utf8 = password.toUtf8();
    const QByteArray hash = stored.toLatin1();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), size_t(utf8.size())) == 0;
}

bool needsRehash(const QString &stored)
{
    if (!stored.startsWith(QLatin1String("$argon2id")) || !sodiumReady())
        return true;
    const QByteArray hash = stored.toLatin1();
    return crypto_pwhash_str_needs_rehash(hash.constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0;
}

void verifyNothing(const QString &password)
{
    verify(password, QString::fromLatin1(dummyHash()));
}

QString makePbkdf2(const QString &password, const QByteArray &salt, int iterations)
{
    const QByteArray key = pbkdf2(password.toUtf8(), salt, iterations);
    return kPbkdf2Prefix + QStringLiteral("%1$%2$%3").arg(iterations).arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(key.toHex()));
}

} // namespace PasswordHash
} // namespace orv_public
