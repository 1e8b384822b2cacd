#include "ReadingPrompt.h"

namespace tavlen {

const std::string& readingSystemPrompt()
{
    static const std::string prompt = [] {
        std::string joined;
        joined.reserve(readingTaskText.size() + readingEvidenceRules.size() + readingToolRules.size());
        joined.append(readingTaskText).append(readingEvidenceRules).append(readingToolRules);
        return joined;
    }();
    return prompt;
}

} // namespace tavlen
