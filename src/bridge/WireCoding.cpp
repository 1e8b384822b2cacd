#include "WireCoding.h"

#include "Utf8.h"

namespace tavlen::wire {

bool sameText(const std::string& a, const std::string& b)
{
    return textEqual(a, b);
}

bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b)
{
    if (!a || !b) {
        return a.has_value() == b.has_value();
    }
    return textEqual(*a, *b);
}

bool sameTexts(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!textEqual(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace tavlen::wire
