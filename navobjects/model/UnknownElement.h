#pragma once
// An element of an object file that no class of this program knows (written
// by a newer version or another program). It is kept as the text it was read
// as, so that saving its layer again writes it back instead of losing it. It
// is neither drawn nor listed for editing.

#include <string>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

class CUnknownElement final : public CNavObject {
 public:
  CUnknownElement() : CNavObject(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  std::string elementName;
  std::string xml;  // the whole element, start tag to end tag, as read
};

}  // namespace tarnwick
