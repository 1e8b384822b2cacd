#include "Base64.h"

#include <array>
#include <cstdint>

namespace tavlen {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kInvalid = 0xFF;

constexpr std::array<std::uint8_t, 256> makeDecodeTable()
{
    std::array<std::uint8_t, 256> table{};
    table.fill(kInvalid);
    for (std::uint8_t i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = i;
    }
    return table;
}

constexpr auto kDecodeTable = makeDecodeTable();

std::uint8_t sextet(char c)
{
    return kDecodeTable[static_cast<unsigned char>(c)];
}

} // namespace

std::string base64Encode(std::string_view bytes)
{
    std::string text((bytes.size() + 2) / 3 * 4, '=');
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    char* out = text.data();
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
        *out++ = kAlphabet[group >> 18];
        *out++ = kAlphabet[(group >> 12) & 0x3F];
        *out++ = kAlphabet[(group >> 6) & 0x3F];
        *out++ = kAlphabet[group & 0x3F];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t group = std::uint32_t{in[i]} << 16;
        if (rest == 2) {
            group |= std::uint32_t{in[i + 1]} << 8;
        }
        out[0] = kAlphabet[group >> 18];
        out[1] = kAlphabet[(group >> 12) & 0x3F];
        if (rest == 2) {
            out[2] = kAlphabet[(group >> 6) & 0x3F];
        }
    }
    return text;
}

std::optional<std::string> base64Decode(std::string_view text)
{
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    if (text.empty()) {
        return std::string();
    }
    std::size_t padding = 0;
    if (text.back() == '=') {
        padding = text[text.size() - 2] == '=' ? 2 : 1;
    }
    std::string bytes(text.size() / 4 * 3 - padding, '\0');
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    const std::size_t fullGroups = text.size() / 4 - (padding > 0 ? 1 : 0);
    const char* in = text.data();
    for (std::size_t g = 0; g < fullGroups; ++g, in += 4, out += 3) {
        const std::uint32_t a = sextet(in[0]);
        const std::uint32_t b = sextet(in[1]);
        const std::uint32_t c = sextet(in[2]);
        const std::uint32_t d = sextet(in[3]);
        if (((a | b | c | d) & 0x80) != 0) { // kInvalid has the high bit set
            return std::nullopt;
        }
        const std::uint32_t group = a << 18 | b << 12 | c << 6 | d;
        out[0] = static_cast<unsigned char>(group >> 16);
        out[1] = static_cast<unsigned char>(group >> 8);
        out[2] = static_cast<unsigned char>(group);
    }
    if (padding == 0) {
        return bytes;
    }
    const std::uint32_t a = sextet(in[0]);
    const std::uint32_t b = sextet(in[1]);
    const std::uint32_t c = padding == 1 ? sextet(in[2]) : 0;
    if (((a | b | c) & 0x80) != 0) {
        return std::nullopt;
    }
    const std::uint32_t group = a << 18 | b << 12 | c << 6;
    // The bits below the last whole byte must be zero in canonical text.
    if ((padding == 2 && (group & 0xFFFF) != 0) || (padding == 1 && (group & 0xFF) != 0)) {
        return std::nullopt;
    }
    out[0] = static_cast<unsigned char>(group >> 16);
    if (padding == 1) {
        out[1] = static_cast<unsigned char>(group >> 8);
    }
    return bytes;
}

} // namespace tavlen
