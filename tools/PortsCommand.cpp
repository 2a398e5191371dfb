// `tarnwick ports`: the instrument ports configured in electronics.db; changes
// go to the running program when one runs on the data folder.

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "app/ControlCommands.h"
#include "app/Subcommand.h"
#include "core/Paths.h"
#include "instruments/ports/ElectronicsDb.h"

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
      "      data parity stop\n"
      "      interface (loopback, any or an IPv4 address: where UDP ports and the TCP server listen)\n");
  return 2;
}

json ParseStored(const std::string& text) {
  json settings = json::parse(text, nullptr, false);
  return settings.is_object() ? settings : json::object();
}

int PortsMain(CArguments& args) {
  if (args.Size() < 1) return Usage();
  const std::string verb = args[0];
  if (verb != "list") {
    if (args.Size() < 2 || (verb != "add" && verb != "set" && verb != "remove")) return Usage();
    if ((verb == "set" && args.Size() < 3) || (verb == "remove" && args.Size() != 2)) return Usage();
    const std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
    if (auto result = RunInRunningProgram("ports." + verb, rest)) return PrintResult(*result);
    return PrintResult(RunStateCommand("ports." + verb, rest));
  }
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
    printf("%s\n", out.dump(2, ' ', false, json::error_handler_t::replace).c_str());
    return 0;
  }
  return Usage();
}

const CSubcommand kPorts("ports", "list|add|set|remove [ADDRESS [key=value...]]",
                         "configure the instrument ports kept in electronics.db", PortsMain);

}  // namespace
}  // namespace tarnwick
