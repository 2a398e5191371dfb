#pragma once
// Creates navigation objects by class (element) name.

#include <memory>
#include <string_view>
#include <vector>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

// A new top-level object of that class (Mark, Route, Track, Boundary,
// Channel, RangeBearing, Annotation), or nullptr for any other name.
std::shared_ptr<CNavObject> CreateNavObject(std::string_view className);
// The descriptors of every top-level class, in the order above.
const std::vector<const CClassDescriptor*>& NavObjectClasses();

}  // namespace tarnwick
