#include "navobjects/model/Layer.h"

#include <algorithm>

namespace tarnwick {
namespace {

CSelectable* ViewOf(CSelectable& object) {
  return &static_cast<CLayer&>(object).viewSettings;
}

}  // namespace

const CClassDescriptor& CLayer::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "Layer", nullptr,
      {
          prop::Field<&CLayer::baseUrl>("BaseURL", T::Text),
          prop::Field<&CLayer::autoSave>("AutoSave", T::Text),
          prop::Field<&CLayer::name>("Name", T::Text),
          prop::Field<&CLayer::category>("Category", T::Text),
          prop::Field<&CLayer::readOnly>("ReadOnly", T::Boolean, 0),
          prop::Field<&CLayer::visible>("Visible", T::Boolean, 1),
          prop::Field<&CLayer::scaleMin>("ScaleMin", T::Integer, 250000),
          prop::Field<&CLayer::expires>("Expires", T::Number, 0),
          prop::SubObject("ViewSettings", &ViewOf),
      });
  return descriptor;
}

void CLayer::Add(std::shared_ptr<CNavObject> object) {
  objects_.push_back(std::move(object));
}

void CLayer::Insert(size_t index, std::shared_ptr<CNavObject> object) {
  index = std::min(index, objects_.size());
  objects_.insert(objects_.begin() + static_cast<std::ptrdiff_t>(index), std::move(object));
}

long CLayer::Remove(const CNavObject& object) {
  auto it = std::find_if(objects_.begin(), objects_.end(),
                         [&](const auto& o) { return o.get() == &object; });
  if (it == objects_.end()) return -1;
  const long index = it - objects_.begin();
  objects_.erase(it);
  return index;
}

std::shared_ptr<CNavObject> CLayer::Find(const std::string& id) const {
  for (const auto& object : objects_)
    if (object->Id() == id) return object;
  return nullptr;
}

}  // namespace tarnwick
