// `tarnwick ports`: the instrument ports configured in electronics.db.

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "app/Subcommand.h"
#include "core/Paths.h"
#include "instruments/ports/ElectronicsDb.h"
#include "instruments/ports/PortAddress.h"
#include "instruments/ports/PortSettings.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;

int Usage() {
  fprintf(
      stderr,
      "usage: tarnwick ports list\n"
      "       tarnwick ports add ADDRESS [key=value...]\n"
      "       tarnwick ports set ADDRESS key=value...   (key= removes the key)\n"
      "       tarnwick ports remove ADDRESS\n"
      "keys: label openAtStartup driver listener talker repeater filter headingCorrection baud\n"
      "      data parity stop\n");
  return 2;
}

// Applies key=value arguments from index first to settings; false (with a message) on a bad one.
bool ApplyAssignments(const CArguments& args, size_t first, json& settings) {
  for (size_t i = first; i < args.Size(); ++i) {
    const std::string& arg = args[i];
    const size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) {
      fprintf(stderr, "tarnwick ports: expected key=value, not '%s'\n", arg.c_str());
      return false;
    }
    const std::string key = arg.substr(0, eq);
    const std::string value = arg.substr(eq + 1);
    if (value.empty()) {
      settings.erase(key);
      continue;
    }
    const std::string error = ValidatePortSetting(key, value);
    if (!error.empty()) {
      fprintf(stderr, "tarnwick ports: %s\n", error.c_str());
      return false;
    }
    settings[key] = value;
  }
  return true;
}

json ParseStored(const std::string& text) {
  json settings = json::parse(text, nullptr, false);
  return settings.is_object() ? settings : json::object();
}

int PortsMain(CArguments& args) {
  if (args.Size() < 1) return Usage();
  const std::string verb = args[0];
  EnsureFolder(DataFolder());
  CElectronicsDb db;
  if (!db.Open(CElectronicsDb::DefaultPath())) {
    fprintf(stderr, "tarnwick ports: cannot open %s\n", CElectronicsDb::DefaultPath().c_str());
    return 1;
  }
  if (verb == "list" && args.Size() == 1) {
    json out = json::array();
    for (const PortRow& row : db.ListPorts())
      out.push_back({{"port", row.port}, {"settings", ParseStored(row.json)}});
    printf("%s\n", out.dump(2).c_str());
    return 0;
  }
  if (args.Size() < 2) return Usage();
  const std::string address = args[1];
  const auto stored = db.ReadPort(address);
  if (verb == "add") {
    if (stored) {
      fprintf(stderr, "tarnwick ports: %s is already configured (use ports set)\n",
              address.c_str());
      return 1;
    }
    json settings = json::object();
    if (!ApplyAssignments(args, 2, settings)) return 1;
    const bool server = settings.value("driver", "") == "nmea-tcp-server";
    if (!server && !ParsePortAddress(address)) {
      fprintf(stderr, "tarnwick ports: '%s' is not a port address\n", address.c_str());
      return 1;
    }
    if (!db.WritePort(address, settings.dump())) return 1;
    printf("%s\n", settings.dump().c_str());
    return 0;
  }
  if (!stored) {
    fprintf(stderr, "tarnwick ports: %s is not configured\n", address.c_str());
    return 1;
  }
  if (verb == "set" && args.Size() >= 3) {
    json settings = ParseStored(*stored);
    if (!ApplyAssignments(args, 2, settings)) return 1;
    if (!db.WritePort(address, settings.dump())) return 1;
    printf("%s\n", settings.dump().c_str());
    return 0;
  }
  if (verb == "remove" && args.Size() == 2) return db.RemovePort(address) ? 0 : 1;
  return Usage();
}

const CSubcommand kPorts("ports", "list|add|set|remove [ADDRESS [key=value...]]",
                         "configure the instrument ports kept in electronics.db", PortsMain);

}  // namespace
}  // namespace tarnwick
