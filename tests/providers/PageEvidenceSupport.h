#pragma once

#include "BrowserPageTree.h"
#include "BrowserRect.h"
#include "StepsScreenshot.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>

namespace tavlen::test {

// A page-tree node from the members that matter to a test; the others take their usual values: kind
// "element", frame "main", source "dom", no children, fragments or bounds, rendered and visible with clipping
// "known". A "visibility" object overrides only the members it names.
nlohmann::json pageNode(nlohmann::json members);

// A checked screenshot of an image of that size (each pixel's colour derived from its position, so crops can
// be told apart) with the content rectangle and these nodes (as pageNode gives them) as its page tree.
std::shared_ptr<const StepsScreenshot>
pageScreenshot(std::uint32_t width, std::uint32_t height, const BrowserRect& contentRect, const nlohmann::json& nodes);

BrowserRect rectFrom(const nlohmann::json& object);

} // namespace tavlen::test
