#pragma once

#include <string>
#include <string_view>

namespace tavlen::PageEvidenceProjection {

// The role sets by which the projection decides what a node is. Each takes a role already lower-cased with
// lowercasedRole; a node without a role has the empty role.

// "generic", "none", "presentation", "paragraph", "group" and the empty role: wrappers.
bool isGenericRole(std::string_view role);
// "img", "image", "canvas", "svg", "video", "separator".
bool isGraphicRole(std::string_view role);
// Widgets the user operates, "link" included. Consulted before isStructuralRole, so the roles in both sets
// ("listbox", "tree", "treeitem", "grid", "treegrid") count as controls.
bool isControlRole(std::string_view role);
// Headings, tables and their parts, lists, landmarks, sections, forms and dialogs.
bool isStructuralRole(std::string_view role);
// "main", "rootwebarea", "webarea": the page itself, never a record.
bool isDocumentRole(std::string_view role);

// The role in lower case, by Unicode's full case mapping (ASCII roles, the usual kind, without ICU).
std::string lowercasedRole(std::string_view role);

} // namespace tavlen::PageEvidenceProjection
