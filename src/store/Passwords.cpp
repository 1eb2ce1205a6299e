#include "store/Passwords.h"

#include "core/Error.h"

#include <sodium.h>

namespace store {

namespace {

void initialiseSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw Error(QStringLiteral("无法初始化密码库"));
}

// Interactive limits keep a login well under a second on a small shop PC.
constexpr unsigned long long OpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
constexpr size_t MemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

} // namespace

QString hashPassword(const QString& password)
{
    if (password.isEmpty())
        return {};
    initialiseSodium();
    const QByteArray utf8 = password.toUtf8();
    char hashed[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hashed, utf8.constData(), static_cast<unsigned long long>(utf8.size()), OpsLimit, MemLimit) !=
        0)
        throw Error(QStringLiteral("密码加密失败：内存不足"));
    return QString::fromLatin1(hashed);
}

bool verifyPassword(const QString& password, const QString& stored)
{
    if (stored.isEmpty())
        return password.isEmpty();
    initialiseSodium();
    const QByteArray utf8 = password.toUtf8();
    const QByteArray hash = stored.toLatin1();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(), static_cast<unsigned long long>(utf8.size())) ==
           0;
}

} // namespace store
