#include "server/OptionsController.h"

#include <nlohmann/json.hpp>

#include "core/Setting.h"
#include "recording/RecordingModule.h"

namespace tarnwick {
namespace {

nlohmann::json Describe(const CSetting& setting) {
  nlohmann::json out = {{"name", setting.Name()},
                        {"kind", SettingKindName(setting.Kind())},
                        {"default", setting.DefaultText()},
                        {"value", setting.Text()},
                        {"locked", setting.IsLocked()}};
  if (auto* choices = dynamic_cast<const CChoiceDescriptor*>(setting.Descriptor())) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& option : choices->Options())
      list.push_back({{"keyword", option.keyword}, {"label", option.label}});
    out["choices"] = std::move(list);
  }
  return out;
}

HttpResponse Error(int status, const std::string& message) {
  return HttpResponse::Json(status, nlohmann::json{{"error", message}}.dump());
}

}  // namespace

void COptionsController::Mount(CHttpServer& server) {
  server.Get("/options", Get);
  server.Post("/options", Post);
}

HttpResponse COptionsController::Get(const HttpRequest& request) {
  if (request.HasParam("name")) {
    const CSetting* setting = FindSetting(request.Param("name"));
    if (!setting) return Error(404, "No setting named " + request.Param("name").substr(0, 100) + ".");
    return HttpResponse::Json(200, Describe(*setting).dump());
  }
  const std::string group = request.Param("group");
  nlohmann::json list = nlohmann::json::array();
  for (const CSetting* setting : AllSettings())
    if (group.empty() || EqualsIgnoreCase(setting->Group(), group))
      list.push_back(Describe(*setting));
  if (!group.empty() && list.empty()) return Error(404, "No settings in group " + group + ".");
  return HttpResponse::Json(200, list.dump());
}

HttpResponse COptionsController::Post(const HttpRequest& request) {
  const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
  if (body.is_discarded() || !body.is_object()) return Error(400, "The body is not a JSON object.");
  const auto text = [&body](const char* member) -> std::optional<std::string> {
    if (!body.contains(member) || !body[member].is_string()) return std::nullopt;
    return body[member].get<std::string>();
  };
  const std::optional<std::string> name = text("name");
  const std::optional<std::string> value = text("value");
  if (!name || name->empty() || !value)
    return Error(400, "Give the setting's \"name\" and \"value\" as texts.");
  if (value->size() > kMaxSettingTextBytes)
    return Error(413, "A setting's value is at most " + std::to_string(kMaxSettingTextBytes) +
                          " bytes.");
  CSetting* setting = FindSetting(*name);
  if (!setting) return Error(404, "No setting named " + name->substr(0, 100) + ".");
  if (const auto reason = setting->Refusal(*value)) return Error(400, *reason + ".");
  if (const std::string problem = CheckRecordingSettingChange(setting->Name(), *value);
      !problem.empty())
    return Error(400, problem);
  if (const auto reason = setting->Refusal(*value)) return Error(400, *reason + ".");
  if (!setting->Set(*value)) return Error(409, std::string(setting->Name()) + " is locked.");
  return HttpResponse::Json(200, Describe(*setting).dump());
}

}  // namespace tarnwick
