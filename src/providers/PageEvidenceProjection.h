#pragma once

#include "BrowserRect.h"
#include "PageEvidenceRecord.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

class StepsScreenshot;

// The page tree of a screenshot restricted to a crop: the nodes that show something inside it (text, fragments,
// states, accessible names, links and other named controls) with the ancestors that group them, in document
// order, every box in crop-image pixels.
namespace PageEvidenceProjection {

// The most bytes the evidence may take; past it records are dropped from the end.
inline constexpr std::size_t maximumBytes = 65'536;
// The evidence with no records.
inline constexpr std::string_view emptyEnvelope = R"({"nodes":[]})";

// The evidence JSON ({"nodes": [records]}, keys sorted, slashes not escaped) of the screenshot's page tree
// for a crop in image pixels, at most maximumBytes long. Throws ReadingFailure::regionNotPrepared() when page
// coordinates cannot be placed on the crop (a content rectangle without a finite, positive size, or a box
// whose crop coordinates overflow). Any thread; reads the screenshot only.
std::string project(const StepsScreenshot& screenshot, const BrowserRect& crop);

// Keeps the entries with evidence and those another kept entry names as its parent (walking from the last),
// drops header ids of entries not kept, and gives an entry its id only when a parent or header names it.
std::vector<Entry> prune(std::vector<Entry> entries);

} // namespace PageEvidenceProjection
} // namespace tavlen
