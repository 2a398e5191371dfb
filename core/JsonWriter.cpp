#include "core/JsonWriter.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tarnwick {
namespace {

// Length of the valid UTF-8 sequence at the start of text (1..4), or 0 when
// the bytes there are not one (overlong forms, surrogates and code points
// above U+10FFFF are invalid).
size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// The bytes that end a run of plain characters: controls, '"', '\\' and
// every byte of a multi-byte sequence (checked one sequence at a time).
constexpr std::array<bool, 256> kNotPlain = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = c < 0x20 || c >= 0x80 || c == '"' || c == '\\';
  return table;
}();

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  size_t i = 0;
  while (i < text.size()) {
    // Copy the run of characters that need no escaping in one go.
    size_t run = i;
    while (run < text.size() && !kNotPlain[static_cast<unsigned char>(text[run])]) ++run;
    out.append(text.data() + i, run - i);
    i = run;
    if (i == text.size()) break;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8SequenceLength(text.substr(i));
      if (length == 0) {
        out.append("\\ufffd");
        ++i;
      } else {
        out.append(text.data() + i, length);
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\b':
        out.append("\\b");
        break;
      case '\f':
        out.append("\\f");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\t':
        out.append("\\t");
        break;
      default: {
        const char escaped[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        out.append(escaped, sizeof escaped);
      }
    }
    ++i;
  }
  out.push_back('"');
}

void CJsonWriter::Separate() {
  if (needComma_) out_.push_back(',');
  needComma_ = true;
}

CJsonWriter& CJsonWriter::BeginObject() {
  Separate();
  out_.push_back('{');
  needComma_ = false;
  return *this;
}

CJsonWriter& CJsonWriter::EndObject() {
  out_.push_back('}');
  needComma_ = true;
  return *this;
}

CJsonWriter& CJsonWriter::BeginArray() {
  Separate();
  out_.push_back('[');
  needComma_ = false;
  return *this;
}

CJsonWriter& CJsonWriter::EndArray() {
  out_.push_back(']');
  needComma_ = true;
  return *this;
}

CJsonWriter& CJsonWriter::Key(std::string_view key) {
  Separate();
  AppendJsonString(out_, key);
  out_.push_back(':');
  needComma_ = false;  // the value follows the colon
  return *this;
}

CJsonWriter& CJsonWriter::String(std::string_view text) {
  Separate();
  AppendJsonString(out_, text);
  return *this;
}

CJsonWriter& CJsonWriter::Int(int64_t value) {
  Separate();
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out_.append(buffer, result.ptr);
  return *this;
}

CJsonWriter& CJsonWriter::UInt(uint64_t value) {
  Separate();
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out_.append(buffer, result.ptr);
  return *this;
}

CJsonWriter& CJsonWriter::Double(double value) {
  if (!std::isfinite(value)) return Null();
  Separate();
  char buffer[40];
  // The shortest digits, positional from 1e-4 up to below 1e15 (100000.0,
  // not 1e+05) and with an exponent outside that range.
  const double magnitude = std::fabs(value);
  if (magnitude != 0.0 && (magnitude < 1e-4 || magnitude >= 1e15)) {
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    out_.append(buffer, result.ptr);
    return *this;
  }
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  out_.append(text);
  // Keep whole numbers recognisable as reals, as readers that type by form expect.
  if (text.find('.') == std::string_view::npos) out_.append(".0");
  return *this;
}

CJsonWriter& CJsonWriter::Bool(bool value) {
  Separate();
  out_.append(value ? "true" : "false");
  return *this;
}

CJsonWriter& CJsonWriter::Null() {
  Separate();
  out_.append("null");
  return *this;
}

}  // namespace tarnwick
