#include "EvidenceText.h"

#include "Utf8.h"

#include <algorithm>
#include <limits>

namespace tavlen {
namespace {

struct Scalar
{
    char32_t value;
    std::size_t length; // bytes
};

// The scalar starting at text[i]. A byte that does not start a well-formed sequence stands for itself, one
// byte long, and is never whitespace.
Scalar scalarAt(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || i + length > text.size()) {
        return {0xFFFD, 1};
    }
    char32_t value = lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return {0xFFFD, 1};
        }
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length};
}

} // namespace

std::string collapseWhitespace(std::string_view text)
{
    std::string collapsed;
    collapsed.reserve(text.size());
    bool pendingSpace = false;
    for (std::size_t i = 0; i < text.size();) {
        const Scalar scalar = scalarAt(text, i);
        if (isWhitespaceOrNewline(scalar.value)) {
            pendingSpace = !collapsed.empty();
        } else {
            if (pendingSpace) {
                collapsed += ' ';
                pendingSpace = false;
            }
            collapsed.append(text.substr(i, scalar.length));
        }
        i += scalar.length;
    }
    return collapsed;
}

std::string_view utf16Substring(std::string_view text, std::int64_t start, std::int64_t length)
{
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    constexpr std::int64_t unbounded = std::numeric_limits<std::int64_t>::max();
    const std::int64_t last = length <= 0 ? first : first > unbounded - length ? unbounded : first + length;
    std::size_t begin = text.size();
    std::size_t end = text.size();
    std::int64_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Scalar scalar = scalarAt(text, i);
        const std::int64_t width = scalar.value >= 0x10000 && scalar.value != 0xFFFD ? 2 : 1;
        if (begin == text.size() && units + width > first) {
            begin = i;
        }
        if (units + width > last) {
            end = i;
            break;
        }
        units += width;
        i += scalar.length;
    }
    return begin >= end ? std::string_view() : text.substr(begin, end - begin);
}

} // namespace tavlen
