#pragma once

#include <QString>

namespace store {

// Passwords are kept as Argon2id hashes (libsodium's crypto_pwhash_str), never as typed.
// The empty password is kept as empty text, so a fresh file's admin logs in with nothing.
QString hashPassword(const QString& password); // throws store::Error if hashing fails
bool verifyPassword(const QString& password, const QString& stored);

} // namespace store
