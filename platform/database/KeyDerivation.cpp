#include "platform/database/KeyDerivation.h"

// The block function and the context it works on are the library's
// low-level interface, deprecated for general use but kept: it is the only
// way to its hardware-accelerated SHA-1 without a context allocated per call.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/sha.h>

#include <array>
#include <cstring>

namespace db {

namespace {

constexpr int kBlock = SHA_CBLOCK;          // 64
constexpr int kDigest = SHA_DIGEST_LENGTH;  // 20

using Digest = std::array<unsigned char, kDigest>;

void putDigest(const SHA_CTX &c, unsigned char *out)
{
    const SHA_LONG h[5] = {c.h0, c.h1, c.h2, c.h3, c.h4};
    for (int i = 0; i < 5; ++i) {
        out[4 * i] = static_cast<unsigned char>(h[i] >> 24);
        out[4 * i + 1] = static_cast<unsigned char>(h[i] >> 16);
        out[4 * i + 2] = static_cast<unsigned char>(h[i] >> 8);
        out[4 * i + 3] = static_cast<unsigned char>(h[i]);
    }
}

// A digest padded as the last block of a message one key block longer:
// the 0x80 marker, zeros, then the length in bits, big-endian.
void padDigestBlock(unsigned char (&block)[kBlock])
{
    std::memset(block + kDigest, 0, kBlock - kDigest);
    block[kDigest] = 0x80;
    constexpr unsigned bits = (kBlock + kDigest) * 8;
    block[kBlock - 2] = static_cast<unsigned char>(bits >> 8);
    block[kBlock - 1] = static_cast<unsigned char>(bits);
}

} // namespace

QByteArray pbkdf2HmacSha1(const QByteArray &password, const QByteArray &salt,
                          int iterations, int length)
{
    unsigned char key[kBlock] = {};
    if (password.size() > kBlock) {
        SHA1(reinterpret_cast<const unsigned char *>(password.constData()),
             size_t(password.size()), key);
    } else {
        std::memcpy(key, password.constData(), size_t(password.size()));
    }

    // The hash states after the inner and the outer key block: every HMAC
    // of the derivation starts from one of these two.
    SHA_CTX inner, outer;
    unsigned char pad[kBlock];
    SHA1_Init(&inner);
    for (int i = 0; i < kBlock; ++i)
        pad[i] = key[i] ^ 0x36;
    SHA1_Update(&inner, pad, kBlock);
    SHA1_Init(&outer);
    for (int i = 0; i < kBlock; ++i)
        pad[i] = key[i] ^ 0x5c;
    SHA1_Update(&outer, pad, kBlock);

    QByteArray derived;
    derived.reserve(length);
    unsigned char block[kBlock];
    padDigestBlock(block);
    for (quint32 index = 1; derived.size() < length; ++index) {
        // The first round hashes the salt and the block's index.
        const unsigned char counter[4] = {static_cast<unsigned char>(index >> 24),
                                          static_cast<unsigned char>(index >> 16),
                                          static_cast<unsigned char>(index >> 8),
                                          static_cast<unsigned char>(index)};
        SHA_CTX c = inner;
        SHA1_Update(&c, salt.constData(), size_t(salt.size()));
        SHA1_Update(&c, counter, sizeof counter);
        SHA1_Final(block, &c);
        c = outer;
        SHA1_Update(&c, block, kDigest);
        SHA1_Final(block, &c);
        padDigestBlock(block);
        Digest sum;
        std::memcpy(sum.data(), block, kDigest);

        // Every later round hashes the one before, one block each way.
        for (int round = 1; round < iterations; ++round) {
            c = inner;
            SHA1_Transform(&c, block);
            putDigest(c, block);
            c = outer;
            SHA1_Transform(&c, block);
            putDigest(c, block);
            for (int i = 0; i < kDigest; ++i)
                sum[size_t(i)] ^= block[i];
        }
        derived.append(reinterpret_cast<const char *>(sum.data()),
                       qMin<qsizetype>(kDigest, length - derived.size()));
        OPENSSL_cleanse(sum.data(), sum.size());
    }
    OPENSSL_cleanse(key, sizeof key);
    OPENSSL_cleanse(pad, sizeof pad);
    OPENSSL_cleanse(block, sizeof block);
    OPENSSL_cleanse(&inner, sizeof inner);
    OPENSSL_cleanse(&outer, sizeof outer);
    return derived;
}

} // namespace db
