#include "navobjects/model/ClassDescriptor.h"

namespace tarnwick {

CClassDescriptor::CClassDescriptor(const char* name, const CClassDescriptor* parent,
                                   std::vector<PropertyDescriptor> properties)
    : name_(name), parent_(parent), own_(std::move(properties)) {
  for (const PropertyDescriptor& row : own_) {
    if (byName_.emplace(row.name, &row).second) all_.push_back(&row);
  }
  if (parent_ == nullptr) return;
  for (const PropertyDescriptor* row : parent_->AllProperties()) {
    if (byName_.emplace(row->name, row).second) all_.push_back(row);
  }
}

const PropertyDescriptor* CClassDescriptor::Find(std::string_view name) const {
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

bool CClassDescriptor::IsA(const CClassDescriptor& other) const {
  for (const CClassDescriptor* c = this; c != nullptr; c = c->parent_)
    if (c == &other) return true;
  return false;
}

}  // namespace tarnwick
