// A multistatus answer (RFC 4918, RFC 6578) read with libxml2. Built into
// the module "velmora_dav". The answer is untrusted: a document type
// declaration (the way to entity expansion) is refused before parsing, the
// network is never asked for anything, and libxml2 keeps its own limits on
// depth and size.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "sync/dav_client.h"

namespace velmora::sync {

namespace {

struct FreeDocument {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

bool is(const xmlNode* node, const char* ns, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->ns && node->ns->href &&
           xmlStrEqual(node->ns->href, BAD_CAST ns) && xmlStrEqual(node->name, BAD_CAST name);
}

std::string text_of(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string name_of(const xmlNode* node) {
    std::string name =
        node->ns && node->ns->href ? reinterpret_cast<const char*>(node->ns->href) : "";
    return name + reinterpret_cast<const char*>(node->name);
}

// "HTTP/1.1 404 Not Found" → 404.
int status_code(const std::string& line) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos || space + 4 > line.size()) return 0;
    int code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

// An element's value: its <href>'s text, or its children's names, or its text.
std::string value_of(const xmlNode* property) {
    std::string children;
    for (const xmlNode* child = property->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (is(child, dav_ns, "href")) return trimmed(text_of(child));
        if (!children.empty()) children += ' ';
        children += name_of(child);
    }
    return children.empty() ? text_of(property) : children;
}

void read_propstat(const xmlNode* propstat, DavItem& item) {
    int status = 0;
    const xmlNode* properties = nullptr;
    for (const xmlNode* child = propstat->children; child; child = child->next) {
        if (is(child, dav_ns, "status")) status = status_code(trimmed(text_of(child)));
        if (is(child, dav_ns, "prop")) properties = child;
    }
    if (!properties) return;
    for (const xmlNode* property = properties->children; property; property = property->next) {
        if (property->type != XML_ELEMENT_NODE) continue;
        item.properties.push_back({name_of(property), value_of(property), status});
    }
}

DavItem read_response(const xmlNode* response) {
    DavItem item;
    for (const xmlNode* child = response->children; child; child = child->next) {
        if (is(child, dav_ns, "href") && item.href.empty()) item.href = trimmed(text_of(child));
        if (is(child, dav_ns, "status")) item.status = status_code(trimmed(text_of(child)));
        if (is(child, dav_ns, "propstat")) read_propstat(child, item);
    }
    return item;
}

bool declares_document_type(std::string_view xml) {
    std::string head(xml.substr(0, std::min<std::size_t>(xml.size(), 4096)));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return head.find("<!DOCTYPE") != std::string::npos ||
           xml.find("<!ENTITY") != std::string_view::npos;
}

}  // namespace

Multistatus read_multistatus(std::string_view xml) {
    Multistatus answer;
    if (declares_document_type(xml)) {
        answer.refused = "服务器的回答含有文档类型声明，没有读取";
        return answer;
    }
    const std::unique_ptr<xmlDoc, FreeDocument> document(xmlReadMemory(
        xml.data(), static_cast<int>(std::min<std::size_t>(xml.size(), 1u << 30)), "answer.xml",
        nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA));
    const xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (!root || !is(root, dav_ns, "multistatus")) {
        answer.refused = "服务器的回答不是 WebDAV 的 multistatus 文档";
        return answer;
    }
    for (const xmlNode* child = root->children; child; child = child->next) {
        if (is(child, dav_ns, "response")) answer.items.push_back(read_response(child));
        if (is(child, dav_ns, "sync-token")) answer.sync_token = trimmed(text_of(child));
    }
    return answer;
}

}  // namespace velmora::sync
