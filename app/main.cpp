// The `tarnwick` executable: `tarnwick run` is the chart system itself; the
// other subcommands expose its parts for people and scripts.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Subcommand.h"
#include "core/Log.h"
#include "core/Paths.h"

using namespace tarnwick;

namespace {

void PrintHelp(FILE* out) {
  fprintf(out,
          "Usage: tarnwick COMMAND [ARGS...] [--data DIR] [--debug]\n\n"
          "Options for every command:\n"
          "  --data DIR   the data folder (default $XDG_DATA_HOME/tarnwick-ecs)\n"
          "  --debug      write debug lines to the diagnostic log\n\n"
          "Commands:\n");
  for (const CSubcommand* command : CSubcommand::All()) {
    std::string head = std::string(command->Name()) + " " + command->Usage();
    fprintf(out, "  %s\n      %s\n", head.c_str(), command->Summary());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !strcmp(argv[1], "--help") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "help")) {
    PrintHelp(stdout);
    return argc < 2 ? 2 : 0;
  }
  if (!strcmp(argv[1], "--version")) {
    printf("tarnwick %s\n", TW_VERSION);
    return 0;
  }
  const CSubcommand* command = CSubcommand::Find(argv[1]);
  if (!command) {
    fprintf(stderr, "tarnwick: unknown command '%s' (see tarnwick --help)\n", argv[1]);
    return 2;
  }
  CArguments args(std::vector<std::string>(argv + 2, argv + argc));
  if (auto data = args.TakeOption("--data")) SetDataFolder(*data);
  if (args.TakeFlag("--debug")) SetDebugLogging(true);
  return command->Run(args);
}
