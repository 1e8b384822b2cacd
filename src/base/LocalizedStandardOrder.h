#pragma once

#include <unicode/uversion.h>

#include <memory>
#include <string_view>

U_NAMESPACE_BEGIN
class Collator;
U_NAMESPACE_END

namespace tavlen {

// The order in which a file browser lists names, in the user's locale: letter case and accents count only to
// break ties, and runs of digits compare by their value, so "model-9" comes before "model-10". Make one per
// sort and use it from one thread.
class LocalizedStandardOrder
{
public:
    LocalizedStandardOrder();
    ~LocalizedStandardOrder();
    LocalizedStandardOrder(const LocalizedStandardOrder&) = delete;
    LocalizedStandardOrder& operator=(const LocalizedStandardOrder&) = delete;

    // Negative, zero or positive. Byte order of the UTF-8 texts when the locale has no collation.
    int compare(std::string_view a, std::string_view b) const;

    bool operator()(std::string_view a, std::string_view b) const { return compare(a, b) < 0; }

private:
    std::unique_ptr<icu::Collator> m_collator;
};

} // namespace tavlen
