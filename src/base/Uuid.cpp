#include "Uuid.h"

#include "OpenSSLSetup.h"

#include <openssl/rand.h>

#include <cstring>
#include <stdexcept>

namespace tavlen {
namespace {

constexpr std::size_t kTextLength = 36;

bool isHyphenPosition(std::size_t i)
{
    return i == 8 || i == 13 || i == 18 || i == 23;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string format(const Uuid::Bytes& bytes, const char* digits)
{
    std::string text;
    text.reserve(kTextLength);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xF];
    }
    return text;
}

} // namespace

Uuid Uuid::random()
{
    prepareOpenSSL();
    Bytes bytes;
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        throw std::runtime_error("The system random number generator failed.");
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text)
{
    if (text.size() != kTextLength) {
        return std::nullopt;
    }
    Bytes bytes{};
    std::size_t byteIndex = 0;
    for (std::size_t i = 0; i < kTextLength; ++i) {
        if (isHyphenPosition(i)) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[byteIndex++] = static_cast<std::uint8_t>(high << 4 | low);
        ++i;
    }
    return Uuid(bytes);
}

std::string Uuid::lowercaseString() const
{
    return format(m_bytes, "0123456789abcdef");
}

std::string Uuid::uppercaseString() const
{
    return format(m_bytes, "0123456789ABCDEF");
}

bool uuidArraysEqual(const std::vector<Uuid>& lhs, const std::vector<Uuid>& rhs)
{
    return lhs == rhs;
}

} // namespace tavlen

std::size_t std::hash<tavlen::Uuid>::operator()(const tavlen::Uuid& uuid) const noexcept
{
    std::uint64_t high;
    std::uint64_t low;
    std::memcpy(&high, uuid.bytes().data(), sizeof high);
    std::memcpy(&low, uuid.bytes().data() + sizeof high, sizeof low);
    return std::hash<std::uint64_t>{}(high ^ (low * 0x9E3779B97F4A7C15ULL));
}
