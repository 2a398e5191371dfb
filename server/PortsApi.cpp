#include "server/PortsApi.h"

#include <arpa/inet.h>
#include <ifaddrs.h>

#include "core/Log.h"
#include "instruments/ports/ElectronicsDb.h"
#include "instruments/ports/PortAddress.h"
#include "instruments/ports/PortManager.h"
#include "instruments/ports/PortSettings.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

constexpr const char* kRoles[] = {"listener", "talker", "repeater"};

HttpResponse Error(int status, const std::string& message) {
  return HttpResponse::Json(status, JsonText({{"error", message}}));
}

// "an address is ..." as a sentence: "An address is ....".
std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text + ".";
}

const char* ParityName(Parity parity) {
  switch (parity) {
    case Parity::Odd:
      return "Odd";
    case Parity::Even:
      return "Even";
    case Parity::Mark:
      return "Mark";
    case Parity::Space:
      return "Space";
    case Parity::None:
      break;
  }
  return "None";
}

const char* StopName(StopBits stop) {
  switch (stop) {
    case StopBits::OneAndHalf:
      return "1.5";
    case StopBits::Two:
      return "2";
    case StopBits::One:
      break;
  }
  return "1";
}

json PortJson(const PortRow& row, const std::map<std::string, PortStatus>& statuses) {
  json out = {{"id", row.port}, {"address", row.port}};
  const PortSettingsResult parsed = ParsePortSettings(row.json, row.port);
  if (!parsed.settings) {
    out["error"] = parsed.error;
    out["status"] = "Settings not usable: " + parsed.error;
    out["state"] = "closed";
    return out;
  }
  const PortSettings& s = *parsed.settings;
  json roles = json::array();
  if (s.listener) roles.push_back("listener");
  if (s.talker) roles.push_back("talker");
  if (s.repeater) roles.push_back("repeater");
  out["label"] = s.label;
  out["driver"] = s.driver;
  out["filter"] = s.filter;
  out["roles"] = std::move(roles);
  out["baud"] = s.serial.autoBaud ? json("auto") : json(s.serial.baud);
  out["data"] = s.serial.dataBits;
  out["parity"] = ParityName(s.serial.parity);
  out["stop"] = StopName(s.serial.stopBits);
  out["enabled"] = s.openAtStartup;
  out["interface"] = s.listenInterface;
  out["headingCorrection"] = s.headingCorrection;
  const auto status = statuses.find(row.port);
  if (status == statuses.end()) {
    out["state"] = "closed";
    out["status"] = s.openAtStartup ? "Not running" : "Disabled";
  } else {
    out["state"] = PortStateName(status->second.state);
    out["status"] = status->second.text.empty() ? std::string(PortStateName(status->second.state))
                                                : status->second.text;
  }
  return out;
}

// A JSON value as the text electronics.db keeps ("true", "4800").
std::optional<std::string> SettingText(const json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  if (value.is_number_integer()) return std::to_string(value.get<long long>());
  if (value.is_number()) {
    std::string text = value.dump();
    return text;
  }
  return std::nullopt;
}

}  // namespace

std::map<std::string, PortStatus> RunningPortStatuses() {
  std::map<std::string, PortStatus> out;
  PortManager().ForEach([&out](const CNmeaPort& port) { out[port.Name()] = port.Status(); });
  return out;
}

json CPortsApi::List(const PortsApiContext& context) {
  json out = json::array();
  CElectronicsDb db;
  if (!db.Open(context.database)) return out;
  const auto statuses = context.statuses ? context.statuses() : std::map<std::string, PortStatus>{};
  for (const PortRow& row : db.ListPorts()) out.push_back(PortJson(row, statuses));
  return out;
}

HttpResponse CPortsApi::Save(const PortsApiContext& context, const HttpRequest& request) {
  const json body = json::parse(request.body, nullptr, false);
  if (body.is_discarded() || !body.is_object()) return Error(400, "The body is not a JSON object.");
  for (const char* member : {"id", "address"}) {
    if (body.contains(member) && !body[member].is_string())
      return Error(400, std::string("\"") + member + "\" must be a text.");
  }
  const std::string id = body.value("id", std::string());
  const std::string address = body.value("address", id);
  if (address.empty()) return Error(400, "Give the port's address.");
  if (address != id) {
    const std::string problem = CheckPortAddress(address, AddressSource::Page);
    if (!problem.empty()) return Error(400, Sentence(problem));
  }

  CElectronicsDb db;
  if (!db.Open(context.database)) return Error(500, "Cannot open the port settings database.");
  json settings = json::object();
  if (!id.empty()) {
    const std::optional<std::string> stored = db.ReadPort(id);
    if (!stored) return Error(404, "No port " + id + ".");
    settings = json::parse(*stored, nullptr, false);
    if (!settings.is_object()) settings = json::object();
  } else if (db.ReadPort(address)) {
    return Error(409, "A port with the address " + address + " exists already.");
  }
  if (id != address && !id.empty() && db.ReadPort(address))
    return Error(409, "A port with the address " + address + " exists already.");

  if (body.contains("roles")) {
    if (!body["roles"].is_array()) return Error(400, "\"roles\" must be a list.");
    for (const char* role : kRoles) settings[role] = "false";
    for (const json& role : body["roles"]) {
      const std::string name = role.is_string() ? role.get<std::string>() : "";
      if (name != "listener" && name != "talker" && name != "repeater")
        return Error(400, "Unknown role " + role.dump() + "; use listener, talker or repeater.");
      settings[name] = "true";
    }
  }
  const std::pair<const char*, const char*> fields[] = {
      {"enabled", "openAtStartup"}, {"baud", "baud"},    {"data", "data"},
      {"parity", "parity"},         {"stop", "stop"},    {"label", "label"},
      {"filter", "filter"},         {"driver", "driver"}, {"interface", "interface"},
      {"headingCorrection", "headingCorrection"}};
  for (const auto& [member, key] : fields) {
    if (!body.contains(member)) continue;
    const std::optional<std::string> text = SettingText(body[member]);
    if (!text) return Error(400, std::string("\"") + member + "\" has no usable value.");
    const std::string problem = ValidatePortSetting(key, *text);
    if (!problem.empty()) return Error(400, problem);
    settings[key] = *text;
  }
  const std::string stored = JsonText(settings);
  const PortSettingsResult check = ParsePortSettings(stored, address);
  if (!check.settings) return Error(400, check.error);
  if (!db.WritePort(address, stored)) return Error(500, "Cannot write the port settings.");
  if (!id.empty() && id != address) db.RemovePort(id);
  Log("Port settings of %s saved from the ports page\n", address.c_str());
  if (context.restart) context.restart();
  const auto statuses = context.statuses ? context.statuses() : std::map<std::string, PortStatus>{};
  return HttpResponse::Json(200, JsonText(PortJson({address, stored}, statuses)));
}

HttpResponse CPortsApi::Delete(const PortsApiContext& context, const std::string& id) {
  if (id.empty()) return Error(400, "Give the port's id.");
  CElectronicsDb db;
  if (!db.Open(context.database)) return Error(500, "Cannot open the port settings database.");
  if (!db.ReadPort(id)) return Error(404, "No port " + id + ".");
  if (!db.RemovePort(id)) return Error(500, "Cannot remove the port " + id + ".");
  Log("Port %s removed from the ports page\n", id.c_str());
  if (context.restart) context.restart();
  return HttpResponse::Json(200, JsonText({{"deleted", id}}));
}

json CPortsApi::Interfaces() {
  json out = json::array();
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return out;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, text,
                sizeof text);
    out.push_back({{"address", text}, {"name", entry->ifa_name ? entry->ifa_name : ""}});
  }
  ::freeifaddrs(list);
  return out;
}

void CPortsApi::Mount(CHttpServer& server, PortsApiContext context) {
  auto shared = std::make_shared<PortsApiContext>(std::move(context));
  server.Get(
      "/api/ports/interfaces",
      [](const HttpRequest&) { return HttpResponse::Json(200, JsonText(Interfaces())); },
      HandlerThread::Worker);
  server.Get("/api/ports", [shared](const HttpRequest&) {
    return HttpResponse::Json(200, JsonText(List(*shared)));
  });
  server.Post("/api/ports",
              [shared](const HttpRequest& request) { return Save(*shared, request); });
  server.Post("/api/ports/delete", [shared](const HttpRequest& request) {
    const json body = json::parse(request.body, nullptr, false);
    if (!body.is_object() || !body.contains("id") || !body["id"].is_string())
      return Error(400, "Give the port's id as {\"id\":\"...\"}.");
    return Delete(*shared, body["id"].get<std::string>());
  });
  server.Post("/api/ports/(.+)/delete", [shared](const HttpRequest& request) {
    return Delete(*shared, request.matches.at(1));
  });
}

}  // namespace tarnwick
