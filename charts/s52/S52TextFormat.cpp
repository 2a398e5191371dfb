#include "charts/s52/S52TextFormat.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarnwick {
namespace {

std::optional<double> Number(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (copy.empty() || end == copy.c_str() || !std::isfinite(value)) return std::nullopt;
  while (*end == ' ') ++end;
  if (*end != '\0') return std::nullopt;
  return value;
}

std::vector<int> ListOf(std::string_view text) {
  std::vector<int> values;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(',', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string item(text.substr(at, end - at));
    if (!item.empty()) values.push_back(std::atoi(item.c_str()));
    at = end + 1;
  }
  return values;
}

// A number without needless decimals: 6 → "6", 2.5 → "2.5".
std::string Plain(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

std::optional<std::string> FormatS52Text(std::string_view format, const std::vector<std::string_view>& values) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // %[flags][width][.precision][l]conversion
    std::string directive = "%";
    size_t j = i + 1;
    while (j < format.size() && std::string_view("-+ 0#").find(format[j]) != std::string_view::npos)
      directive += format[j++];
    size_t digits = 0;
    while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) && digits < 2) {
      directive += format[j++];
      ++digits;
    }
    if (j < format.size() && format[j] == '.') {
      directive += format[j++];
      digits = 0;
      while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) && digits < 2) {
        directive += format[j++];
        ++digits;
      }
    }
    if (j < format.size() && format[j] == 'l') ++j;
    if (j >= format.size() || next >= values.size()) return std::nullopt;
    const char conversion = format[j];
    const std::string_view value = values[next++];
    char text[128];
    if (conversion == 's') {
      if (directive == "%") {
        out.append(value);
      } else {
        directive += 's';
        const std::string copy(value.substr(0, 100));
        std::snprintf(text, sizeof text, directive.c_str(), copy.c_str());
        out += text;
      }
    } else if (conversion == 'f' || conversion == 'd' || conversion == 'i') {
      const auto number = Number(value);
      if (!number || std::fabs(*number) > 1e12) return std::nullopt;
      if (conversion == 'f') {
        directive += 'f';
        std::snprintf(text, sizeof text, directive.c_str(), *number);
      } else {
        directive += "ld";
        std::snprintf(text, sizeof text, directive.c_str(), static_cast<long>(std::lround(*number)));
      }
      out += text;
    } else {
      return std::nullopt;
    }
    i = j;
  }
  return out;
}

std::string ShortenS52Name(std::string_view name) {
  static const std::pair<const char*, const char*> kAbbreviations[] = {
      {"Anchorage", "Anch"}, {"Bank", "Bk"},       {"Bay", "B"},          {"Beacon", "Bn"},
      {"Buoy", "By"},        {"Cape", "C"},        {"Channel", "Chan"},   {"Entrance", "Ent"},
      {"Fort", "Ft"},        {"Harbor", "Hbr"},    {"Harbour", "Hbr"},    {"Head", "Hd"},
      {"Island", "I"},       {"Islands", "Is"},    {"Lake", "L"},         {"Lighthouse", "Lt Ho"},
      {"Light", "Lt"},       {"Mount", "Mt"},      {"Mountain", "Mtn"},   {"Passage", "Pass"},
      {"Peninsula", "Pen"},  {"Point", "Pt"},      {"Port", "Pt"},        {"Reef", "Rf"},
      {"River", "R"},        {"Rock", "Rk"},       {"Rocks", "Rks"},      {"Saint", "St"},
      {"Shoal", "Sh"},       {"Sound", "Sd"},      {"Strait", "Str"},
  };
  std::string out;
  size_t at = 0;
  while (at < name.size()) {
    size_t end = at;
    while (end < name.size() && std::isalpha(static_cast<unsigned char>(name[end]))) ++end;
    const std::string_view word = name.substr(at, end - at);
    const char* replacement = nullptr;
    for (const auto& [full, shortForm] : kAbbreviations)
      if (word == full) replacement = shortForm;
    if (replacement) out += replacement;
    else out.append(word);
    if (end == at) out += name[end++];
    at = end;
  }
  return out;
}

std::string FormatS52SeabedText(std::string_view natsur, std::string_view natqua) {
  // NATSUR 1..18 and NATQUA 1..10 as INT 1 abbreviates them ("" for unused codes).
  static const char* const kNatures[] = {"",  "M", "Cy", "Si", "S",  "St", "G", "P", "Cb", "R",
                                         "",  "Lv", "",  "",   "Co", "",   "",  "Sh", "Bo"};
  static const char* const kQualities[] = {"", "f", "m", "c", "bk", "sy", "so", "sf", "v", "ca", "h"};
  const auto natures = ListOf(natsur);
  const auto qualities = ListOf(natqua);
  std::string text;
  for (size_t i = 0; i < natures.size(); ++i) {
    const int n = natures[i];
    if (n < 1 || n > 18 || !*kNatures[n]) continue;
    if (!text.empty()) text += '.';
    if (i < qualities.size() && qualities[i] >= 1 && qualities[i] <= 10) text += kQualities[qualities[i]];
    text += kNatures[n];
  }
  return text;
}

std::string FormatS52LightDescription(std::string_view litchr, std::string_view siggrp, std::string_view colour,
                                      std::string_view sigper, std::string_view height, std::string_view valnmr,
                                      std::string_view catlit) {
  // LITCHR values 1..29 as the chart abbreviates them ("" for unused codes).
  static const char* const kCharacters[] = {
      "",      "F",      "Fl",    "LFl",  "Q",     "VQ",    "UQ",     "Iso",     "Oc",   "IQ",
      "IVQ",   "IUQ",    "Mo",    "FFl",  "Fl+LFl", "Oc+Fl", "FLFl",  "Al.Oc",   "Al.LFl", "Al.Fl",
      "Al.Gr", "",       "",      "",     "",      "Q+LFl", "VQ+LFl", "UQ+LFl", "Al",   "Al.FFl"};
  // COLOUR values 1..13.
  static const char* const kColours[] = {"", "W", "Bl", "R", "G", "Bu", "Y", "Gy", "Br", "Am", "Vi", "Or", "M", "P"};
  std::string text;
  if (ListOf(catlit).size() && ListOf(catlit)[0] == 1) text += "Dir.";
  const auto characters = ListOf(litchr);
  if (!characters.empty() && characters[0] > 0 && characters[0] < 30) text += kCharacters[characters[0]];
  const bool group = !siggrp.empty() && siggrp != "()" && siggrp != "(1)";
  if (group) text.append(siggrp);
  std::string colours;
  for (int c : ListOf(colour))
    if (c > 0 && c < 14) colours += kColours[c];
  if (!colours.empty()) {
    if (!text.empty() && !group) text += '.';
    text += colours;
  }
  if (const auto period = Number(sigper)) {
    if (!text.empty()) text += '.';
    text += Plain(*period) + "s";
  }
  if (const auto h = Number(height)) text += Plain(*h) + "m";
  if (const auto range = Number(valnmr)) text += Plain(*range) + "M";
  return text;
}

}  // namespace tarnwick
