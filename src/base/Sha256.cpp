#include "Sha256.h"

#include "OpenSSLSetup.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace tavlen {

std::array<std::uint8_t, 32> sha256(std::string_view bytes)
{
    prepareOpenSSL();
    std::array<std::uint8_t, 32> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1 ||
        length != digest.size()) {
        throw std::runtime_error("SHA-256 digest failed");
    }
    return digest;
}

std::string sha256Hex(std::string_view bytes)
{
    constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(64);
    for (const std::uint8_t byte : sha256(bytes)) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

} // namespace tavlen
