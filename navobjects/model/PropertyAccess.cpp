#include "navobjects/model/PropertyAccess.h"

#include "navobjects/model/PropertyText.h"

namespace tarnwick {

const PropertyDescriptor* FindProperty(const CSelectable& object, std::string_view name) {
  return object.Class().Find(name);
}

std::optional<PropertyValue> GetPropertyValue(const CSelectable& object, std::string_view name) {
  const PropertyDescriptor* row = FindProperty(object, name);
  if (row == nullptr || row->get == nullptr) return std::nullopt;
  return row->get(object);
}

std::optional<std::string> GetDisplayText(const CSelectable& object, std::string_view name) {
  const PropertyDescriptor* row = FindProperty(object, name);
  if (row == nullptr || row->get == nullptr) return std::nullopt;
  return DisplayText(*row, row->get(object));
}

std::optional<std::string> GetPersistentText(const CSelectable& object, std::string_view name) {
  const PropertyDescriptor* row = FindProperty(object, name);
  if (row == nullptr || row->get == nullptr) return std::nullopt;
  return PersistentText(*row, row->get(object));
}

SetResult SetRowValue(CSelectable& object, const PropertyDescriptor& row,
                      const PropertyValue& value) {
  if (!row.HasValue() || row.Type() == PropertyType::SubObject) return SetResult::UnknownProperty;
  if (row.IsComputed() || row.set == nullptr) return SetResult::ReadOnly;
  return row.set(object, value) ? SetResult::Changed : SetResult::BadValue;
}

SetResult SetRowFromText(CSelectable& object, const PropertyDescriptor& row,
                         std::string_view text) {
  if (!row.HasValue() || row.Type() == PropertyType::SubObject) return SetResult::UnknownProperty;
  if (row.IsComputed() || row.set == nullptr) return SetResult::ReadOnly;
  auto value = ParsePropertyText(row, text);
  if (!value) return SetResult::BadValue;
  return row.set(object, *value) ? SetResult::Changed : SetResult::BadValue;
}

SetResult SetPropertyValue(CSelectable& object, std::string_view name, const PropertyValue& value) {
  const PropertyDescriptor* row = FindProperty(object, name);
  return row == nullptr ? SetResult::UnknownProperty : SetRowValue(object, *row, value);
}

SetResult SetPropertyFromText(CSelectable& object, std::string_view name, std::string_view text) {
  const PropertyDescriptor* row = FindProperty(object, name);
  return row == nullptr ? SetResult::UnknownProperty : SetRowFromText(object, *row, text);
}

bool RunCommand(CSelectable& object, std::string_view name, INavCommandHost& host) {
  const PropertyDescriptor* row = FindProperty(object, name);
  if (row == nullptr || !row->IsCommand() || row->command == nullptr) return false;
  return row->command(object, host);
}

}  // namespace tarnwick
