#pragma once

#include "Utf8.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavlen {

// The one equality of ordered lists inside records: different lengths are unequal before any element is looked
// at; two empty lists, or the same list, are equal without a walk; otherwise elements are compared pairwise from
// the first and the first unequal pair ends the comparison. Order matters. Nothing is copied.
template <class T, class Eq> bool listsEqual(const std::vector<T>& a, const std::vector<T>& b, Eq elementsEqual)
{
    if (a.size() != b.size()) {
        return false;
    }
    if (a.empty() || a.data() == b.data()) {
        return true;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!elementsEqual(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

// Texts compared by canonical equivalence (textEqual).
inline bool stringArraysEqual(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    return listsEqual(a, b, [](const std::string& x, const std::string& y) { return textEqual(x, y); });
}

inline bool intArraysEqual(const std::vector<std::int64_t>& a, const std::vector<std::int64_t>& b)
{
    return listsEqual(a, b, [](std::int64_t x, std::int64_t y) { return x == y; });
}

inline bool byteArraysEqual(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    return listsEqual(a, b, [](std::uint8_t x, std::uint8_t y) { return x == y; });
}

} // namespace tavlen
