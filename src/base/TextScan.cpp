#include "TextScan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tavlen {

namespace {

// The kernels are written once over a vector type and compiled for 16-byte vectors (every x86-64 has SSE2; other
// processors get their own vectors or plain code) and, where the processor has it, for 32-byte AVX2 vectors.
using Bytes16 = unsigned char __attribute__((vector_size(16)));
using Bytes32 = unsigned char __attribute__((vector_size(32)));
using Signed16 = signed char __attribute__((vector_size(16)));
using Signed32 = signed char __attribute__((vector_size(32)));

bool isBase64Character(unsigned char c)
{
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26 || static_cast<unsigned char>(c - '0') < 10 || c == '+' ||
           c == '/';
}

// The vector code stays inside these two bodies: a vector of 32 bytes passed to or from a function compiled without
// AVX would change how it is passed.
//
// Letters fold onto lower case with one OR (no other byte lands on "a"-"z"), and each range is one unsigned
// comparison after a subtraction; a true comparison is all ones.
template <class Bytes> [[gnu::always_inline]] inline bool base64Alphabet(const unsigned char* p, std::size_t n)
{
    constexpr std::size_t width = sizeof(Bytes);
    // Refused text stops at the next 4 KiB without slowing accepted text.
    constexpr std::size_t chunk = 4096;
    std::size_t i = 0;
    while (n - i >= width) {
        Bytes bad{};
        const std::size_t end = i + ((n - i) < chunk ? (n - i) / width * width : chunk);
        for (; i < end; i += width) {
            Bytes v;
            std::memcpy(&v, p + i, width);
            const auto letter = static_cast<Bytes>(((v | 0x20) - 'a') < 26);
            const auto digit = static_cast<Bytes>((v - '0') < 10);
            const auto sign = static_cast<Bytes>((v == '+') | (v == '/'));
            bad |= ~(letter | digit | sign);
        }
        std::uint64_t words[width / 8];
        std::memcpy(words, &bad, width);
        std::uint64_t any = 0;
        for (const std::uint64_t word : words) {
            any |= word;
        }
        if (any != 0) {
            return false;
        }
    }
    for (; i < n; ++i) {
        if (!isBase64Character(p[i])) {
            return false;
        }
    }
    return true;
}

// Continuation bytes, 0x80-0xBF, are exactly the signed bytes below -64.
template <class Bytes, class Signed>
[[gnu::always_inline]] inline std::size_t continuationCount(const unsigned char* p, std::size_t n)
{
    constexpr std::size_t width = sizeof(Bytes);
    std::size_t count = 0;
    std::size_t i = 0;
    while (n - i >= width) {
        // Byte counters take at most 255 steps before they are summed.
        Bytes counters{};
        const std::size_t steps = (n - i) / width < 255 ? (n - i) / width : 255;
        for (std::size_t step = 0; step < steps; ++step, i += width) {
            Signed v;
            std::memcpy(&v, p + i, width);
            counters -= static_cast<Bytes>(v < -64);
        }
        for (std::size_t lane = 0; lane < width; ++lane) {
            count += counters[lane];
        }
    }
    for (; i < n; ++i) {
        count += (p[i] & 0xC0) == 0x80 ? 1 : 0;
    }
    return count;
}

bool isStructure(unsigned char c)
{
    return c == '[' || c == '{' || c == ',' || c == ':';
}

// Where a scan of JSON structure stands: how far, inside a string or not, and what it has counted.
struct StructureScan
{
    std::size_t i = 0;
    std::size_t count = 0;
    bool inString = false;
};

// The rest of the text, byte by byte.
std::size_t finishStructureCount(const unsigned char* p, std::size_t n, StructureScan scan, std::size_t limit)
{
    for (std::size_t i = scan.i; i < n && scan.count <= limit; ++i) {
        const unsigned char c = p[i];
        if (scan.inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                scan.inString = false;
            }
        } else if (c == '"') {
            scan.inString = true;
        } else if (isStructure(c)) {
            ++scan.count;
        }
    }
    return scan.count;
}

#if defined(__x86_64__)
#define TAVLEN_TEXT_SCAN_AVX2 1

// One bit per lane of a comparison's result, with the SSE2 instruction every x86-64 has; a 32-byte vector in two
// halves, which stays legal in code compiled without AVX2 (a builtin of AVX2 would not be). Taken by reference: a
// 32-byte vector passed by value would be passed differently with and without AVX.
[[gnu::always_inline]] inline std::uint32_t laneBits(const Bytes16& lanes)
{
    __m128i v;
    std::memcpy(&v, &lanes, sizeof v);
    return static_cast<std::uint32_t>(_mm_movemask_epi8(v));
}

[[gnu::always_inline]] inline std::uint32_t laneBits(const Bytes32& lanes)
{
    __m128i halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return static_cast<std::uint32_t>(_mm_movemask_epi8(halves[0])) |
           (static_cast<std::uint32_t>(_mm_movemask_epi8(halves[1])) << 16);
}

// A block at a time: outside a string the structure before the next quote is counted from a bit mask; inside one the
// scan leaps to the next quote or backslash, so a screenshot's base64 passes at vector speed and only short strings
// cost a step each.
template <class Bytes>
[[gnu::always_inline]] inline StructureScan structureBlocks(const unsigned char* p, std::size_t n, std::size_t limit)
{
    constexpr std::size_t width = sizeof(Bytes);
    StructureScan scan;
    std::size_t leapFrom = 0; // after a leap fails, the blocks it looked at are taken one by one
    while (n - scan.i >= width && scan.count <= limit) {
        if (scan.inString && scan.i >= leapFrom) {
            // Sixteen vectors at a time while none holds a quote: the body of a long string. Escapes there (a base64
            // text may escape its slashes) matter only at the end, where an odd run of backslashes escapes the byte
            // after it.
            while (n - scan.i >= 16 * width) {
                Bytes lanes[16];
                std::memcpy(lanes, p + scan.i, sizeof lanes);
                Bytes stops{};
                for (const Bytes& lane : lanes) {
                    stops |= static_cast<Bytes>(lane == '"');
                }
                if (laneBits(stops) != 0) {
                    leapFrom = scan.i + 16 * width;
                    break;
                }
                scan.i += 16 * width;
                std::size_t run = 0;
                while (run < 16 * width && p[scan.i - 1 - run] == '\\') {
                    ++run;
                }
                scan.i = std::min(scan.i + run % 2, n);
            }
            if (n - scan.i < width) {
                break;
            }
        }
        Bytes v;
        std::memcpy(&v, p + scan.i, width);
        const std::uint32_t quotes = laneBits(static_cast<Bytes>(v == '"'));
        if (scan.inString) {
            // Every escape of the block is passed over here; the string ends at the first quote no escape takes.
            const std::uint32_t backslashes = laneBits(static_cast<Bytes>(v == '\\'));
            if (quotes == 0) {
                // The string goes on; the block's last run of backslashes, when odd, escapes the next block's first.
                const auto run = static_cast<std::size_t>(std::countl_one(backslashes << (32 - width)));
                scan.i = std::min(scan.i + width + run % 2, n);
                continue;
            }
            std::uint32_t stops = quotes | backslashes;
            std::size_t next = width;
            while (stops != 0) {
                const auto at = static_cast<std::size_t>(std::countr_zero(stops));
                if ((backslashes >> at & 1) == 0) {
                    next = at + 1;
                    scan.inString = false;
                    break;
                }
                if (at + 1 == width) {
                    next = width + 1; // the escaped byte opens the next block
                    break;
                }
                stops &= static_cast<std::uint32_t>(~((std::uint64_t{4} << at) - 1)); // the escape and its byte
            }
            scan.i = std::min(scan.i + next, n);
            continue;
        }
        // "[" and "{" are the only bytes that OR 0x20 makes "{".
        const std::uint32_t structure = laneBits(static_cast<Bytes>(((v | 0x20) == '{') | (v == ',') | (v == ':')));
        const std::uint32_t before =
            quotes == 0 ? structure : structure & ((std::uint32_t{1} << std::countr_zero(quotes)) - 1);
        scan.count += static_cast<std::size_t>(std::popcount(before));
        if (quotes == 0) {
            scan.i += width;
        } else {
            scan.i += static_cast<std::size_t>(std::countr_zero(quotes)) + 1;
            scan.inString = true;
        }
    }
    return scan;
}

[[gnu::target("avx2")]] StructureScan structureBlocksAVX2(const unsigned char* p, std::size_t n, std::size_t limit)
{
    return structureBlocks<Bytes32>(p, n, limit);
}

[[gnu::target("avx2")]] bool base64AlphabetAVX2(const unsigned char* p, std::size_t n)
{
    return base64Alphabet<Bytes32>(p, n);
}

[[gnu::target("avx2")]] std::size_t continuationCountAVX2(const unsigned char* p, std::size_t n)
{
    return continuationCount<Bytes32, Signed32>(p, n);
}

bool hasAVX2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

const unsigned char* bytesOf(std::string_view text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

StructureScan structureBlocksPlain(const unsigned char* p, std::size_t n, std::size_t limit)
{
#ifdef TAVLEN_TEXT_SCAN_AVX2
    return structureBlocks<Bytes16>(p, n, limit);
#else
    (void)p;
    (void)n;
    (void)limit;
    return {};
#endif
}

} // namespace

bool isBase64Alphabet(std::string_view text) noexcept
{
#ifdef TAVLEN_TEXT_SCAN_AVX2
    if (hasAVX2()) {
        return base64AlphabetAVX2(bytesOf(text), text.size());
    }
#endif
    return base64Alphabet<Bytes16>(bytesOf(text), text.size());
}

std::size_t scalarCount(std::string_view text) noexcept
{
#ifdef TAVLEN_TEXT_SCAN_AVX2
    if (hasAVX2()) {
        return text.size() - continuationCountAVX2(bytesOf(text), text.size());
    }
#endif
    return text.size() - continuationCount<Bytes16, Signed16>(bytesOf(text), text.size());
}

std::size_t jsonStructureCount(std::string_view text, std::size_t limit) noexcept
{
    const unsigned char* p = bytesOf(text);
#ifdef TAVLEN_TEXT_SCAN_AVX2
    if (hasAVX2()) {
        return finishStructureCount(p, text.size(), structureBlocksAVX2(p, text.size(), limit), limit);
    }
#endif
    return finishStructureCount(p, text.size(), structureBlocksPlain(p, text.size(), limit), limit);
}

} // namespace tavlen
