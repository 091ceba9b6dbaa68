#include "host/core/page/ViewerPage.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cctype>
#include <cstdlib>
#include <cstring>


namespace {

std::string lower(std::string s)
{
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string attribute(xmlNode* node, const char* name)
{
    // HTML attribute names are matched without regard to case.
    for (xmlAttr* a = node->properties; a; a = a->next) {
        if (!a->name || lower(reinterpret_cast<const char*>(a->name)) != name) continue;
        xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
        std::string text = value ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
        return text;
    }
    return {};
}

int dimension(const std::string& text)
{
    // "320", "320px"; a percentage or nothing gives 0 (the control's own size).
    const long v = std::strtol(text.c_str(), nullptr, 10);
    return text.find('%') == std::string::npos && v > 0 && v < 100000 ? static_cast<int>(v) : 0;
}

void collectParams(xmlNode* node, EmbeddedObject& object)
{
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        const std::string name = lower(reinterpret_cast<const char*>(child->name));
        if (name == "param") {
            const std::string paramName = attribute(child, "name");
            if (!paramName.empty()) object.params.emplace_back(paramName, attribute(child, "value"));
        } else if (name != "object") {
            collectParams(child, object); // PARAMs the parser moved into a wrapper
        }
    }
}

void walk(xmlNode* node, std::vector<EmbeddedObject>& out)
{
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && lower(reinterpret_cast<const char*>(node->name)) == "object") {
            EmbeddedObject object;
            std::string classId = attribute(node, "classid");
            if (lower(classId.substr(0, 6)) == "clsid:") classId = classId.substr(6);
            object.classId = classId;
            object.width = dimension(attribute(node, "width"));
            object.height = dimension(attribute(node, "height"));
            collectParams(node, object);
            out.push_back(std::move(object));
        }
        walk(node->children, out);
    }
}

} // namespace

std::vector<EmbeddedObject> ParseViewerPage(const std::string& html)
{
    std::vector<EmbeddedObject> objects;
    if (html.empty()) return objects;
    htmlDocPtr doc = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, nullptr,
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (!doc) return objects;
    walk(xmlDocGetRootElement(doc), objects);
    xmlFreeDoc(doc);
    return objects;
}

namespace {

xmlNode* findElement(xmlNode* node, const char* name)
{
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && lower(reinterpret_cast<const char*>(node->name)) == name) return node;
        if (xmlNode* inside = findElement(node->children, name)) return inside;
    }
    return nullptr;
}

} // namespace

std::string PageTitle(const std::string& html)
{
    if (html.empty()) return {};
    htmlDocPtr doc = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, nullptr,
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (!doc) return {};
    std::string title;
    if (xmlNode* node = findElement(xmlDocGetRootElement(doc), "title")) {
        xmlChar* text = xmlNodeGetContent(node);
        title = PageText(text ? reinterpret_cast<const char*>(text) : "");
        xmlFree(text);
    }
    xmlFreeDoc(doc);
    // A caption is one short line.
    if (title.size() > 80) {
        std::size_t end = 80;
        while (end > 0 && (static_cast<unsigned char>(title[end]) & 0xC0) == 0x80) --end; // not inside a character
        title.resize(end);
    }
    return title;
}

const char* const kImageControlClass = "{4D8D78A3-35E9-499D-8771-4ADA8876B786}";

std::string NormalisedClassId(const std::string& classText)
{
    std::string text = classText;
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) return {};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return {};
        text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    }
    return text;
}

EmbeddedObject ImageControlWithParams(const std::vector<std::pair<std::string, std::string>>& params)
{
    EmbeddedObject object;
    object.classId = kImageControlClass;
    object.params = params;
    return object;
}

std::string LimitControls(std::vector<EmbeddedObject>& objects)
{
    if (objects.size() <= kMostControlsPerPage) return {};
    const std::size_t leftOut = objects.size() - kMostControlsPerPage;
    objects.resize(kMostControlsPerPage);
    return "the page embeds " + std::to_string(kMostControlsPerPage + leftOut) + " objects; the first " +
           std::to_string(kMostControlsPerPage) + " are shown, " + std::to_string(leftOut) + " left out";
}

std::string UrlAuthority(const std::string& url)
{
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) return {};
    std::string authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    const auto at = authority.rfind('@');
    return at == std::string::npos ? authority : authority.substr(at + 1);
}

std::string PageText(const std::string& html)
{
    std::string out;
    bool inTag = false;
    bool blank = false;
    for (char c : html) {
        if (c == '<') inTag = true;
        else if (c == '>') inTag = false, blank = true;
        else if (!inTag) {
            if (std::isspace(static_cast<unsigned char>(c))) blank = true;
            else {
                if (blank && !out.empty()) out += ' ';
                blank = false;
                out += c;
            }
        }
    }
    return out;
}
