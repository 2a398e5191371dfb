#pragma once
// Property access by name on any object: read as value, display text or
// persistent text; set from a value or a text; run a command.

#include <optional>
#include <string>
#include <string_view>

#include "navobjects/model/Selectable.h"

namespace tarnwick {

class INavCommandHost;

enum class SetResult {
  Changed,          // the value was set (it may equal the old one)
  UnknownProperty,  // no such property (or a command, or a parent link)
  ReadOnly,         // computed properties cannot be set
  BadValue,         // the text did not parse or the value has the wrong kind
};

// The visible row of that name, or nullptr.
const PropertyDescriptor* FindProperty(const CSelectable& object, std::string_view name);

std::optional<PropertyValue> GetPropertyValue(const CSelectable& object, std::string_view name);
std::optional<std::string> GetDisplayText(const CSelectable& object, std::string_view name);
std::optional<std::string> GetPersistentText(const CSelectable& object, std::string_view name);

// Sets the property; on any failure the value is unchanged.
SetResult SetPropertyValue(CSelectable& object, std::string_view name, const PropertyValue& value);
SetResult SetPropertyFromText(CSelectable& object, std::string_view name, std::string_view text);
// The same through a known row.
SetResult SetRowValue(CSelectable& object, const PropertyDescriptor& row,
                      const PropertyValue& value);
SetResult SetRowFromText(CSelectable& object, const PropertyDescriptor& row, std::string_view text);

// Runs the command of that name; false when there is none or it failed.
bool RunCommand(CSelectable& object, std::string_view name, INavCommandHost& host);

}  // namespace tarnwick
