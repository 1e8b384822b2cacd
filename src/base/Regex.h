#pragma once

#include <unicode/uversion.h>

#include <memory>
#include <optional>
#include <string_view>

U_NAMESPACE_BEGIN
class RegexPattern;
U_NAMESPACE_END

namespace tavlen {

// A compiled ICU regular expression. The compiled pattern is immutable and shared by copies, and every search
// makes its own matcher, so one Regex may be searched from several threads at once.
class Regex
{
public:
    // Compiles the pattern with ICU's default flags. Nothing when the pattern is not valid UTF-8 or not a valid
    // ICU expression.
    static std::optional<Regex> compile(std::string_view pattern);

    // True when the expression matches somewhere in the text (no anchors are added). Text that is not valid UTF-8
    // is searched with U+FFFD in place of each ill-formed sequence. An ICU failure during the search (such as
    // its backtracking stack running out) gives false.
    bool search(std::string_view text) const;

private:
    explicit Regex(std::shared_ptr<const icu::RegexPattern> pattern);

    std::shared_ptr<const icu::RegexPattern> m_pattern;
};

} // namespace tavlen
