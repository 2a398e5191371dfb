#include "recording/logbook/LogEntry.h"

#include <cstdio>

namespace tarnwick {
namespace {

struct EntryName {
  int category;
  int type;
  const char* name;
};

constexpr EntryName kEntryNames[] = {
    {1, 1, "Application Started"},
    {1, 2, "Application Exit"},
    {1, 3, "Application Crash"},
    {2, 1, "Chart Check"},
    {2, 2, "Chart Added"},
    {2, 3, "Chart Removed"},
    {2, 4, "Chart Updated"},
    {3, 2, "AIS Message"},
    {4, 1, "Sensor Alarm"},
    {4, 2, "Sensor Message"},
    {5, 1, "Track"},
};

constexpr size_t kInitialFields = 10;

// A minimal reader for one flat JSON object.
class CJsonObjectReader {
 public:
  explicit CJsonObjectReader(std::string_view text) : text_(text) {}

  bool Read(std::vector<LogField>& fields) {
    SkipSpace();
    if (!Take('{')) return false;
    SkipSpace();
    if (Take('}')) return AtEnd();
    for (;;) {
      LogField field;
      SkipSpace();
      if (!ReadString(field.key)) return false;
      SkipSpace();
      if (!Take(':')) return false;
      SkipSpace();
      if (!ReadValue(field.value)) return false;
      fields.push_back(std::move(field));
      SkipSpace();
      if (Take('}')) return AtEnd();
      if (!Take(',')) return false;
    }
  }

 private:
  bool AtEnd() {
    SkipSpace();
    return pos_ == text_.size();
  }
  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\n'))
      ++pos_;
  }
  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  static void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  bool ReadHex4(uint32_t& code) {
    if (pos_ + 4 > text_.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      code <<= 4;
      if (c >= '0' && c <= '9')
        code |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        code |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        code |= static_cast<uint32_t>(c - 'A' + 10);
      else
        return false;
    }
    return true;
  }
  bool ReadString(std::string& out) {
    if (!Take('"')) return false;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) return false;
      const char e = text_[pos_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          uint32_t code = 0;
          if (!ReadHex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00 && pos_ + 6 <= text_.size() && text_[pos_] == '\\' &&
              text_[pos_ + 1] == 'u') {
            pos_ += 2;
            uint32_t low = 0;
            if (!ReadHex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, code);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }
  bool ReadValue(std::string& out) {
    if (pos_ < text_.size() && text_[pos_] == '"') return ReadString(out);
    // Numbers, true, false, null: kept as their text.
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '}' && text_[pos_] != ' ' &&
           text_[pos_] != '\t' && text_[pos_] != '\r' && text_[pos_] != '\n') {
      const char c = text_[pos_];
      if (c == '{' || c == '[' || c == '"') return false;
      ++pos_;
    }
    if (pos_ == start) return false;
    out.assign(text_.substr(start, pos_ - start));
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

const char* LogEntryName(int category, int type) {
  for (const auto& entry : kEntryNames)
    if (entry.category == category && entry.type == type) return entry.name;
  return nullptr;
}

std::string FormatLogNumber(double value) {
  char text[400];
  snprintf(text, sizeof text, "%.8lf", value);
  std::string out(text);
  if (out.find('.') != std::string::npos) {
    while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
  }
  return out;
}

std::string BuildContentJson(const std::vector<LogField>& fields) {
  std::string json = "{";
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) json += ',';
    json += '"';
    json += fields[i].key;
    json += "\":\"";
    for (char c : fields[i].value) {
      if (c == '\\' || c == '"') json += '\\';
      json += c;
    }
    json += '"';
  }
  json += '}';
  return json;
}

std::vector<LogField> ParseContentJson(std::string_view json) {
  std::vector<LogField> fields;
  CJsonObjectReader reader(json);
  if (!reader.Read(fields)) fields.clear();
  return fields;
}

LogEntry::LogEntry(int code, int64_t parent) : code_(code), parent_(parent) {
  fields_.reserve(kInitialFields);
}

void LogEntry::AddText(std::string_view key, std::string_view value) {
  for (auto& field : fields_) {
    if (field.key == key) {
      field.value.assign(value);
      return;
    }
  }
  fields_.push_back(LogField{std::string(key), std::string(value)});
}

void LogEntry::AddNumber(std::string_view key, double value) {
  AddText(key, FormatLogNumber(value));
}

}  // namespace tarnwick
