#include "server/StorageApi.h"

#include <nlohmann/json.hpp>

#include "core/Log.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

constexpr const char* kSettingsDomain = "options";

HttpResponse Error(int status, const std::string& message) {
  return HttpResponse::Json(status, JsonText({{"error", message}}));
}

}  // namespace

HttpResponse CStorageApi::Get(CStorage& store, const HttpRequest& request) {
  if (!store.IsOpen()) return Error(503, "The storage database is not open.");
  if (!request.HasParam("domain")) {
    json domains = json::array();
    for (const std::string& domain : store.ListDomains()) domains.push_back(domain);
    return HttpResponse::Json(200, JsonText({{"domains", std::move(domains)}}));
  }
  const std::string domain = request.Param("domain");
  json entries = json::array();
  for (const StorageEntry& entry : store.ListEntries(domain))
    entries.push_back({{"name", entry.name}, {"value", entry.value}});
  return HttpResponse::Json(200, JsonText({{"domain", domain},
                                           {"readOnly", domain == kSettingsDomain},
                                           {"entries", std::move(entries)}}));
}

HttpResponse CStorageApi::Post(CStorage& store, const HttpRequest& request) {
  const json body = json::parse(request.body, nullptr, false);
  if (body.is_discarded() || !body.is_object()) return Error(400, "The body is not a JSON object.");
  const auto text = [&body](const char* member) {
    return body.contains(member) && body[member].is_string() ? body[member].get<std::string>()
                                                             : std::string();
  };
  const std::string domain = text("domain");
  const std::string name = text("name");
  if (domain.empty() || name.empty()) return Error(400, "Give \"domain\" and \"name\".");
  if (domain == kSettingsDomain)
    return Error(403, "Settings change on the settings page, not in storage.");
  if (!store.IsOpen()) return Error(503, "The storage database is not open.");
  const bool remove =
      body.contains("delete") && body["delete"].is_boolean() && body["delete"].get<bool>();
  if (remove) {
    if (!store.Get(domain, name))
      return Error(404, "No entry " + domain.substr(0, 100) + "/" + name.substr(0, 100) + ".");
    if (!store.Remove(domain, name))
      return Error(500, "Cannot remove " + domain + "/" + name + ".");
    Log("Storage: %s/%s removed from the storage page\n", domain.c_str(), name.c_str());
    return HttpResponse::Json(200,
                              JsonText({{"domain", domain}, {"name", name}, {"deleted", true}}));
  }
  if (!body.contains("value") || !body["value"].is_string())
    return Error(400, "Give the entry's \"value\" as text, or \"delete\":true.");
  const std::string value = body["value"].get<std::string>();
  if (const std::string problem = CheckStorageEntry(store, domain, name, value); !problem.empty())
    return Error(413, problem);
  if (!store.Put(domain, name, value))
    return Error(500, "Cannot write " + domain + "/" + name + ".");
  return HttpResponse::Json(200, JsonText({{"domain", domain}, {"name", name}, {"value", value}}));
}

void CStorageApi::Mount(CHttpServer& server, CStorage& store) {
  server.Get(
      "/api/storage", [&store](const HttpRequest& r) { return Get(store, r); },
      HandlerThread::Worker);
  server.Post(
      "/api/storage", [&store](const HttpRequest& r) { return Post(store, r); },
      HandlerThread::Worker);
}

}  // namespace tarnwick
