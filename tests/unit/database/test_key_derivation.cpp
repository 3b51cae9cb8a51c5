#include "platform/database/KeyDerivation.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <openssl/evp.h>

namespace {

QByteArray reference(const QByteArray &password, const QByteArray &salt, int rounds, int length)
{
    QByteArray out(length, '\0');
    EXPECT_EQ(PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                                     reinterpret_cast<const unsigned char *>(salt.constData()),
                                     int(salt.size()), rounds, length,
                                     reinterpret_cast<unsigned char *>(out.data())), 1);
    return out;
}

QByteArray randomBytes(int n)
{
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(QRandomGenerator::global()->bounded(256));
    return b;
}

} // namespace

TEST(KeyDerivation, PublishedVectorsComeOut)
{
    // RFC 6070's test vectors.
    EXPECT_EQ(db::pbkdf2HmacSha1("password", "salt", 1, 20).toHex(),
              "0c60c80f961f0e71f3a9b524af6012062fe037a6");
    EXPECT_EQ(db::pbkdf2HmacSha1("password", "salt", 4096, 20).toHex(),
              "4b007901b765489abead49d926f721d065a429c1");
    EXPECT_EQ(db::pbkdf2HmacSha1("passwordPASSWORDpassword",
                                 "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25).toHex(),
              "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
    EXPECT_EQ(db::pbkdf2HmacSha1(QByteArray("pass\0word", 9), QByteArray("sa\0lt", 5), 4096, 16).toHex(),
              "56fa6aa75548099dcc37d7f03425e0c3");
}

TEST(KeyDerivation, AgreesWithTheCipherLibraryOverPasswordAndSaltLengths)
{
    // Passwords around and beyond one hash block (a longer one is hashed
    // first), empty salts, keys that end inside a digest.
    for (int passwordLength : {0, 1, 16, 63, 64, 65, 200}) {
        for (int saltLength : {0, 16, 100}) {
            const QByteArray password = randomBytes(passwordLength);
            const QByteArray salt = randomBytes(saltLength);
            for (int length : {1, 20, 32, 41}) {
                SCOPED_TRACE(testing::Message() << passwordLength << '/' << saltLength << '/' << length);
                EXPECT_EQ(db::pbkdf2HmacSha1(password, salt, 3, length), reference(password, salt, 3, length));
            }
        }
    }
    const QByteArray salt = randomBytes(16);
    EXPECT_EQ(db::pbkdf2HmacSha1("kvr482tmw917", salt, 64000, 32),
              reference("kvr482tmw917", salt, 64000, 32));
}
