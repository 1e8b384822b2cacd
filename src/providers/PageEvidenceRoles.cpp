#include "PageEvidenceRoles.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>

namespace tavlen::PageEvidenceProjection {
namespace {

constexpr std::array<std::string_view, 6> genericRoles{"generic", "none", "presentation", "paragraph", "group", ""};
constexpr std::array<std::string_view, 6> graphicRoles{"img", "image", "canvas", "svg", "video", "separator"};
constexpr std::array<std::string_view, 24> controlRoles{
    "button", "checkbox",   "radio",     "switch",   "textbox",          "searchbox",     "combobox", "listbox",
    "option", "menu",       "menubar",   "menuitem", "menuitemcheckbox", "menuitemradio", "tab",      "tablist",
    "slider", "spinbutton", "scrollbar", "tree",     "treeitem",         "grid",          "treegrid", "link",
};
constexpr std::array<std::string_view, 33> structuralRoles{
    "heading",
    "table",
    "grid",
    "treegrid",
    "rowgroup",
    "row",
    "cell",
    "gridcell",
    "columnheader",
    "rowheader",
    "layouttable",
    "layouttablerow",
    "layouttablecell",
    "list",
    "listitem",
    "listbox",
    "tree",
    "treeitem",
    "descriptionlist",
    "descriptionlistterm",
    "descriptionlistdetail",
    "term",
    "definition",
    "article",
    "navigation",
    "complementary",
    "banner",
    "contentinfo",
    "region",
    "section",
    "form",
    "dialog",
    "alertdialog",
};
constexpr std::array<std::string_view, 3> documentRoles{"main", "rootwebarea", "webarea"};

template <std::size_t N> bool contains(const std::array<std::string_view, N>& set, std::string_view role)
{
    return std::find(set.begin(), set.end(), role) != set.end();
}

} // namespace

bool isGenericRole(std::string_view role)
{
    return contains(genericRoles, role);
}

bool isGraphicRole(std::string_view role)
{
    return contains(graphicRoles, role);
}

bool isControlRole(std::string_view role)
{
    return contains(controlRoles, role);
}

bool isStructuralRole(std::string_view role)
{
    return contains(structuralRoles, role);
}

bool isDocumentRole(std::string_view role)
{
    return contains(documentRoles, role);
}

std::string lowercasedRole(std::string_view role)
{
    std::string lowered(role);
    bool ascii = true;
    for (char& c : lowered) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    if (ascii) {
        return lowered;
    }
    // Some letters outside ASCII lower-case into it (the Kelvin sign into "k"), so a role spelled with them
    // still matches its set.
    lowered.clear();
    icu::UnicodeString::fromUTF8(icu::StringPiece(role.data(), static_cast<std::int32_t>(role.size())))
        .toLower(icu::Locale::getRoot())
        .toUTF8String(lowered);
    return lowered;
}

} // namespace tavlen::PageEvidenceProjection
