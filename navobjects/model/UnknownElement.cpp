#include "navobjects/model/UnknownElement.h"

namespace tarnwick {

const CClassDescriptor& CUnknownElement::Descriptor() {
  static const CClassDescriptor descriptor("UnknownElement", &CNavObject::Descriptor(), {});
  return descriptor;
}

}  // namespace tarnwick
