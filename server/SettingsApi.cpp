#include "server/SettingsApi.h"

#include <cctype>
#include <map>

#include "core/SettingValues.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

// The unit words a length setting accepts, in the order the page offers them.
const char* const kLengthUnits[] = {"nm", "m", "ft", "yd", "km", "mi", "fm", "cm"};

bool IsInteger(std::string_view text) {
  size_t i = text.size() > 1 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

}  // namespace

std::string CSettingsApi::PageKind(const CSetting& setting) {
  switch (setting.Kind()) {
    case SettingKind::Boolean:
      return "bool";
    case SettingKind::Choice:
      return "choice";
    case SettingKind::Colour:
      return "color";
    case SettingKind::Font:
      return "font";
    case SettingKind::DateTime:
      return "datetime";
    case SettingKind::Text:
      break;
  }
  switch (ValueKindOf(setting)) {
    case SettingValueKind::Integer:
      return "int";
    case SettingValueKind::Number:
      return IsInteger(setting.DefaultText()) ? "int" : "real";
    case SettingValueKind::Length:
      return "length";
    case SettingValueKind::Duration:
      return "duration";
    case SettingValueKind::FreeText:
      break;
  }
  return "text";
}

json CSettingsApi::Describe(const CSetting& setting) {
  const std::string kind = PageKind(setting);
  json out = {{"name", setting.Name()},
              {"kind", kind},
              {"value", setting.Text()},
              {"default", setting.DefaultText()},
              {"locked", setting.IsLocked()}};
  if (auto* choices = dynamic_cast<const CChoiceDescriptor*>(setting.Descriptor())) {
    json list = json::array();
    for (const auto& option : choices->Options())
      list.push_back({{"value", option.keyword}, {"label", option.label}});
    out["choices"] = std::move(list);
  }
  if (kind == "length") {
    json units = json::array();
    for (const char* unit : kLengthUnits) units.push_back(unit);
    out["units"] = std::move(units);
  }
  return out;
}

void CSettingsApi::Mount(CHttpServer& server) {
  server.Get("/api/settings", Get);
}

HttpResponse CSettingsApi::Get(const HttpRequest& request) {
  const std::string only = request.Param("group");
  std::map<std::string, json> groups;
  for (const CSetting* setting : AllSettings()) {
    const std::string group = setting->Group();
    if (!only.empty() && !EqualsIgnoreCase(group, only)) continue;
    json& list = groups[group];
    if (list.is_null()) list = json::array();
    list.push_back(Describe(*setting));
  }
  if (!only.empty() && groups.empty())
    return HttpResponse::Json(404, JsonText({{"error", "No settings in group " + only + "."}}));
  json out = json::array();
  for (auto& [group, settings] : groups)
    out.push_back({{"group", group}, {"settings", std::move(settings)}});
  return HttpResponse::Json(200, JsonText(out));
}

}  // namespace tarnwick
