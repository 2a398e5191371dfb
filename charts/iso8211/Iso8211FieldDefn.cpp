#include "charts/iso8211/Iso8211FieldDefn.h"

#include <charconv>
#include <cstring>

namespace tarnwick {
namespace {

constexpr char kUnitTerminator = 0x1F;
constexpr char kFieldTerminator = 0x1E;
constexpr int kMaxNesting = 8;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<uint32_t> ParseDigits(std::string_view s, size_t& pos) {
  uint64_t value = 0;
  const size_t start = pos;
  while (pos < s.size() && IsDigit(s[pos]) && pos - start < 9) value = value * 10 + (s[pos++] - '0');
  if (pos == start || (pos < s.size() && IsDigit(s[pos]))) return std::nullopt;
  return static_cast<uint32_t>(value);
}

bool ParseOne(std::string_view s, size_t& pos, Iso8211SubfieldDefn& f, std::string& error) {
  const char letter = s[pos++];
  auto width = [&]() -> std::optional<uint32_t> {  // "(n)" after the letter, or none
    if (pos >= s.size() || s[pos] != '(') return 0u;
    ++pos;
    const auto n = ParseDigits(s, pos);
    if (!n || pos >= s.size() || s[pos] != ')') return std::nullopt;
    ++pos;
    return n;
  };
  switch (letter) {
    case 'A':
    case 'C':
    case 'I':
    case 'R':
    case 'S': {
      f.format = letter == 'I'                   ? Iso8211Format::Integer
                 : (letter == 'R' || letter == 'S') ? Iso8211Format::Real
                                                    : Iso8211Format::Text;
      const auto w = width();
      if (!w) {
        error = std::string("bad width after format ") + letter;
        return false;
      }
      f.width = *w;
      return true;
    }
    case 'B': {
      const auto bits = width();
      if (!bits || *bits == 0 || *bits % 8 != 0) {
        error = "bad bit-field format B(n): n must be a positive multiple of 8";
        return false;
      }
      f.format = Iso8211Format::BitString;
      f.width = *bits / 8;
      return true;
    }
    case 'b': {
      if (pos + 2 > s.size() || !IsDigit(s[pos]) || !IsDigit(s[pos + 1])) {
        error = "bad binary format (b followed by type and width digits)";
        return false;
      }
      const char type = s[pos];
      const uint32_t w = static_cast<uint32_t>(s[pos + 1] - '0');
      pos += 2;
      if ((type == '1' || type == '2') && (w == 1 || w == 2 || w == 4 || w == 8)) {
        f.format = type == '1' ? Iso8211Format::UInt : Iso8211Format::SInt;
      } else if (type == '4' && (w == 4 || w == 8)) {
        f.format = Iso8211Format::Float;
      } else {
        error = std::string("unsupported binary format b") + type + static_cast<char>('0' + w);
        return false;
      }
      f.width = w;
      return true;
    }
    default:
      error = std::string("unknown format '") + letter + "'";
      return false;
  }
}

bool ParseList(std::string_view s, size_t& pos, std::vector<Iso8211SubfieldDefn>& out,
               std::string& error, size_t limit, int depth) {
  if (depth > kMaxNesting) {
    error = "format controls nest too deep";
    return false;
  }
  while (pos < s.size() && s[pos] != ')') {
    while (pos < s.size() && s[pos] == ' ') ++pos;
    uint32_t count = 1;
    if (pos < s.size() && IsDigit(s[pos])) {
      const auto n = ParseDigits(s, pos);
      if (!n || *n == 0) {
        error = "bad repeat count in format controls";
        return false;
      }
      count = *n;
    }
    if (pos >= s.size()) {
      error = "format controls end after a repeat count";
      return false;
    }
    std::vector<Iso8211SubfieldDefn> group;
    if (s[pos] == '(') {
      ++pos;
      if (!ParseList(s, pos, group, error, limit, depth + 1)) return false;
      if (pos >= s.size() || s[pos] != ')') {
        error = "unbalanced parentheses in format controls";
        return false;
      }
      ++pos;
    } else {
      group.emplace_back();
      if (!ParseOne(s, pos, group.back(), error)) return false;
    }
    if (out.size() + uint64_t{count} * group.size() > limit) {
      error = "format controls expand to too many subfields";
      return false;
    }
    for (uint32_t i = 0; i < count; ++i) out.insert(out.end(), group.begin(), group.end());
    while (pos < s.size() && s[pos] == ' ') ++pos;
    if (pos < s.size() && s[pos] == ',') {
      ++pos;
    } else if (pos < s.size() && s[pos] != ')') {
      error = std::string("unexpected '") + s[pos] + "' in format controls";
      return false;
    }
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

bool ParseIso8211Formats(std::string_view controls, std::vector<Iso8211SubfieldDefn>& out,
                         std::string& error, size_t limit) {
  out.clear();
  controls = Trim(controls);
  if (controls.empty()) return true;
  if (controls.front() != '(' || controls.back() != ')') {
    error = "format controls not in parentheses";
    return false;
  }
  const std::string_view inner = controls.substr(1, controls.size() - 2);
  size_t pos = 0;
  if (!ParseList(inner, pos, out, error, limit, 0)) return false;
  if (pos != inner.size()) {
    error = "unbalanced parentheses in format controls";
    return false;
  }
  return true;
}

std::unique_ptr<CIso8211FieldDefn> CIso8211FieldDefn::Parse(std::string_view tag,
                                                            std::string_view bytes,
                                                            size_t fieldControlLength,
                                                            std::string& error) {
  std::unique_ptr<CIso8211FieldDefn> defn(new CIso8211FieldDefn);
  defn->tag_ = tag;
  if (bytes.size() < fieldControlLength) {
    error = "field description of " + defn->tag_ + " shorter than its field controls";
    return nullptr;
  }
  const std::string_view controls = bytes.substr(0, fieldControlLength);
  if (!controls.empty()) defn->structureCode_ = controls[0];
  if (controls.size() > 1) defn->typeCode_ = controls[1];
  // Lexical level 2 (UCS-2 text) is announced by the escape sequence "%/@".
  if (controls.size() >= 9 && controls.substr(6, 3) == "%/@") defn->charWidth_ = 2;
  std::string_view rest = bytes.substr(fieldControlLength);
  if (!rest.empty() && rest.back() == kFieldTerminator) rest.remove_suffix(1);
  const size_t nameEnd = rest.find(kUnitTerminator);
  defn->name_ = rest.substr(0, nameEnd);
  std::string_view labels, formats;
  if (nameEnd != std::string_view::npos) {
    rest = rest.substr(nameEnd + 1);
    const size_t labelsEnd = rest.find(kUnitTerminator);
    labels = rest.substr(0, labelsEnd);
    if (labelsEnd != std::string_view::npos) formats = rest.substr(labelsEnd + 1);
  }
  if (!defn->Define(labels, formats, error)) {
    error = "field " + defn->tag_ + ": " + error;
    return nullptr;
  }
  return defn;
}

std::unique_ptr<CIso8211FieldDefn> CIso8211FieldDefn::Make(std::string_view tag,
                                                           std::string_view labels,
                                                           std::string_view formats,
                                                           std::string& error, char structureCode,
                                                           char typeCode) {
  std::unique_ptr<CIso8211FieldDefn> defn(new CIso8211FieldDefn);
  defn->tag_ = tag;
  defn->structureCode_ = structureCode;
  defn->typeCode_ = typeCode;
  if (!defn->Define(labels, formats, error)) return nullptr;
  return defn;
}

bool CIso8211FieldDefn::Define(std::string_view labels, std::string_view formats,
                               std::string& error) {
  descriptor_ = labels;
  formatControls_ = formats;
  if (!labels.empty() && labels.front() == '*') {
    repeating_ = true;
    labels.remove_prefix(1);
  }
  std::vector<std::string> names;
  for (size_t at = 0; !labels.empty() && at <= labels.size();) {
    const size_t bang = std::min(labels.find('!', at), labels.size());
    names.emplace_back(labels.substr(at, bang - at));
    if (names.back().empty() || names.back().find('*') != std::string::npos) {
      error = "bad subfield labels \"" + descriptor_ + "\"";
      return false;
    }
    at = bang + 1;
  }
  std::vector<Iso8211SubfieldDefn> parsed;
  if (!ParseIso8211Formats(formats, parsed, error)) return false;
  if (names.empty()) {
    // An elementary field: one value without a label, text unless formatted.
    names.emplace_back();
    if (parsed.empty()) parsed.emplace_back();
  }
  if (parsed.size() < names.size()) {
    error = std::to_string(parsed.size()) + " formats for " + std::to_string(names.size()) +
            " subfields";
    return false;
  }
  subfields_.clear();
  fixedOffsets_.clear();
  fixedSize_ = 0;
  bool fixed = true;
  for (size_t i = 0; i < names.size(); ++i) {
    subfields_.push_back(parsed[i]);
    subfields_.back().label = names[i];
    fixedOffsets_.push_back(fixedSize_);
    fixedSize_ += parsed[i].width;
    fixed = fixed && parsed[i].width > 0;
  }
  if (!fixed) fixedSize_ = 0;
  return true;
}

int CIso8211FieldDefn::SubfieldIndex(std::string_view label) const {
  for (size_t i = 0; i < subfields_.size(); ++i)
    if (subfields_[i].label == label) return static_cast<int>(i);
  return -1;
}

std::optional<Iso8211Extent> Iso8211SubfieldExtent(const Iso8211SubfieldDefn& defn,
                                                   std::string_view bytes, unsigned charWidth) {
  if (defn.width > 0) {
    if (bytes.size() < defn.width) return std::nullopt;
    return Iso8211Extent{bytes.substr(0, defn.width), defn.width};
  }
  if (charWidth == 2 && defn.format == Iso8211Format::Text) {
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
      if ((bytes[i] == kUnitTerminator || bytes[i] == kFieldTerminator) && bytes[i + 1] == 0)
        return Iso8211Extent{bytes.substr(0, i), i + 2};
    }
    return Iso8211Extent{bytes, bytes.size()};
  }
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == kUnitTerminator || bytes[i] == kFieldTerminator)
      return Iso8211Extent{bytes.substr(0, i), i + 1};
  }
  return Iso8211Extent{bytes, bytes.size()};
}

std::optional<int64_t> Iso8211Int(const Iso8211SubfieldDefn& defn, std::string_view value) {
  switch (defn.format) {
    case Iso8211Format::UInt:
    case Iso8211Format::SInt: {
      const bool sign = defn.format == Iso8211Format::SInt;
      switch (value.size()) {  // the widths of the binary formats, least significant byte first
        case 1:
          return sign ? int64_t{static_cast<int8_t>(value[0])} : int64_t{static_cast<uint8_t>(value[0])};
        case 2: {
          uint16_t v;
          std::memcpy(&v, value.data(), 2);
          return sign ? int64_t{static_cast<int16_t>(v)} : int64_t{v};
        }
        case 4: {
          uint32_t v;
          std::memcpy(&v, value.data(), 4);
          return sign ? int64_t{static_cast<int32_t>(v)} : int64_t{v};
        }
        case 8: {
          int64_t v;
          std::memcpy(&v, value.data(), 8);
          return v;
        }
        default:
          return std::nullopt;
      }
    }
    case Iso8211Format::Float:
    case Iso8211Format::BitString:
      return std::nullopt;
    default: {
      value = Trim(value);
      if (!value.empty() && value.front() == '+') value.remove_prefix(1);
      int64_t v = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
      if (value.empty() || ec != std::errc() || end != value.data() + value.size())
        return std::nullopt;
      return v;
    }
  }
}

std::optional<double> Iso8211Real(const Iso8211SubfieldDefn& defn, std::string_view value) {
  switch (defn.format) {
    case Iso8211Format::UInt:
    case Iso8211Format::SInt: {
      const auto v = Iso8211Int(defn, value);
      if (!v) return std::nullopt;
      return defn.format == Iso8211Format::UInt ? static_cast<double>(static_cast<uint64_t>(*v))
                                                : static_cast<double>(*v);
    }
    case Iso8211Format::Float:
      if (value.size() == 4) {
        float f;
        std::memcpy(&f, value.data(), 4);
        return f;
      }
      if (value.size() == 8) {
        double d;
        std::memcpy(&d, value.data(), 8);
        return d;
      }
      return std::nullopt;
    case Iso8211Format::BitString:
      return std::nullopt;
    default: {
      value = Trim(value);
      if (!value.empty() && value.front() == '+') value.remove_prefix(1);
      double v = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
      if (value.empty() || ec != std::errc() || end != value.data() + value.size())
        return std::nullopt;
      return v;
    }
  }
}

}  // namespace tarnwick
