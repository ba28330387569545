// The restore password's verifier. desktop.ini lies in the folder for
// anyone to read, and people reuse passwords, so only a salted, slow hash of
// it is stored there.
#include <charconv>
#include <cstdint>
#include <random>

#include "store/password_hash.h"
#include "sys/text_util.h"
#include "tools/dir_disguise.h"

namespace velmora::tools {

namespace {

constexpr int verifier_rounds = 100000;
// A stored count is trusted within these bounds only: a crafted desktop.ini
// must not make the check run for hours.
constexpr int min_rounds = 10000;
constexpr int max_rounds = 1000000;
constexpr std::size_t salt_bytes = 16;
constexpr std::size_t hash_bytes = 32;

std::string to_hex(std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        hex += digits[value >> 4];
        hex += digits[value & 0x0f];
    }
    return hex;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> from_hex(std::string_view hex, std::size_t bytes) {
    if (hex.size() != bytes * 2) return std::nullopt;
    std::string out(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) {
        const int high = hex_digit(hex[2 * i]);
        const int low = hex_digit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out[i] = static_cast<char>(high * 16 + low);
    }
    return out;
}

std::string random_salt() {
    std::random_device source;
    std::string salt(salt_bytes, '\0');
    for (char& byte : salt) byte = static_cast<char>(source() & 0xff);
    return salt;
}

struct Verifier {
    int rounds = 0;
    std::string salt;
    std::string hash;
};

std::optional<Verifier> parse_verifier(std::string_view stored) {
    if (stored.substr(0, verifier_prefix.size()) != verifier_prefix) return std::nullopt;
    std::string_view rest = stored.substr(verifier_prefix.size());
    const std::size_t first = rest.find('$');
    const std::size_t second = first == std::string_view::npos ? first : rest.find('$', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    Verifier verifier;
    const auto [end, failure] = std::from_chars(rest.data(), rest.data() + first, verifier.rounds);
    if (failure != std::errc() || end != rest.data() + first) return std::nullopt;
    if (verifier.rounds < min_rounds || verifier.rounds > max_rounds) return std::nullopt;
    auto salt = from_hex(rest.substr(first + 1, second - first - 1), salt_bytes);
    auto hash = from_hex(rest.substr(second + 1), hash_bytes);
    if (!salt || !hash) return std::nullopt;
    verifier.salt = std::move(*salt);
    verifier.hash = std::move(*hash);
    return verifier;
}

// Every byte compared, so the time taken tells nothing about where a guess
// went wrong.
bool same_bytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
    }
    return difference == 0;
}

}  // namespace

std::string make_password_verifier(std::string_view password) {
    const std::string salt = random_salt();
    const std::string hash =
        store::pbkdf2_sha256(sys::trimmed(password), salt, verifier_rounds, hash_bytes);
    return std::string(verifier_prefix) + std::to_string(verifier_rounds) + "$" + to_hex(salt) +
           "$" + to_hex(hash);
}

bool is_password_verifier(std::string_view stored) {
    return parse_verifier(sys::trimmed(stored)).has_value();
}

bool password_matches(std::string_view stored, std::string_view entered) {
    const std::string kept = sys::trimmed(stored);
    const std::string typed = sys::trimmed(entered);
    const std::optional<Verifier> verifier = parse_verifier(kept);
    if (!verifier) return same_bytes(kept, typed);
    return same_bytes(store::pbkdf2_sha256(typed, verifier->salt, verifier->rounds, hash_bytes),
                      verifier->hash);
}

}  // namespace velmora::tools
