#pragma once
// A logbook entry being collected: its code, its parent and its content fields,
// and the flat JSON object of string values the content is stored as.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Entry codes: category * 1000 + type.
inline constexpr int kLogApplicationStarted = 1001;
inline constexpr int kLogApplicationExit = 1002;
inline constexpr int kLogApplicationCrash = 1003;
inline constexpr int kLogChartCheck = 2001;
inline constexpr int kLogChartAdded = 2002;
inline constexpr int kLogChartRemoved = 2003;
inline constexpr int kLogChartUpdated = 2004;
inline constexpr int kLogAisMessage = 3002;
inline constexpr int kLogSensorAlarm = 4001;
inline constexpr int kLogSensorMessage = 4002;
inline constexpr int kLogTrack = 5001;

// The display name of an entry code's category and type, or nullptr for none.
const char* LogEntryName(int category, int type);

struct LogField {
  std::string key;
  std::string value;
};

// "%.8lf" without trailing zeros or a trailing point: 12.5, 3, -0.25.
std::string FormatLogNumber(double value);
// {"key":"value",...} in field order; values escape backslash and double quote,
// keys go in unchanged.
std::string BuildContentJson(const std::vector<LogField>& fields);
// The fields of a flat JSON object (non-string values as their text); empty
// for anything that is not one.
std::vector<LogField> ParseContentJson(std::string_view json);

class LogEntry {
 public:
  // code: category * 1000 + type; parent: ROWID of the parent entry, 0 for none.
  explicit LogEntry(int code, int64_t parent = 0);

  // Sets a field (replacing one of the same key).
  void AddText(std::string_view key, std::string_view value);
  void AddNumber(std::string_view key, double value);

  int Code() const { return code_; }
  int Category() const { return code_ / 1000; }
  int Type() const { return code_ % 1000; }
  int64_t Parent() const { return parent_; }
  bool Empty() const { return fields_.empty(); }
  const std::vector<LogField>& Fields() const { return fields_; }
  std::string ContentJson() const { return BuildContentJson(fields_); }

 private:
  int code_;
  int64_t parent_;
  std::vector<LogField> fields_;
};

}  // namespace tarnwick
