#pragma once
// A parsed XML document (libxml2) for the object-file and GPX readers: no
// network access, no external entities, parse errors kept as text. Texts
// that are not valid UTF-8 are read again as Latin-1 (files from older
// programs carry 8-bit text without an encoding declaration).

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

class CXmlDocument {
 public:
  explicit CXmlDocument(std::string_view text);
  ~CXmlDocument();
  CXmlDocument(const CXmlDocument&) = delete;
  CXmlDocument& operator=(const CXmlDocument&) = delete;

  bool IsOpen() const { return doc_ != nullptr && Root() != nullptr; }
  // The first parse error ("line 3: ..."), when it did not open.
  const std::string& Error() const { return error_; }
  xmlNode* Root() const;

 private:
  xmlDoc* doc_ = nullptr;
  std::string error_;
};

// The element's local name ("" for nodes without one).
const char* XmlName(const xmlNode* node);
// The text content of a node and its descendants.
std::string XmlText(const xmlNode* node);
// The attribute's value, or none.
std::optional<std::string> XmlAttribute(const xmlNode* node, const char* name);

}  // namespace tarnwick
