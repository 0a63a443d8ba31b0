#pragma once

#include <QString>

// Platform passwords are stored as "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>", never in clear.
namespace orv_public {
namespace PasswordHash {

QString make(const QString &password);
QString make(const QString &password, const QByteArray &salt, int iterations);
bool verify(const QString &password, const QString &stored);

} // namespace PasswordHash
} // namespace orv_public
