// The container's password verifier: PBKDF2 with HMAC-SHA-256 (RFC 8018),
// in plain C++ so the store, and every program that opens a container,
// needs no toolkit. Byte for byte what the verifiers of existing containers
// were made with.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::store {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest sha256(std::string_view bytes);
Sha256Digest hmac_sha256(std::string_view key, std::string_view message);
// The hashing uses the processor's SHA instructions where it has them; a
// test can make it take the plain C++ path instead, to check both.
void use_portable_sha256(bool portable);
bool sha256_uses_processor_instructions();

// `length` bytes derived from the password and salt in `iterations` rounds.
std::string pbkdf2_sha256(std::string_view password, std::string_view salt, int iterations,
                          std::size_t length);

}  // namespace velmora::store
