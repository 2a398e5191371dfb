#pragma once
// Descriptors of text settings that hold a value of one kind: a number (with
// an optional range), a duration ("5 min", "30 days") or a length ("0.25 nm").
// Each refuses malformed text with the reason, so that every way of changing a
// setting (the page, the CLI, Admin.ini, the values stored in storage.db)
// checks it the same way, in the registry.

#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/Setting.h"

namespace tarnwick {

enum class SettingValueKind {
  FreeText,  // any text
  Number,    // a decimal number ("3.0", "-2", "1e3")
  Integer,   // a whole decimal number ("8213")
  Duration,  // a number and a time unit (ParseDurationSeconds), or seconds
  Length,    // a number and a length unit (ParseLength), or "0"
};

class CValueDescriptor final : public CSettingDescriptor {
 public:
  // Numbers: the admissible range, inclusive; durations and lengths ignore it.
  explicit CValueDescriptor(SettingValueKind kind,
                            double minimum = -std::numeric_limits<double>::infinity(),
                            double maximum = std::numeric_limits<double>::infinity())
      : kind_(kind), minimum_(minimum), maximum_(maximum) {}
  SettingValueKind Kind() const { return kind_; }
  std::optional<std::string> Refusal(std::string_view text) const override;

 private:
  SettingValueKind kind_;
  double minimum_, maximum_;
};

// The shared descriptors of any number, any duration and any length.
const CValueDescriptor& NumberDescriptor();
const CValueDescriptor& DurationDescriptor();
const CValueDescriptor& LengthDescriptor();

// The descriptor a text setting declared without one gets from its default:
// a number, a duration with a unit, a length with a unit, else free text
// (TextDescriptor()). Safe during static initialisation.
const CSettingDescriptor& DescriptorForDefault(std::string_view defaultText);

// The kind of value a setting holds (FreeText for choices, booleans, colours...).
SettingValueKind ValueKindOf(const CSetting& setting);

// Booleans admit true, false, yes, no, on, off (any case) and integers.
std::optional<std::string> BooleanRefusal(std::string_view text);

}  // namespace tarnwick
