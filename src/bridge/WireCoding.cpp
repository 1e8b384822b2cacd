#include "WireCoding.h"

#include "Utf8.h"

namespace tavlen::wire {

void failMember(const char* key, const char* expected)
{
    throw WireDecodingError(std::string("\"") + key + "\" must be " + expected + ".");
}

void failNotObject(const char* what)
{
    throw WireDecodingError(std::string(what) + " must be a JSON object.");
}

std::optional<std::int64_t> wholeInteger(double value)
{
    return json_fields::integerValue(nlohmann::json(value));
}

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
