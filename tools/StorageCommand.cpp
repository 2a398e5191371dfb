// `tarnwick storage`: the key-value store storage.db, domain by domain; changes
// go to the running program when one runs on the data folder.

#include <cstdio>

#include "app/ControlCommands.h"
#include "app/Subcommand.h"
#include "core/Paths.h"
#include "core/Storage.h"

namespace tarnwick {
namespace {

int Usage() {
  fprintf(stderr,
          "usage: tarnwick storage get DOMAIN NAME\n"
          "       tarnwick storage put DOMAIN NAME VALUE\n"
          "       tarnwick storage remove DOMAIN NAME\n"
          "       tarnwick storage list [DOMAIN]\n");
  return 2;
}

int StorageMain(CArguments& args) {
  if (args.Size() < 1) return Usage();
  const std::string command = args[0] == "put" && args.Size() == 4      ? "storage.put"
                              : args[0] == "remove" && args.Size() == 3 ? "storage.remove"
                                                                        : "";
  if (!command.empty()) {
    const std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
    if (auto result = RunInRunningProgram(command, rest)) return PrintResult(*result);
    return PrintResult(RunStateCommand(command, rest));
  }
  CStorage& store = Storage();
  if (!store.IsOpen()) {
    fprintf(stderr, "tarnwick storage: cannot open %s\n", (DataFolder() / "storage.db").c_str());
    return 1;
  }
  const std::string verb = args[0];
  if (verb == "get" && args.Size() == 3) {
    auto value = store.Get(args[1], args[2]);
    if (!value) {
      fprintf(stderr, "tarnwick storage: %s/%s not found\n", args[1].c_str(), args[2].c_str());
      return 1;
    }
    printf("%s\n", value->c_str());
    return 0;
  }
  if (verb == "list" && args.Size() == 1) {
    for (const auto& domain : store.ListDomains()) printf("%s\n", domain.c_str());
    return 0;
  }
  if (verb == "list" && args.Size() == 2) {
    for (const auto& entry : store.ListEntries(args[1]))
      printf("%s\t%s\n", entry.name.c_str(), entry.value.c_str());
    return 0;
  }
  return Usage();
}

const CSubcommand kStorage("storage", "get|put|remove|list DOMAIN [NAME [VALUE]]",
                           "read and change the key-value store storage.db", StorageMain);

}  // namespace
}  // namespace tarnwick
