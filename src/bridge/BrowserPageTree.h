#pragma once

#include "BrowserRect.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// The structured description of a captured page: a flat list of nodes that refer to each other by id.
// Member names equal the JSON keys. Equality is member by member, texts by canonical equivalence.
struct BrowserPageTree
{
    // A piece of a node's text, in UTF-16 code units, with its own box.
    struct Fragment
    {
        std::int64_t start = 0;
        std::int64_t length = 0;
        BrowserRect bounds;

        bool operator==(const Fragment&) const = default;
    };

    struct Visibility
    {
        bool rendered = false;
        bool cssVisible = false;
        std::optional<BrowserRect> clip; // written as null when absent
        std::string clipping;
        std::string occlusion;

        friend bool operator==(const Visibility& a, const Visibility& b);
    };

    // Every member optional, left out when absent.
    struct States
    {
        std::optional<std::string> checked;
        std::optional<std::string> pressed;
        std::optional<bool> selected;
        std::optional<bool> expanded;
        std::optional<bool> disabled;
        std::optional<bool> readonly;
        std::optional<bool> required;

        friend bool operator==(const States& a, const States& b);
    };

    // Every member optional, left out when absent.
    struct Structure
    {
        std::optional<std::int64_t> level;
        std::optional<std::int64_t> row;
        std::optional<std::int64_t> column;
        std::optional<std::int64_t> rowSpan;
        std::optional<std::int64_t> columnSpan;
        std::optional<std::vector<std::string>> headers; // ids of the nodes heading this cell

        friend bool operator==(const Structure& a, const Structure& b);
    };

    struct Node
    {
        std::string id;
        std::vector<std::string> children;
        std::string kind;
        std::string frameId;
        std::optional<BrowserRect> bounds; // written as null when absent
        std::vector<Fragment> fragments;
        Visibility visibility;
        std::string source;
        // From here on, absent members are left out.
        std::optional<std::string> role;
        std::optional<std::string> text;
        std::optional<std::string> name;
        std::optional<std::string> description;
        std::optional<std::string> nameSource;
        std::optional<std::string> value;
        std::optional<States> states;
        std::optional<Structure> structure;

        friend bool operator==(const Node& a, const Node& b);
    };

    std::string snapshotId;
    std::string startedAt;
    std::string finishedAt;
    std::string status; // "complete", "unavailable" or another of the extension's
    std::vector<std::string> reasons;
    std::vector<Node> nodes;

    // Loads a fresh wire validator (both resources are read again), checks the tree against the schema's
    // "pageTree" definition and then its own rules: the snapshot id, time order, status and reasons,
    // unique ids, forward child references, header references, fragment ranges, at most 100,000 fragments.
    // Throws BridgeFailure "Invalid or incompatible browser message." or the loader's failure.
    void validate(std::string_view snapshotID) const;

    // The tree as JSON with sorted keys and slashes not escaped.
    std::string sortedJSON() const;

    nlohmann::json encode() const;
    static BrowserPageTree decode(const nlohmann::json& value); // throws WireDecodingError

    friend bool operator==(const BrowserPageTree& a, const BrowserPageTree& b);
};

} // namespace tavlen
