#include "navobjects/model/ObjectFactory.h"

#include "navobjects/model/Route.h"
#include "navobjects/model/Shapes.h"
#include "navobjects/model/Track.h"

namespace tarnwick {

std::shared_ptr<CNavObject> CreateNavObject(std::string_view className) {
  if (className == "Mark") return std::make_shared<CMark>();
  if (className == "Route") return std::make_shared<CRoute>();
  if (className == "Track") return std::make_shared<CTrack>();
  if (className == "Boundary") return std::make_shared<CBoundary>();
  if (className == "Channel") return std::make_shared<CChannel>();
  if (className == "RangeBearing") return std::make_shared<CRangeBearing>();
  if (className == "Annotation") return std::make_shared<CAnnotation>();
  return nullptr;
}

const std::vector<const CClassDescriptor*>& NavObjectClasses() {
  static const std::vector<const CClassDescriptor*> classes = {
      &CMark::Descriptor(),       &CRoute::Descriptor(),   &CTrack::Descriptor(),
      &CBoundary::Descriptor(),   &CChannel::Descriptor(), &CRangeBearing::Descriptor(),
      &CAnnotation::Descriptor(),
  };
  return classes;
}

}  // namespace tarnwick
