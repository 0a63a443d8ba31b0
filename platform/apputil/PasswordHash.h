#pragma once

#include <QString>

// Platform passwords are stored as Argon2id strings ("$argon2id$v=19$m=...,t=...,p=...$salt$hash",
// libsodium); older records hold "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>", which are still
// accepted and re-hashed at the next successful login. Never in clear.
namespace orv_public {
namespace PasswordHash {

QString make(const QString &password);
bool verify(const QString &password, const QString &stored);
// True when the stored hash is of an older kind or weaker settings than make() uses now.
bool needsRehash(const QString &stored);
// Spends the time of one verification, so that an unknown user takes as long as a known one.
void verifyNothing(const QString &password);

// The older kind, for records written before Argon2id.
QString makePbkdf2(const QString &password, const QByteArray &salt, int iterations);

} // namespace PasswordHash
} // namespace orv_public
