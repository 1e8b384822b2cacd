#pragma once

#include "Utf8.h"

#include <string>
#include <utility>

namespace tavlen {

// The change rule of the step model's observed fields: the new value is always stored (so a text that differs
// only in its Unicode composition takes the newly typed bytes), and the result says whether observers must be
// told, that is whether the value differed by the field's own equality.
template <class T, class Eq> bool storeObserved(T& member, T value, Eq equal)
{
    bool changed = !equal(member, value);
    member = std::move(value);
    return changed;
}

template <class T> bool storeObserved(T& member, T value)
{
    return storeObserved(member, std::move(value), [](const T& a, const T& b) { return a == b; });
}

// Texts of the step model compare by canonical equivalence.
inline bool storeObservedText(std::string& member, std::string value)
{
    return storeObserved(
        member, std::move(value), [](const std::string& a, const std::string& b) { return textEqual(a, b); });
}

} // namespace tavlen
