#pragma once

#include <QByteArray>

namespace db {

// PBKDF2 with HMAC-SHA1, the derivation the database's cipher applies to a
// password. The cipher's own runs through the library's general digest
// interface, which allocates and copies a context for every one of its
// 64,000 rounds; this one keeps the two padded key states and hashes one
// block each per round, for the same key in a fraction of the time.
QByteArray pbkdf2HmacSha1(const QByteArray &password, const QByteArray &salt,
                          int iterations, int length);

} // namespace db
