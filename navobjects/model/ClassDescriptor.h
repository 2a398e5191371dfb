#pragma once
// Class descriptors: the static, per-class tables of named, typed properties
// that drive property pages, persistence, commands and undo. A class links to
// its parent class; lookup starts at the most derived class, so a name defined
// there hides the same name of a base class.

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "navobjects/model/PropertyTypes.h"

namespace tarnwick {

class CSelectable;
class CClassDescriptor;
class INavCommandHost;

using PropertyGetter = PropertyValue (*)(const CSelectable&);
using PropertySetter = bool (*)(CSelectable&, const PropertyValue&);
using CommandHandler = bool (*)(CSelectable&, INavCommandHost&);
using SubObjectAccessor = CSelectable* (*)(CSelectable&);

// One keyword of an integer property's value set, with the label shown for it.
struct ValueChoice {
  int32_t value;
  const char* label;
};

struct PropertyDescriptor {
  const char* name = "";
  int type = 0;               // a PropertyType code; 256 and above: a command
  unsigned flags = 0;         // kPropComputed
  double defaultValue = 0.0;  // booleans 0/1, colours as their RGB integer
  PropertyGetter get = nullptr;
  PropertySetter set = nullptr;                 // nullptr for computed properties
  CommandHandler command = nullptr;             // commands only
  SubObjectAccessor subObject = nullptr;        // sub-objects only
  const CClassDescriptor* (*link)() = nullptr;  // parent-link rows: the linked class
  // Parent-link rows of embedded children (a route's legs): the children to
  // write, and a new child appended while reading.
  std::vector<CSelectable*> (*children)(CSelectable&) = nullptr;
  CSelectable* (*appendChild)(CSelectable&) = nullptr;
  std::span<const ValueChoice> choices;  // integer value sets, may be empty

  PropertyType Type() const { return static_cast<PropertyType>(type); }
  bool IsCommand() const { return IsCommandType(type); }
  bool IsComputed() const { return (flags & kPropComputed) != 0; }
  // A row that holds a value (not a command, not a parent link).
  bool HasValue() const {
    return !IsCommand() && type != static_cast<int>(PropertyType::ParentLink);
  }
};

class CClassDescriptor {
 public:
  // name: the class (element) name; parent: nullptr for the root.
  CClassDescriptor(const char* name, const CClassDescriptor* parent,
                   std::vector<PropertyDescriptor> properties);
  CClassDescriptor(const CClassDescriptor&) = delete;
  CClassDescriptor& operator=(const CClassDescriptor&) = delete;

  const char* Name() const { return name_; }
  const CClassDescriptor* Parent() const { return parent_; }
  // This class's own rows, in table order.
  const std::vector<PropertyDescriptor>& OwnProperties() const { return own_; }
  // Every visible row, class by class from this one to the root, a name
  // already seen in a more derived class left out. This is the writing order.
  const std::vector<const PropertyDescriptor*>& AllProperties() const { return all_; }
  // The visible row of that name (exact case), or nullptr.
  const PropertyDescriptor* Find(std::string_view name) const;
  // True when this class is `other` or derives from it.
  bool IsA(const CClassDescriptor& other) const;

 private:
  const char* name_;
  const CClassDescriptor* parent_;
  std::vector<PropertyDescriptor> own_;
  std::vector<const PropertyDescriptor*> all_;
  std::unordered_map<std::string_view, const PropertyDescriptor*> byName_;
};

// Builders of table rows for data members. M is a pointer to a member of a
// class derived from CSelectable; its C++ type must be one alternative of
// PropertyValue that matches the type code.
namespace prop {

template <class>
struct MemberTraits;
template <class C, class T>
struct MemberTraits<T C::*> {
  using Class = C;
  using Type = T;
};

template <auto M>
PropertyValue ReadMember(const CSelectable& object) {
  using Traits = MemberTraits<decltype(M)>;
  return PropertyValue(static_cast<const typename Traits::Class&>(object).*M);
}

template <auto M>
bool WriteMember(CSelectable& object, const PropertyValue& value) {
  using Traits = MemberTraits<decltype(M)>;
  const auto* typed = std::get_if<typename Traits::Type>(&value);
  if (typed == nullptr) return false;
  static_cast<typename Traits::Class&>(object).*M = *typed;
  return true;
}

template <auto M>
PropertyDescriptor Field(const char* name, PropertyType type, double defaultValue = 0.0,
                         std::span<const ValueChoice> choices = {}) {
  PropertyDescriptor row;
  row.name = name;
  row.type = static_cast<int>(type);
  row.defaultValue = defaultValue;
  row.get = &ReadMember<M>;
  row.set = &WriteMember<M>;
  row.choices = choices;
  return row;
}

// A property computed from other values: readable, never set, still written.
inline PropertyDescriptor Computed(const char* name, PropertyType type, PropertyGetter get) {
  PropertyDescriptor row;
  row.name = name;
  row.type = static_cast<int>(type);
  row.flags = kPropComputed;
  row.get = get;
  return row;
}

// A property read and written through functions instead of a member.
inline PropertyDescriptor Accessor(const char* name, PropertyType type, PropertyGetter get,
                                   PropertySetter set, double defaultValue = 0.0) {
  PropertyDescriptor row;
  row.name = name;
  row.type = static_cast<int>(type);
  row.defaultValue = defaultValue;
  row.get = get;
  row.set = set;
  return row;
}

// A command row; code must be 256 or above.
inline PropertyDescriptor Command(const char* name, int code, CommandHandler handler) {
  PropertyDescriptor row;
  row.name = name;
  row.type = code;
  row.command = handler;
  return row;
}

inline PropertyDescriptor Link(const char* name, const CClassDescriptor* (*link)(),
                               std::vector<CSelectable*> (*children)(CSelectable&),
                               CSelectable* (*appendChild)(CSelectable&)) {
  PropertyDescriptor row;
  row.name = name;
  row.type = static_cast<int>(PropertyType::ParentLink);
  row.link = link;
  row.children = children;
  row.appendChild = appendChild;
  return row;
}

inline PropertyDescriptor SubObject(const char* name, SubObjectAccessor accessor) {
  PropertyDescriptor row;
  row.name = name;
  row.type = static_cast<int>(PropertyType::SubObject);
  row.subObject = accessor;
  return row;
}

}  // namespace prop

// Default-value helper for colour rows.
inline double ColourDefault(Rgb colour) {
  return static_cast<double>(colour.value);
}

}  // namespace tarnwick
