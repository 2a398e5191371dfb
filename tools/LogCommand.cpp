// `tarnwick log query`: the logbook's "/log" query on the command line, with
// the same output.

#include <cstdio>
#include <string>

#include "app/Subcommand.h"
#include "core/Paths.h"
#include "recording/logbook/LogQuery.h"

namespace tarnwick {
namespace {

int Usage() {
  fprintf(stderr,
          "usage: tarnwick log query [--where CONDITION] [--cols A,B,...] [--format csv|htm]\n");
  return 2;
}

int LogMain(CArguments& args) {
  QueryParams params;
  for (const char* name : {"where", "cols", "format"})
    if (auto value = args.TakeOption(std::string("--") + name)) params[name] = *value;
  if (args.Size() != 1 || args[0] != "query" || args.UnknownOption()) return Usage();
  const HttpReply reply = RunLogQuery(DataFolder() / "log.db", params);
  if (reply.status != 200) {
    fprintf(stderr, "tarnwick log: %s\n", reply.body.c_str());
    return 1;
  }
  fwrite(reply.body.data(), 1, reply.body.size(), stdout);
  return 0;
}

const CSubcommand kLog("log", "query [--where CONDITION] [--cols A,B] [--format csv|htm]",
                       "query the logbook log.db as the /log page does", LogMain);

}  // namespace
}  // namespace tarnwick
