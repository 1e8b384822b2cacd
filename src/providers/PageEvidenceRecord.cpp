#include "PageEvidenceRecord.h"

#include <nlohmann/json.hpp>

namespace tavlen::PageEvidenceProjection {
namespace {

nlohmann::json boxJson(const BrowserRect& box)
{
    return {{"x", box.x}, {"y", box.y}, {"width", box.width}, {"height", box.height}};
}

template <class T> void putIfPresent(nlohmann::json& object, const char* key, const std::optional<T>& value)
{
    if (value) {
        object[key] = *value;
    }
}

nlohmann::json statesJson(const BrowserPageTree::States& states)
{
    nlohmann::json object = nlohmann::json::object();
    putIfPresent(object, "checked", states.checked);
    putIfPresent(object, "pressed", states.pressed);
    putIfPresent(object, "selected", states.selected);
    putIfPresent(object, "expanded", states.expanded);
    putIfPresent(object, "disabled", states.disabled);
    putIfPresent(object, "readonly", states.readonly);
    putIfPresent(object, "required", states.required);
    return object;
}

nlohmann::json structureJson(const BrowserPageTree::Structure& structure)
{
    nlohmann::json object = nlohmann::json::object();
    putIfPresent(object, "level", structure.level);
    putIfPresent(object, "row", structure.row);
    putIfPresent(object, "column", structure.column);
    putIfPresent(object, "rowSpan", structure.rowSpan);
    putIfPresent(object, "columnSpan", structure.columnSpan);
    putIfPresent(object, "headers", structure.headers);
    return object;
}

} // namespace

nlohmann::json Fragment::toJson() const
{
    nlohmann::json object = {{"bounds", boxJson(bounds)}};
    putIfPresent(object, "text", text);
    if (partial) {
        object["partial"] = true;
    }
    return object;
}

nlohmann::json Record::toJson() const
{
    nlohmann::json object = nlohmann::json::object();
    putIfPresent(object, "id", id);
    putIfPresent(object, "parent", parent);
    putIfPresent(object, "role", role);
    putIfPresent(object, "text", text);
    if (bounds) {
        object["bounds"] = boxJson(*bounds);
    }
    if (!fragments.empty()) {
        nlohmann::json list = nlohmann::json::array();
        for (const Fragment& fragment : fragments) {
            list.push_back(fragment.toJson());
        }
        object["fragments"] = std::move(list);
    }
    if (partial) {
        object["partial"] = true;
    }
    if (contextOnly) {
        object["contextOnly"] = true;
    }
    if (semanticName) {
        object["semanticContext"] = {{"name", *semanticName}};
    }
    if (states) {
        object["states"] = statesJson(*states);
    }
    if (structure) {
        object["structure"] = structureJson(*structure);
    }
    return object;
}

std::optional<BrowserPageTree::Structure> normalizedStructure(std::optional<BrowserPageTree::Structure> structure)
{
    if (!structure) {
        return structure;
    }
    if (structure->rowSpan == 1) {
        structure->rowSpan.reset();
    }
    if (structure->columnSpan == 1) {
        structure->columnSpan.reset();
    }
    if (structure->headers && structure->headers->empty()) {
        structure->headers.reset();
    }
    if (!structure->level && !structure->row && !structure->column && !structure->rowSpan && !structure->columnSpan &&
        !structure->headers) {
        structure.reset();
    }
    return structure;
}

std::optional<BrowserPageTree::States> normalizedStates(const std::optional<BrowserPageTree::States>& value)
{
    if (!value) {
        return std::nullopt;
    }
    BrowserPageTree::States states = *value;
    for (std::optional<bool>* flag : {&states.disabled, &states.readonly, &states.required}) {
        if (*flag != true) {
            flag->reset();
        }
    }
    if (!states.checked && !states.pressed && !states.selected && !states.expanded && !states.disabled &&
        !states.readonly && !states.required) {
        return std::nullopt;
    }
    return states;
}

} // namespace tavlen::PageEvidenceProjection
