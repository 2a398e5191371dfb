#include "navobjects/files/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <climits>

namespace tarnwick {
namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

std::string DescribeLastError() {
  const xmlError* error = xmlGetLastError();
  if (error == nullptr || error->message == nullptr) return "not a well-formed XML document";
  std::string message = error->message;
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  return "line " + std::to_string(error->line) + ": " + message;
}

}  // namespace

CXmlDocument::CXmlDocument(std::string_view text) {
  if (text.size() > static_cast<size_t>(INT_MAX)) {
    error_ = "the document is too large";
    return;
  }
  const int size = static_cast<int>(text.size());
  xmlResetLastError();
  doc_ = xmlReadMemory(text.data(), size, nullptr, nullptr, kParseOptions);
  if (doc_ != nullptr) return;
  error_ = DescribeLastError();
  const xmlError* error = xmlGetLastError();
  const bool encodingProblem = error != nullptr && (error->code == XML_ERR_INVALID_CHAR ||
                                                    error->code == XML_ERR_INVALID_ENCODING);
  if (!encodingProblem) return;
  xmlResetLastError();
  doc_ = xmlReadMemory(text.data(), size, nullptr, "ISO-8859-1", kParseOptions);
  if (doc_ != nullptr) error_.clear();
}

CXmlDocument::~CXmlDocument() {
  if (doc_ != nullptr) xmlFreeDoc(doc_);
}

xmlNode* CXmlDocument::Root() const {
  return doc_ == nullptr ? nullptr : xmlDocGetRootElement(doc_);
}

const char* XmlName(const xmlNode* node) {
  return node != nullptr && node->name != nullptr ? reinterpret_cast<const char*>(node->name) : "";
}

std::string XmlText(const xmlNode* node) {
  xmlChar* content = xmlNodeGetContent(node);
  if (content == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(content));
  xmlFree(content);
  return text;
}

std::optional<std::string> XmlAttribute(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (value == nullptr) return std::nullopt;
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

}  // namespace tarnwick
