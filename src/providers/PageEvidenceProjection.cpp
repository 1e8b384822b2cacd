#include "PageEvidenceProjection.h"

#include "CropMapping.h"
#include "EvidenceText.h"
#include "JsonWriter.h"
#include "PageEvidenceRoles.h"
#include "ReadingFailure.h"
#include "StepsScreenshot.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <deque>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace tavlen::PageEvidenceProjection {
namespace {

using Node = BrowserPageTree::Node;

constexpr std::size_t noNode = std::numeric_limits<std::size_t>::max();
// A name longer than this is not offered as an accessible label.
constexpr std::size_t maximumNameBytes = 256;

// Who is whose child, by position: node i's children are childList[childStart[i]] up to childStart[i + 1]. A
// child id that names no node is skipped; a node listed by two parents belongs to the later one.
struct TreeIndex
{
    std::vector<std::size_t> childStart;
    std::vector<std::size_t> childList;
    std::vector<std::size_t> parent;
};

TreeIndex indexTree(const std::vector<Node>& nodes)
{
    // Ids are matched by canonical equivalence. ASCII ids, the usual kind, are their own keys; the normal forms
    // of the others are kept here for the map's views.
    std::deque<std::string> normalizedIDs;
    std::unordered_map<std::string_view, std::size_t> positions;
    positions.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::string& id = nodes[i].id;
        positions.emplace(isASCII(id) ? std::string_view(id) : normalizedIDs.emplace_back(normalizedNFC(id)), i);
    }
    TreeIndex index{{}, {}, std::vector<std::size_t>(nodes.size(), noNode)};
    index.childStart.reserve(nodes.size() + 1);
    index.childList.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        index.childStart.push_back(index.childList.size());
        for (const std::string& child : nodes[i].children) {
            const auto found = isASCII(child) ? positions.find(child) : positions.find(normalizedNFC(child));
            if (found != positions.end()) {
                index.childList.push_back(found->second);
                index.parent[found->second] = i;
            }
        }
    }
    index.childStart.push_back(index.childList.size());
    return index;
}

// What each node shows inside the crop by itself: its visible fragments, or the box of a text that cannot be
// read there.
struct DirectEvidence
{
    std::unordered_map<std::size_t, Record> records; // by position; only nodes that may become records
    std::vector<bool> isDirect;
    std::unordered_set<std::string> seenTexts; // identity keys of every readable fragment text
};

void addDirectEvidence(const Node& node, const CropMapping& mapping, DirectEvidence& evidence, std::size_t i)
{
    const BrowserPageTree::Visibility& visibility = node.visibility;
    if (!visibility.rendered || !visibility.cssVisible || !node.bounds) {
        return;
    }
    const std::optional<BrowserRect> visible =
        visibility.clip ? overlapOf(mapping.cropInPage(), *visibility.clip) : mapping.cropInPage();
    if (!visible || !overlapOf(*node.bounds, *visible)) {
        return;
    }
    evidence.isDirect[i] = true;
    const bool clippingKnown = visibility.clipping == "known";
    std::vector<Fragment> kept;
    for (const BrowserPageTree::Fragment& fragment : node.fragments) {
        if (!overlapOf(fragment.bounds, *visible)) {
            continue;
        }
        Fragment shown{mapping.cropBounds(fragment.bounds), std::nullopt, false};
        if (clippingKnown && containsRect(*visible, fragment.bounds)) {
            const std::string_view text = node.text ? std::string_view(*node.text) : std::string_view();
            shown.text = collapseWhitespace(utf16Substring(text, fragment.start, fragment.length));
            evidence.seenTexts.insert(normalizedNFC(*shown.text));
        } else {
            shown.partial = true;
        }
        kept.push_back(std::move(shown));
    }
    Record& record = evidence.records[i];
    if (kept.size() == 1) {
        record.text = std::move(kept.front().text);
        record.bounds = kept.front().bounds;
        record.partial = kept.front().partial;
    } else if (kept.size() > 1) {
        record.fragments = std::move(kept);
    } else if (node.text) {
        record.bounds = mapping.cropBounds(*node.bounds);
        record.partial = true;
    }
}

DirectEvidence findDirectEvidence(const std::vector<Node>& nodes, const CropMapping& mapping)
{
    DirectEvidence evidence{{}, std::vector<bool>(nodes.size(), false), {}};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        addDirectEvidence(nodes[i], mapping, evidence, i);
    }
    return evidence;
}

// An accessible name from an attribute or a related element that says something no visible text says.
std::optional<std::string> semanticName(const Node& node, const std::unordered_set<std::string>& seenTexts)
{
    if (node.text || !node.name || node.name->size() > maximumNameBytes ||
        (node.nameSource != "attribute" && node.nameSource != "related")) {
        return std::nullopt;
    }
    std::string collapsed = collapseWhitespace(*node.name);
    if (collapsed.empty() || seenTexts.contains(normalizedNFC(collapsed))) {
        return std::nullopt;
    }
    return collapsed;
}

struct Decisions
{
    std::vector<bool> isEntry;
    std::vector<bool> hasEvidence;
};

// Decides, from the last node to the first, which nodes become records: those with evidence, and those that
// group or give structure to records below them. A node's count says how many records it stands for to its
// parent: 0, 1 or "2 or more".
Decisions decideEntries(const std::vector<Node>& nodes,
                        const TreeIndex& index,
                        DirectEvidence& direct,
                        const CropMapping& mapping)
{
    const std::size_t n = nodes.size();
    Decisions decisions{std::vector<bool>(n, false), std::vector<bool>(n, false)};
    std::vector<int> counts(n, 0);
    for (std::size_t i = n; i-- > 0;) {
        const Node& node = nodes[i];
        int h = 0;
        for (std::size_t k = index.childStart[i]; k < index.childStart[i + 1]; ++k) {
            h = std::min(2, h + counts[index.childList[k]]);
        }
        const bool isDirect = direct.isDirect[i];
        if (!isDirect && h == 0) {
            continue; // shows nothing and stands for nothing: most nodes of a long page
        }
        const std::string role = lowercasedRole(node.role.value_or(std::string()));
        if (node.kind == "document" || isDocumentRole(role)) {
            counts[i] = h;
            continue;
        }
        const bool named = !isGenericRole(role) && !isGraphicRole(role);
        const bool container =
            !isControlRole(role) && (isStructuralRole(role) || node.structure.has_value() || isGenericRole(role));
        Record& record = direct.records[i];
        record.structure = normalizedStructure(node.structure);
        if (isDirect) {
            record.states = normalizedStates(node.states);
            record.semanticName = semanticName(node, direct.seenTexts);
        }
        bool evidence =
            record.text || !record.fragments.empty() || record.partial || record.states || record.semanticName;
        if (!evidence && isDirect) {
            evidence = named && !container;
        }
        const bool entry = evidence || (h > 0 && (named || record.structure || h == 2));
        counts[i] = entry ? 1 : h;
        if (!entry) {
            continue;
        }
        decisions.isEntry[i] = true;
        decisions.hasEvidence[i] = evidence;
        if (named || (evidence && isGraphicRole(role))) {
            record.role = node.role;
        } else if (h > 0 || record.semanticName) {
            record.role = "group";
        }
        if (!isDirect && (named || record.structure)) {
            record.contextOnly = true;
        }
        if (isDirect && !container && !record.bounds && record.fragments.empty() && node.bounds) {
            record.bounds = mapping.cropBounds(*node.bounds);
        }
    }
    return decisions;
}

// The entries in document order, each naming its nearest ancestor entry as parent.
std::vector<Entry> linkEntries(const std::vector<Node>& nodes,
                               const TreeIndex& index,
                               std::unordered_map<std::size_t, Record>& records,
                               const Decisions& decisions)
{
    std::vector<std::size_t> nearest(nodes.size(), noNode);
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::size_t parent = index.parent[i];
        // A parent listed after its child (never in a checked tree) has no nearest entry yet: treated as none.
        const std::size_t above = parent == noNode ? noNode : nearest[parent];
        nearest[i] = decisions.isEntry[i] ? i : above;
        if (!decisions.isEntry[i]) {
            continue;
        }
        Record record = std::move(records.at(i));
        if (above != noNode) {
            record.parent = nodes[above].id;
        }
        entries.push_back({nodes[i].id, std::move(record), decisions.hasEvidence[i]});
    }
    return entries;
}

std::string encodeRecord(const Record& record)
{
    try {
        return writeJson(record.toJson(), {.escapeSlashes = false});
    } catch (const std::invalid_argument&) {
        // Boxes are checked when they are made; this keeps any other value JSON cannot hold from reaching the
        // user as an encoder's message.
        throw ReadingFailure::regionNotPrepared();
    }
}

// The records that fit in maximumBytes, taken in order until the first that does not, pruned again so that
// ancestors and headers serving only dropped records go with them.
std::string encodeWithinBudget(const std::vector<Entry>& entries)
{
    std::size_t size = emptyEnvelope.size();
    std::vector<Entry> taken;
    for (const Entry& entry : entries) {
        const std::size_t added = encodeRecord(entry.record).size() + (taken.empty() ? 0 : 1);
        if (size + added > maximumBytes) {
            break;
        }
        size += added;
        taken.push_back(entry);
    }
    taken = prune(std::move(taken));
    std::string json = R"({"nodes":[)";
    for (std::size_t i = 0; i < taken.size(); ++i) {
        if (i > 0) {
            json += ',';
        }
        json += encodeRecord(taken[i].record);
    }
    json += "]}";
    return json.size() > maximumBytes ? std::string(emptyEnvelope) : json;
}

} // namespace

std::string project(const StepsScreenshot& screenshot, const BrowserRect& crop)
{
    const CropMapping mapping(screenshot.image().width, screenshot.image().height, screenshot.contentRect(), crop);
    const std::vector<Node>& nodes = screenshot.pageTree().nodes;
    const TreeIndex index = indexTree(nodes);
    DirectEvidence direct = findDirectEvidence(nodes, mapping);
    const Decisions decisions = decideEntries(nodes, index, direct, mapping);
    std::vector<Entry> entries = linkEntries(nodes, index, direct.records, decisions);
    return encodeWithinBudget(prune(std::move(entries)));
}

std::vector<Entry> prune(std::vector<Entry> entries)
{
    std::unordered_set<std::string> kept;
    std::unordered_set<std::string> referenced;
    std::vector<bool> stays(entries.size(), false);
    for (std::size_t i = entries.size(); i-- > 0;) {
        const Entry& entry = entries[i];
        std::string key = normalizedNFC(entry.sourceID);
        if (!entry.hasEvidence && !referenced.contains(key)) {
            continue;
        }
        stays[i] = true;
        kept.insert(std::move(key));
        if (entry.record.parent) {
            referenced.insert(normalizedNFC(*entry.record.parent));
        }
    }
    std::vector<Entry> staying;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (stays[i]) {
            staying.push_back(std::move(entries[i]));
        }
    }
    for (Entry& entry : staying) {
        std::optional<BrowserPageTree::Structure>& structure = entry.record.structure;
        if (!structure || !structure->headers) {
            continue;
        }
        std::vector<std::string> headers;
        for (std::string& header : *structure->headers) {
            std::string key = normalizedNFC(header);
            if (kept.contains(key)) {
                referenced.insert(std::move(key));
                headers.push_back(std::move(header));
            }
        }
        structure->headers = std::move(headers);
        structure = normalizedStructure(std::move(structure));
    }
    for (Entry& entry : staying) {
        if (referenced.contains(normalizedNFC(entry.sourceID))) {
            entry.record.id = entry.sourceID;
        } else {
            entry.record.id.reset();
        }
    }
    return staying;
}

} // namespace tavlen::PageEvidenceProjection
