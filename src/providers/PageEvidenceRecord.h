#pragma once

#include "BrowserPageTree.h"
#include "BrowserRect.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <vector>

namespace tavlen::PageEvidenceProjection {

// One visible text fragment of a node; boxes are in crop-image pixels.
struct Fragment
{
    BrowserRect bounds;
    std::optional<std::string> text; // whitespace collapsed; absent when not wholly readable
    bool partial = false;            // written only when true

    nlohmann::json toJson() const;
};

// One node of the page evidence. Absent members (and false flags) are left out of its JSON.
struct Record
{
    std::optional<std::string> id;     // only when another record refers to it
    std::optional<std::string> parent; // the nearest ancestor that is itself a record
    std::optional<std::string> role;
    std::optional<std::string> text;
    std::optional<BrowserRect> bounds;
    std::vector<Fragment> fragments; // two or more, instead of text, bounds and partial
    bool partial = false;
    bool contextOnly = false;
    std::optional<std::string> semanticName; // written as "semanticContext": {"name": …}
    std::optional<BrowserPageTree::States> states;
    std::optional<BrowserPageTree::Structure> structure;

    // Members sorted by key, boxes as {"height", "width", "x", "y"}. Throws std::invalid_argument only for what
    // JSON cannot hold (a box value that is not finite), which the projection never lets through.
    nlohmann::json toJson() const;
};

// A record during projection, with the page-tree id it came from and whether it carries evidence of its own.
struct Entry
{
    std::string sourceID;
    Record record;
    bool hasEvidence = false;
};

// rowSpan and columnSpan of 1 and an empty header list dropped; nothing when nothing is left.
std::optional<BrowserPageTree::Structure> normalizedStructure(std::optional<BrowserPageTree::Structure> structure);

// disabled, readonly and required kept only when true (the other four as received); nothing when nothing is left.
std::optional<BrowserPageTree::States> normalizedStates(const std::optional<BrowserPageTree::States>& value);

} // namespace tavlen::PageEvidenceProjection
