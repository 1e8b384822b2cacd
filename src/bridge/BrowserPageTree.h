#pragma once

#include "BrowserRect.h"
#include "WireElement.h"

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

    // The longest sorted encoding (sortedJSONLength) of a tree that passes the page-tree check.
    static constexpr std::size_t maximumEncodedBytes = 4'194'304;

    // A tree read from a received message, with the length of its sorted encoding, computed as the nodes were read.
    // Past maximumEncodedBytes the remaining nodes are still read, so every decoding failure is found, but no longer
    // kept: `tree` is then incomplete, and the page-tree check refuses it by its length.
    struct Received;

    // Loads a fresh wire validator (both resources are read again), checks the tree against the schema's
    // "pageTree" definition (BrowserWireValidator::checkPageTree) and then checkRules.
    // Throws BridgeFailure "Invalid or incompatible browser message.", the loader's failure, or what encoding the
    // tree would throw (std::invalid_argument for a number JSON cannot hold or text that is not UTF-8).
    void validate(std::string_view snapshotID) const;

    // The rules a schema cannot express: the snapshot id (canonically equivalent), time order, status and reasons,
    // unique ids, children listed once and only after their parent, header references, fragment ranges within the
    // text and not splitting a surrogate pair, at most 100,000 fragments. Throws BridgeFailure "Invalid or
    // incompatible browser message.".
    void checkRules(std::string_view snapshotID) const;

    // The byte length of the tree's sorted encoding (encode() written with sorted keys, slashes not escaped),
    // computed without producing it. Throws what writing it throws (std::invalid_argument).
    std::size_t sortedJSONLength() const;

    nlohmann::json encode() const;
    // Throws WireDecodingError.
    static Received decode(const simdjson::dom::element& value);

    friend bool operator==(const BrowserPageTree& a, const BrowserPageTree& b);
};

struct BrowserPageTree::Received
{
    BrowserPageTree tree;
    std::size_t sortedJSONLength = 0;
};

} // namespace tavlen
