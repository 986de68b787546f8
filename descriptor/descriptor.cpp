#include "descriptor/descriptor.h"

#include <tinyxml2.h>

#include <initializer_list>

namespace {

// The element at the end of a path of names, the first of each name at
// every step; null when the path breaks.
const tinyxml2::XMLElement* Follow(const tinyxml2::XMLDocument& document,
                                   std::initializer_list<const char*> path) {
    const tinyxml2::XMLNode* node = &document;
    for (const char* name : path) {
        node = node->FirstChildElement(name);
        if (!node)
            return nullptr;
    }
    return node->ToElement();
}

// An element's text: the value of its first child when that is text.
std::string TextOf(const tinyxml2::XMLElement* element) {
    if (!element || !element->FirstChild())
        return std::string();
    const tinyxml2::XMLText* text = element->FirstChild()->ToText();
    return text && text->Value() ? std::string(text->Value()) : std::string();
}

} // namespace

bool ParseDescriptor(const char* data, size_t length, UpdateDescriptor& out) {
    if (!data || length == 0)
        return false;
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (document.Parse(data, length) != tinyxml2::XML_SUCCESS)
        return false;
    out.latestVersion =
        TextOf(Follow(document, {"XML_DIZ_INFO", "Program_Info", "Program_Version"}));
    out.infoUrl = TextOf(
        Follow(document, {"XML_DIZ_INFO", "Web_Info", "Application_URLs", "Application_Info_URL"}));
    out.downloadUrl = TextOf(
        Follow(document, {"XML_DIZ_INFO", "Web_Info", "Download_URLs", "Primary_Download_URL"}));
    return true;
}

bool IsNewerVersion(std::string_view latest, std::string_view installed) {
    // std::string_view compares as unsigned characters (char_traits<char>).
    return latest.compare(installed) > 0;
}
