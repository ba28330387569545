// The password verifier must stay byte for byte what existing containers
// were made with: standard test vectors, and Qt's own PBKDF2 (which made
// the verifiers before) on the program's parameters.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>

#include <random>

#include "store/password_hash.h"

namespace velmora::store {
namespace {

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

std::string hex(const Sha256Digest& digest) {
    return hex(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

// Both ways of hashing, the processor's SHA instructions (where it has
// them) and plain C++, give the same bytes.
class PasswordHash : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { use_portable_sha256(GetParam()); }
    void TearDown() override { use_portable_sha256(false); }
};
INSTANTIATE_TEST_SUITE_P(BothWays, PasswordHash, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "PlainCpp" : "FastestHere";
                         });

TEST_P(PasswordHash, StandardVectors) {
    EXPECT_EQ(hex(sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex(sha256("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex(sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hex(hmac_sha256(std::string(20, '\x0b'), "Hi There")),
              "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(hex(hmac_sha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(hex(pbkdf2_sha256("passwd", "salt", 1, 64)),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
              "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
}

// Every length of input around the block boundaries, against Qt.
TEST_P(PasswordHash, MatchesQtsDerivationForTheProgramsParameters) {
    std::mt19937 random(20261209);
    auto bytes = [&](std::size_t size) {
        std::string text(size, '\0');
        for (char& c : text) c = static_cast<char>(random() & 0xff);
        return text;
    };
    for (std::size_t size : {0u, 1u, 16u, 55u, 56u, 63u, 64u, 65u, 100u, 130u}) {
        const std::string password = bytes(size), salt = bytes(16);
        const int rounds = size == 16 ? 10000 : 3;
        const QByteArray qt = QPasswordDigestor::deriveKeyPbkdf2(
            QCryptographicHash::Sha256, QByteArray::fromStdString(password),
            QByteArray::fromStdString(salt), rounds, 32);
        EXPECT_EQ(hex(pbkdf2_sha256(password, salt, rounds, 32)), hex(qt.toStdString()))
            << "password of " << size << " bytes";
        EXPECT_EQ(hex(sha256(password)),
                  hex(QCryptographicHash::hash(QByteArray::fromStdString(password),
                                               QCryptographicHash::Sha256)
                          .toStdString()));
    }
}

}  // namespace
}  // namespace velmora::store
