#pragma once

#include "WireElement.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tavlen {

struct BrowserPageTree;

// The message schema ready to be interpreted: each node of the document read once into the keywords the
// interpreter knows, references resolved, so that checking a value touches no JSON of the schema.
//
// The interpreter knows a small subset of JSON Schema: "$ref" and "oneOf" decide alone (a reference skips eight
// characters, then names a member of "$defs"; "oneOf" wants exactly one alternative satisfied), "const" and "enum"
// can only refuse, "type" decides what is left, with its bounds: "minimum", "maximum" and "exclusiveMinimum";
// "minLength" and "maxLength" in Unicode scalars, "pattern" searched unanchored, "format" http-url, base64 or
// date-time; "items" and "maxItems"; "properties" and "required", undeclared members refusing an object. A keyword
// whose value has the wrong JSON type is ignored, except that an array node without object "items" and an object
// node without object "properties" refuse every value. Checking never throws: a value satisfies a node or not.
//
// Values are checked as simdjson elements (received frames) or, for a page tree held in memory (a screenshot's),
// as the typed tree itself, read as the JSON its encoder would write (PageTreeJson.h).
// Immutable once built: copies of a validator share one schema, and any number of threads may check at once.
class WireSchema
{
public:
    struct Node;

    // Reads the whole schema document. Its "$defs" serve references only when it is an object whose members are
    // all objects; otherwise every reference refuses.
    explicit WireSchema(nlohmann::json document);
    ~WireSchema();
    WireSchema(const WireSchema&) = delete;
    WireSchema& operator=(const WireSchema&) = delete;

    const nlohmann::json& document() const { return m_document; }

    // The node of the whole document: what every message must satisfy.
    const Node& root() const { return *m_root; }

    // The "pageTree" definition, when "$defs" is an object and "pageTree" one of its members is an object; the
    // other definitions need not be objects for it to be found (its own references then refuse).
    const Node* pageTree() const { return m_pageTree; }

    // What checking a received frame learnt of the page trees in it: whether each value that was held against the
    // "pageTree" definition satisfied it. A frame's whole check walks its snapshot's tree that way, so the tree's
    // own check needs no second walk.
    class PageTreeVerdicts;

    // A value of a received frame, or a page tree held in memory, seen as the JSON its encoder would write.
    bool accepts(const simdjson::dom::element& value, const Node& node, PageTreeVerdicts* verdicts = nullptr) const;
    bool accepts(const BrowserPageTree& tree, const Node& node) const;

    // A node that is not part of the document (a caller's ad-hoc node), read with this schema's definitions for
    // its references. It must not outlive the schema.
    class Detached;
    std::unique_ptr<Detached> detach(const nlohmann::json& node) const;

private:
    struct Nodes;
    class Compiler;

    nlohmann::json m_document;
    std::unique_ptr<Nodes> m_nodes;
    const Node* m_root = nullptr;
    const Node* m_pageTree = nullptr;
};

class WireSchema::PageTreeVerdicts
{
public:
    // The verdict on this value, when the check met it; nullopt otherwise.
    std::optional<bool> of(const simdjson::dom::element& value) const;

    void record(const simdjson::dom::element& value, bool accepted);

private:
    // A tree is known by where its first key lies in the parsed frame, which no other object shares; a tree without
    // members is not recorded (it is refused at once anyway).
    std::vector<std::pair<const char*, bool>> m_seen;
};

class WireSchema::Detached
{
public:
    ~Detached();

    const Node& node() const { return *m_node; }

private:
    friend class WireSchema;
    Detached();

    nlohmann::json m_source;
    std::unique_ptr<Nodes> m_nodes;
    const Node* m_node = nullptr;
};

} // namespace tavlen
