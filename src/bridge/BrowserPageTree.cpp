#include "BrowserPageTree.h"

#include "BridgeFailure.h"
#include "BrowserWireValidator.h"
#include "JsonWriter.h"
#include "Utf8.h"
#include "WireCoding.h"
#include "WireReading.h"

#include <unordered_map>
#include <unordered_set>

namespace tavlen {

namespace {

constexpr std::size_t maximumFragments = 100'000;

nlohmann::json encodeOptionalRect(const std::optional<BrowserRect>& rect)
{
    return rect ? rect->encode() : nlohmann::json(nullptr);
}

std::optional<BrowserRect> decodeOptionalRect(const wire::Members& object, const char* key)
{
    if (const auto rect = wire::optionalObject(object, key)) {
        return BrowserRect::decode(*rect);
    }
    return std::nullopt;
}

nlohmann::json encodeStates(const BrowserPageTree::States& states)
{
    nlohmann::json object = nlohmann::json::object();
    wire::putIfPresent(object, "checked", states.checked);
    wire::putIfPresent(object, "pressed", states.pressed);
    wire::putIfPresent(object, "selected", states.selected);
    wire::putIfPresent(object, "expanded", states.expanded);
    wire::putIfPresent(object, "disabled", states.disabled);
    wire::putIfPresent(object, "readonly", states.readonly);
    wire::putIfPresent(object, "required", states.required);
    return object;
}

BrowserPageTree::States decodeStates(wire::Element value)
{
    const wire::Members object(value);
    return {wire::optionalString(object, "checked"),
            wire::optionalString(object, "pressed"),
            wire::optionalBool(object, "selected"),
            wire::optionalBool(object, "expanded"),
            wire::optionalBool(object, "disabled"),
            wire::optionalBool(object, "readonly"),
            wire::optionalBool(object, "required")};
}

nlohmann::json encodeStructure(const BrowserPageTree::Structure& structure)
{
    nlohmann::json object = nlohmann::json::object();
    wire::putIfPresent(object, "level", structure.level);
    wire::putIfPresent(object, "row", structure.row);
    wire::putIfPresent(object, "column", structure.column);
    wire::putIfPresent(object, "rowSpan", structure.rowSpan);
    wire::putIfPresent(object, "columnSpan", structure.columnSpan);
    wire::putIfPresent(object, "headers", structure.headers);
    return object;
}

BrowserPageTree::Structure decodeStructure(wire::Element value)
{
    const wire::Members object(value);
    return {wire::optionalInteger(object, "level"),
            wire::optionalInteger(object, "row"),
            wire::optionalInteger(object, "column"),
            wire::optionalInteger(object, "rowSpan"),
            wire::optionalInteger(object, "columnSpan"),
            wire::optionalStrings(object, "headers")};
}

nlohmann::json encodeNode(const BrowserPageTree::Node& node)
{
    nlohmann::json fragments = nlohmann::json::array();
    for (const auto& fragment : node.fragments) {
        fragments.push_back(
            {{"start", fragment.start}, {"length", fragment.length}, {"bounds", fragment.bounds.encode()}});
    }
    const auto& visibility = node.visibility;
    nlohmann::json object = {{"id", node.id},
                             {"children", node.children},
                             {"kind", node.kind},
                             {"frameId", node.frameId},
                             {"bounds", encodeOptionalRect(node.bounds)},
                             {"fragments", std::move(fragments)},
                             {"visibility",
                              {{"rendered", visibility.rendered},
                               {"cssVisible", visibility.cssVisible},
                               {"clip", encodeOptionalRect(visibility.clip)},
                               {"clipping", visibility.clipping},
                               {"occlusion", visibility.occlusion}}},
                             {"source", node.source}};
    wire::putIfPresent(object, "role", node.role);
    wire::putIfPresent(object, "text", node.text);
    wire::putIfPresent(object, "name", node.name);
    wire::putIfPresent(object, "description", node.description);
    wire::putIfPresent(object, "nameSource", node.nameSource);
    wire::putIfPresent(object, "value", node.value);
    if (node.states) {
        object["states"] = encodeStates(*node.states);
    }
    if (node.structure) {
        object["structure"] = encodeStructure(*node.structure);
    }
    return object;
}

// Reads every member into `node`, overwriting what it held (a node may be decoded into again).
void decodeNode(wire::Element value, BrowserPageTree::Node& node)
{
    const wire::Members object(wire::requireObject(value, "A page-tree node"));
    node.id = wire::requiredText(object, "id");
    node.children = wire::requiredStrings(object, "children");
    node.kind = wire::requiredText(object, "kind");
    node.frameId = wire::requiredText(object, "frameId");
    node.bounds = decodeOptionalRect(object, "bounds");
    node.fragments.clear();
    for (const auto item : wire::elementsOf(wire::requiredArray(object, "fragments"))) {
        const wire::Members fragment(wire::requireObject(item, "A fragment"));
        node.fragments.push_back({wire::requiredInteger(fragment, "start"),
                                  wire::requiredInteger(fragment, "length"),
                                  BrowserRect::decode(wire::requiredObject(fragment, "bounds"))});
    }
    const wire::Members visibility(wire::requiredObject(object, "visibility"));
    node.visibility.rendered = wire::requiredBool(visibility, "rendered");
    node.visibility.cssVisible = wire::requiredBool(visibility, "cssVisible");
    node.visibility.clip = decodeOptionalRect(visibility, "clip");
    node.visibility.clipping = wire::requiredText(visibility, "clipping");
    node.visibility.occlusion = wire::requiredText(visibility, "occlusion");
    node.source = wire::requiredText(object, "source");
    node.role = wire::optionalString(object, "role");
    node.text = wire::optionalString(object, "text");
    node.name = wire::optionalString(object, "name");
    node.description = wire::optionalString(object, "description");
    node.nameSource = wire::optionalString(object, "nameSource");
    node.value = wire::optionalString(object, "value");
    node.states.reset();
    if (const auto states = wire::optionalObject(object, "states")) {
        node.states = decodeStates(*states);
    }
    node.structure.reset();
    if (const auto structure = wire::optionalObject(object, "structure")) {
        node.structure = decodeStructure(*structure);
    }
}

// The length of one JSON object as the writer writes it: braces, members, commas. Keys are plain ASCII.
class ObjectLength
{
public:
    ObjectLength& member(std::string_view key, std::size_t valueLength)
    {
        m_members += key.size() + 3 + valueLength; // "key":value
        ++m_count;
        return *this;
    }

    template <class T> ObjectLength& optionalMember(std::string_view key, const std::optional<T>& value)
    {
        return value ? member(key, lengthOf(*value)) : *this;
    }

    std::size_t total() const { return 2 + m_members + (m_count > 0 ? m_count - 1 : 0); }

    static std::size_t lengthOf(const std::string& text) { return writtenJsonLength(text, {.escapeSlashes = false}); }

    static std::size_t lengthOf(std::int64_t number) { return writtenJsonLength(number); }

    static std::size_t lengthOf(bool value) { return value ? 4 : 5; }

    static std::size_t lengthOf(const std::vector<std::string>& texts)
    {
        std::size_t length = 2 + (texts.empty() ? 0 : texts.size() - 1);
        for (const auto& text : texts) {
            length += lengthOf(text);
        }
        return length;
    }

private:
    std::size_t m_members = 0;
    std::size_t m_count = 0;
};

std::size_t rectLength(const BrowserRect& rect)
{
    return ObjectLength()
        .member("x", writtenJsonLength(rect.x))
        .member("y", writtenJsonLength(rect.y))
        .member("width", writtenJsonLength(rect.width))
        .member("height", writtenJsonLength(rect.height))
        .total();
}

std::size_t rectOrNullLength(const std::optional<BrowserRect>& rect)
{
    return rect ? rectLength(*rect) : 4;
}

// The length of a node as encodeNode writes it; members that encodeNode leaves out count nothing.
std::size_t encodedLength(const BrowserPageTree::Node& node)
{
    std::size_t fragments = 2 + (node.fragments.empty() ? 0 : node.fragments.size() - 1);
    for (const auto& fragment : node.fragments) {
        fragments += ObjectLength()
                         .member("start", writtenJsonLength(fragment.start))
                         .member("length", writtenJsonLength(fragment.length))
                         .member("bounds", rectLength(fragment.bounds))
                         .total();
    }
    const auto& visibility = node.visibility;
    ObjectLength length;
    length.member("id", ObjectLength::lengthOf(node.id))
        .member("children", ObjectLength::lengthOf(node.children))
        .member("kind", ObjectLength::lengthOf(node.kind))
        .member("frameId", ObjectLength::lengthOf(node.frameId))
        .member("bounds", rectOrNullLength(node.bounds))
        .member("fragments", fragments)
        .member("visibility",
                ObjectLength()
                    .member("rendered", ObjectLength::lengthOf(visibility.rendered))
                    .member("cssVisible", ObjectLength::lengthOf(visibility.cssVisible))
                    .member("clip", rectOrNullLength(visibility.clip))
                    .member("clipping", ObjectLength::lengthOf(visibility.clipping))
                    .member("occlusion", ObjectLength::lengthOf(visibility.occlusion))
                    .total())
        .member("source", ObjectLength::lengthOf(node.source))
        .optionalMember("role", node.role)
        .optionalMember("text", node.text)
        .optionalMember("name", node.name)
        .optionalMember("description", node.description)
        .optionalMember("nameSource", node.nameSource)
        .optionalMember("value", node.value);
    if (const auto& states = node.states) {
        length.member("states",
                      ObjectLength()
                          .optionalMember("checked", states->checked)
                          .optionalMember("pressed", states->pressed)
                          .optionalMember("selected", states->selected)
                          .optionalMember("expanded", states->expanded)
                          .optionalMember("disabled", states->disabled)
                          .optionalMember("readonly", states->readonly)
                          .optionalMember("required", states->required)
                          .total());
    }
    if (const auto& structure = node.structure) {
        length.member("structure",
                      ObjectLength()
                          .optionalMember("level", structure->level)
                          .optionalMember("row", structure->row)
                          .optionalMember("column", structure->column)
                          .optionalMember("rowSpan", structure->rowSpan)
                          .optionalMember("columnSpan", structure->columnSpan)
                          .optionalMember("headers", structure->headers)
                          .total());
    }
    return length.total();
}

// The length of the tree's own members and of an empty "nodes" array; each node adds its own length and a comma.
std::size_t encodedLengthWithoutNodes(const BrowserPageTree& tree)
{
    return ObjectLength()
        .member("snapshotId", ObjectLength::lengthOf(tree.snapshotId))
        .member("startedAt", ObjectLength::lengthOf(tree.startedAt))
        .member("finishedAt", ObjectLength::lengthOf(tree.finishedAt))
        .member("status", ObjectLength::lengthOf(tree.status))
        .member("reasons", ObjectLength::lengthOf(tree.reasons))
        .member("nodes", 2)
        .total();
}

// Node ids are texts, so ids that are canonically equivalent name the same node: they are matched by their NFC
// form. ASCII ids, the usual kind, are already in it.
std::string idKey(const std::string& id)
{
    for (const char c : id) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return normalizedNFC(id);
        }
    }
    return id;
}

// The UTF-16 form of valid UTF-8 text: its length, and which units are low surrogates.
std::vector<bool> lowSurrogateUnits(std::string_view text)
{
    std::vector<bool> units;
    units.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t width = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units.push_back(false);
        if (width == 4) {
            units.push_back(true);
        }
        i += width;
    }
    return units;
}

bool fragmentsFit(const BrowserPageTree::Node& node)
{
    if (node.fragments.empty()) {
        return true;
    }
    const std::vector<bool> units = lowSurrogateUnits(node.text.value_or(std::string()));
    const auto n = static_cast<std::int64_t>(units.size());
    const auto splitsPair = [&](std::int64_t boundary) {
        return boundary > 0 && boundary < n && units[static_cast<std::size_t>(boundary)];
    };
    for (const auto& fragment : node.fragments) {
        // Negative ranges never come past the schema; refusing them here keeps the rule whole on its own.
        if (fragment.start < 0 || fragment.length < 0 || fragment.start > n || fragment.length > n - fragment.start) {
            return false;
        }
        if (splitsPair(fragment.start) || splitsPair(fragment.start + fragment.length)) {
            return false;
        }
    }
    return true;
}

bool rulesHold(const BrowserPageTree& tree, std::string_view snapshotID)
{
    if (!wire::sameText(tree.snapshotId, std::string(snapshotID))) {
        return false;
    }
    if (tree.finishedAt < tree.startedAt) {
        return false;
    }
    if (tree.status == "unavailable" && !tree.nodes.empty()) {
        return false;
    }
    if ((tree.status == "complete") != tree.reasons.empty()) {
        return false;
    }
    std::unordered_map<std::string, std::size_t> positions;
    positions.reserve(tree.nodes.size());
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        if (!positions.emplace(idKey(tree.nodes[i].id), i).second) {
            return false;
        }
    }
    std::unordered_set<std::string> seenChildren;
    std::size_t fragmentCount = 0;
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        const auto& node = tree.nodes[i];
        for (const auto& child : node.children) {
            std::string key = idKey(child);
            const auto found = positions.find(key);
            if (found == positions.end() || found->second <= i || !seenChildren.insert(std::move(key)).second) {
                return false;
            }
        }
        if (node.structure && node.structure->headers) {
            for (const auto& header : *node.structure->headers) {
                if (!positions.contains(idKey(header))) {
                    return false;
                }
            }
        }
        if (!fragmentsFit(node)) {
            return false;
        }
        fragmentCount += node.fragments.size();
    }
    return fragmentCount <= maximumFragments;
}

} // namespace

bool operator==(const BrowserPageTree::Visibility& a, const BrowserPageTree::Visibility& b)
{
    return a.rendered == b.rendered && a.cssVisible == b.cssVisible && a.clip == b.clip &&
           wire::sameText(a.clipping, b.clipping) && wire::sameText(a.occlusion, b.occlusion);
}

bool operator==(const BrowserPageTree::States& a, const BrowserPageTree::States& b)
{
    return wire::sameText(a.checked, b.checked) && wire::sameText(a.pressed, b.pressed) && a.selected == b.selected &&
           a.expanded == b.expanded && a.disabled == b.disabled && a.readonly == b.readonly && a.required == b.required;
}

bool operator==(const BrowserPageTree::Structure& a, const BrowserPageTree::Structure& b)
{
    if (a.headers.has_value() != b.headers.has_value() || (a.headers && !wire::sameTexts(*a.headers, *b.headers))) {
        return false;
    }
    return a.level == b.level && a.row == b.row && a.column == b.column && a.rowSpan == b.rowSpan &&
           a.columnSpan == b.columnSpan;
}

bool operator==(const BrowserPageTree::Node& a, const BrowserPageTree::Node& b)
{
    return wire::sameText(a.id, b.id) && wire::sameTexts(a.children, b.children) && wire::sameText(a.kind, b.kind) &&
           wire::sameText(a.frameId, b.frameId) && a.bounds == b.bounds && a.fragments == b.fragments &&
           a.visibility == b.visibility && wire::sameText(a.source, b.source) && wire::sameText(a.role, b.role) &&
           wire::sameText(a.text, b.text) && wire::sameText(a.name, b.name) &&
           wire::sameText(a.description, b.description) && wire::sameText(a.nameSource, b.nameSource) &&
           wire::sameText(a.value, b.value) && a.states == b.states && a.structure == b.structure;
}

bool operator==(const BrowserPageTree& a, const BrowserPageTree& b)
{
    return wire::sameText(a.snapshotId, b.snapshotId) && wire::sameText(a.startedAt, b.startedAt) &&
           wire::sameText(a.finishedAt, b.finishedAt) && wire::sameText(a.status, b.status) &&
           wire::sameTexts(a.reasons, b.reasons) && a.nodes == b.nodes;
}

void BrowserPageTree::validate(std::string_view snapshotID) const
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    validator.checkPageTree(*this);
    checkRules(snapshotID);
}

void BrowserPageTree::checkRules(std::string_view snapshotID) const
{
    if (!rulesHold(*this, snapshotID)) {
        throw BridgeFailure::invalidMessage();
    }
}

std::size_t BrowserPageTree::sortedJSONLength() const
{
    std::size_t length = encodedLengthWithoutNodes(*this);
    for (const auto& node : nodes) {
        length += encodedLength(node);
    }
    return length + (nodes.empty() ? 0 : nodes.size() - 1);
}

nlohmann::json BrowserPageTree::encode() const
{
    nlohmann::json encodedNodes = nlohmann::json::array();
    for (const auto& node : nodes) {
        encodedNodes.push_back(encodeNode(node));
    }
    return {{"snapshotId", snapshotId},
            {"startedAt", startedAt},
            {"finishedAt", finishedAt},
            {"status", status},
            {"reasons", reasons},
            {"nodes", std::move(encodedNodes)}};
}

BrowserPageTree::Received BrowserPageTree::decode(const simdjson::dom::element& value)
{
    const wire::Members object(wire::requireObject(value, "A page tree"));
    Received received;
    BrowserPageTree& tree = received.tree;
    tree.snapshotId = wire::requiredText(object, "snapshotId");
    tree.startedAt = wire::requiredText(object, "startedAt");
    tree.finishedAt = wire::requiredText(object, "finishedAt");
    tree.status = wire::requiredText(object, "status");
    tree.reasons = wire::requiredStrings(object, "reasons");
    const auto nodes = wire::requiredArray(object, "nodes");
    std::size_t length = encodedLengthWithoutNodes(tree);
    // Past the cap the tree will be refused; its nodes are still decoded, one at a time into the same node, so that
    // a hostile tree costs no more memory than an acceptable one.
    Node spare;
    std::size_t count = 0;
    for (const auto item : wire::elementsOf(nodes)) {
        Node& node = length <= maximumEncodedBytes ? tree.nodes.emplace_back() : spare;
        decodeNode(item, node);
        length += encodedLength(node) + (count++ > 0 ? 1 : 0); // with the comma before every node but the first
    }
    received.sortedJSONLength = length;
    return received;
}

} // namespace tavlen
