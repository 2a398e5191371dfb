#include "charts/s57/S57Catalogue.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

// Splits one CSV line into its fields; a field in double quotes may hold
// commas, and "" inside it is one quote.
std::vector<std::string> SplitCsv(std::string_view line) {
  std::vector<std::string> fields;
  size_t at = 0;
  while (true) {
    std::string field;
    if (at < line.size() && line[at] == '"') {
      for (++at; at < line.size(); ++at) {
        if (line[at] != '"') {
          field += line[at];
        } else if (at + 1 < line.size() && line[at + 1] == '"') {
          field += '"';
          ++at;
        } else {
          ++at;
          break;
        }
      }
    }
    const size_t comma = std::min(line.find(',', at), line.size());
    field.append(line.substr(at, comma - at));
    fields.push_back(std::move(field));
    if (comma == line.size()) return fields;
    at = comma + 1;
  }
}

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<uint16_t> ParseCode(std::string_view text) {
  const auto value = ParseInt(text);
  if (!value || *value < 0 || *value > 65535) return std::nullopt;
  return static_cast<uint16_t>(*value);
}

// The agency list escapes '&' as "&amp;".
std::string DecodeAmpersands(std::string text) {
  for (size_t at = text.find("&amp;"); at != std::string::npos; at = text.find("&amp;", at + 1))
    text.replace(at, 5, "&");
  return text;
}

// Calls row(line) for every line after the first (the column names); false
// when the file cannot be read or has no rows.
template <typename Fn>
bool ForEachRow(const std::filesystem::path& path, std::string& error, Fn&& row) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path.string();
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t rows = 0;
  size_t at = text.find('\n');
  while (at != std::string::npos && at + 1 < text.size()) {
    const size_t end = std::min(text.find('\n', at + 1), text.size());
    std::string_view line = std::string_view(text).substr(at + 1, end - at - 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) {
      row(line);
      ++rows;
    }
    at = end == text.size() ? std::string::npos : end;
  }
  if (rows == 0) {
    error = path.string() + " has no rows";
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<CS57Catalogue> CS57Catalogue::Load(const std::filesystem::path& folder,
                                                   std::string& error) {
  std::unique_ptr<CS57Catalogue> cat(new CS57Catalogue);
  const bool ok =
      ForEachRow(folder / "s57objectclasses.csv", error,
                 [&](std::string_view line) {
                   const auto f = SplitCsv(line);
                   const auto code = f.size() >= 8 ? ParseCode(f[0]) : std::nullopt;
                   if (!code || f[2].empty() || f[2] == "N/A") return;
                   S57ObjectClass oc{*code, f[2], f[1], f[6].empty() ? 'G' : f[6][0], f[7]};
                   cat->classByAcronym_.emplace(oc.acronym, *code);
                   cat->classes_.emplace(*code, std::move(oc));
                 }) &&
      ForEachRow(folder / "s57attributes.csv", error,
                 [&](std::string_view line) {
                   const auto f = SplitCsv(line);
                   const auto code = f.size() >= 4 ? ParseCode(f[0]) : std::nullopt;
                   if (!code || f[2].empty() || f[2] == "N/A" || f[3].size() != 1) return;
                   const char t = f[3][0];
                   if (std::string_view("ELFIAS").find(t) == std::string_view::npos) return;
                   S57Attribute at{*code, f[2], f[1], static_cast<S57AttributeType>(t)};
                   cat->attributeByAcronym_.emplace(at.acronym, *code);
                   cat->attributes_.emplace(*code, std::move(at));
                 }) &&
      ForEachRow(folder / "s57expectedinput.csv", error,
                 [&](std::string_view line) {
                   const auto f = SplitCsv(line);
                   const auto code = f.size() >= 3 ? ParseCode(f[0]) : std::nullopt;
                   const auto value = f.size() >= 3 ? ParseInt(f[1]) : std::nullopt;
                   if (!code || !value) return;
                   cat->values_[*code].push_back({*value, f[2]});
                 }) &&
      ForEachRow(folder / "s57agencies.csv", error, [&](std::string_view line) {
        // AgencyID,Token,Code,AgencyName: names hold unquoted commas.
        const size_t c1 = line.find(',');
        const size_t c2 = c1 == std::string_view::npos ? c1 : line.find(',', c1 + 1);
        const size_t c3 = c2 == std::string_view::npos ? c2 : line.find(',', c2 + 1);
        if (c3 == std::string_view::npos) return;
        const auto code = ParseCode(line.substr(c2 + 1, c3 - c2 - 1));
        if (!code) return;
        cat->agencies_.emplace(*code, Agency{std::string(line.substr(c1 + 1, c2 - c1 - 1)),
                                             DecodeAmpersands(std::string(line.substr(c3 + 1)))});
      });
  if (!ok) return nullptr;
  for (auto& [code, list] : cat->values_)
    std::stable_sort(list.begin(), list.end(),
                     [](const S57AttributeValue& a, const S57AttributeValue& b) {
                       return a.value < b.value;
                     });
  return cat;
}

const S57ObjectClass* CS57Catalogue::ObjectClass(uint16_t objl) const {
  const auto it = classes_.find(objl);
  return it == classes_.end() ? nullptr : &it->second;
}

const S57ObjectClass* CS57Catalogue::ObjectClass(std::string_view acronym) const {
  const auto it = classByAcronym_.find(std::string(acronym));
  return it == classByAcronym_.end() ? nullptr : ObjectClass(it->second);
}

const S57Attribute* CS57Catalogue::Attribute(uint16_t attl) const {
  const auto it = attributes_.find(attl);
  return it == attributes_.end() ? nullptr : &it->second;
}

const S57Attribute* CS57Catalogue::Attribute(std::string_view acronym) const {
  const auto it = attributeByAcronym_.find(std::string(acronym));
  return it == attributeByAcronym_.end() ? nullptr : Attribute(it->second);
}

const std::vector<S57AttributeValue>& CS57Catalogue::Values(uint16_t attl) const {
  static const std::vector<S57AttributeValue> kNone;
  const auto it = values_.find(attl);
  return it == values_.end() ? kNone : it->second;
}

std::optional<std::string_view> CS57Catalogue::ValueMeaning(uint16_t attl, int value) const {
  const auto& list = Values(attl);
  const auto it = std::lower_bound(
      list.begin(), list.end(), value,
      [](const S57AttributeValue& entry, int v) { return entry.value < v; });
  if (it == list.end() || it->value != value) return std::nullopt;
  return std::string_view(it->meaning);
}

std::optional<std::string_view> CS57Catalogue::AgencyName(uint16_t agen) const {
  const auto it = agencies_.find(agen);
  if (it == agencies_.end()) return std::nullopt;
  return std::string_view(it->second.name);
}

std::optional<std::string_view> CS57Catalogue::AgencyToken(uint16_t agen) const {
  const auto it = agencies_.find(agen);
  if (it == agencies_.end()) return std::nullopt;
  return std::string_view(it->second.token);
}

const CS57Catalogue& S57Catalogue() {
  static const std::unique_ptr<CS57Catalogue> catalogue = [] {
    std::string error;
    auto loaded = CS57Catalogue::Load(ProgramFolder() / "S57", error);
    if (!loaded) {
      Log("S-57 object catalogue not available: %s\n", error.c_str());
      loaded.reset(new CS57Catalogue);
    }
    return loaded;
  }();
  return *catalogue;
}

std::string_view ObjectClassAcronym(uint16_t objl) {
  const S57ObjectClass* oc = S57Catalogue().ObjectClass(objl);
  return oc ? std::string_view(oc->acronym) : std::string_view();
}

std::optional<uint16_t> ObjectClassCode(std::string_view acronym) {
  const S57ObjectClass* oc = S57Catalogue().ObjectClass(acronym);
  return oc ? std::optional<uint16_t>(oc->code) : std::nullopt;
}

std::string_view AttributeAcronym(uint16_t attl) {
  const S57Attribute* at = S57Catalogue().Attribute(attl);
  return at ? std::string_view(at->acronym) : std::string_view();
}

std::optional<uint16_t> AttributeCode(std::string_view acronym) {
  const S57Attribute* at = S57Catalogue().Attribute(acronym);
  return at ? std::optional<uint16_t>(at->code) : std::nullopt;
}

std::optional<S57AttributeType> AttributeType(uint16_t attl) {
  const S57Attribute* at = S57Catalogue().Attribute(attl);
  return at ? std::optional<S57AttributeType>(at->type) : std::nullopt;
}

std::optional<std::string_view> AttributeValueMeaning(uint16_t attl, int value) {
  return S57Catalogue().ValueMeaning(attl, value);
}

}  // namespace tarnwick
