#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// A 128-bit universally unique identifier held as its 16 bytes in text order.
class Uuid
{
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // The nil UUID (all zero bytes).
    Uuid() = default;

    explicit Uuid(const Bytes& bytes)
        : m_bytes(bytes)
    {}

    // A random version 4 UUID from OpenSSL's generator. Throws std::runtime_error when it has no entropy.
    static Uuid random();
    // The 36-character 8-4-4-4-12 hexadecimal form, digits in either case; anything else gives nullopt.
    static std::optional<Uuid> parse(std::string_view text);

    std::string lowercaseString() const;
    std::string uppercaseString() const;

    const Bytes& bytes() const { return m_bytes; }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend std::strong_ordering operator<=>(const Uuid&, const Uuid&) = default;

private:
    Bytes m_bytes{};
};

// Element-wise equality of two lists of UUIDs.
bool uuidArraysEqual(const std::vector<Uuid>& lhs, const std::vector<Uuid>& rhs);

} // namespace tavlen

template <> struct std::hash<tavlen::Uuid>
{
    std::size_t operator()(const tavlen::Uuid& uuid) const noexcept;
};
