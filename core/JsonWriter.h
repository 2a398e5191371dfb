#pragma once
// A streaming JSON writer that appends compact text ({"a":1,"b":[true,null]})
// to a caller's string, with no document tree in between: for output paths
// that write many small objects (one line per decoded message). Strings are
// escaped; bytes that are not valid UTF-8 become U+FFFD so the output is
// always valid JSON. The caller is responsible for balancing Begin/End and for
// giving a key before every value inside an object.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

class CJsonWriter {
 public:
  explicit CJsonWriter(std::string& out) : out_(out) {}

  CJsonWriter& BeginObject();
  CJsonWriter& EndObject();
  CJsonWriter& BeginArray();
  CJsonWriter& EndArray();
  // The key of the next member of the current object.
  CJsonWriter& Key(std::string_view key);

  CJsonWriter& String(std::string_view text);
  CJsonWriter& Int(int64_t value);
  CJsonWriter& UInt(uint64_t value);
  // The shortest digits that read back as the same double: positional from
  // 1e-4 up to below 1e15 with ".0" on whole numbers (12.0, 100000.0), else
  // with an exponent (1e-05, 1e+15); NaN and infinities are written as null.
  CJsonWriter& Double(double value);
  CJsonWriter& Bool(bool value);
  CJsonWriter& Null();

  // Key(key) followed by the value; the optional forms write null when empty.
  CJsonWriter& Member(std::string_view key, std::string_view text) { return Key(key).String(text); }
  CJsonWriter& Member(std::string_view key, const char* text) { return Key(key).String(text); }
  CJsonWriter& Member(std::string_view key, int value) { return Key(key).Int(value); }
  CJsonWriter& Member(std::string_view key, int64_t value) { return Key(key).Int(value); }
  CJsonWriter& Member(std::string_view key, uint32_t value) { return Key(key).UInt(value); }
  CJsonWriter& Member(std::string_view key, uint64_t value) { return Key(key).UInt(value); }
  CJsonWriter& Member(std::string_view key, double value) { return Key(key).Double(value); }
  CJsonWriter& Member(std::string_view key, bool value) { return Key(key).Bool(value); }
  CJsonWriter& Member(std::string_view key, std::nullptr_t) { return Key(key).Null(); }
  template <typename T>
  CJsonWriter& Member(std::string_view key, const std::optional<T>& value) {
    Key(key);
    return value ? Value(*value) : Null();
  }

 private:
  CJsonWriter& Value(std::string_view text) { return String(text); }
  CJsonWriter& Value(const std::string& text) { return String(text); }
  CJsonWriter& Value(int value) { return Int(value); }
  CJsonWriter& Value(int64_t value) { return Int(value); }
  CJsonWriter& Value(uint32_t value) { return UInt(value); }
  CJsonWriter& Value(uint64_t value) { return UInt(value); }
  CJsonWriter& Value(double value) { return Double(value); }
  CJsonWriter& Value(bool value) { return Bool(value); }

  void Separate();

  std::string& out_;
  bool needComma_ = false;  // a value was written at this level since its opening bracket
};

// text as a quoted, escaped JSON string appended to out.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace tarnwick
