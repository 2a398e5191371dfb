// `tarnwick settings`: read and change settings in the data folder's storage.db;
// changes go to the running program when one runs on that folder.

#include <cstdio>

#include "app/ControlCommands.h"
#include "app/Subcommand.h"
#include "core/AdminIni.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "core/Setting.h"
#include "core/SettingsRegistry.h"

namespace tarnwick {
namespace {

int Usage() {
  fprintf(stderr,
          "usage: tarnwick settings get NAME\n"
          "       tarnwick settings set NAME VALUE\n"
          "       tarnwick settings list [GROUP]\n"
          "       tarnwick settings reset NAME\n"
          "       tarnwick settings export-admin FILE\n");
  return 2;
}

CSetting* FindOrComplain(const std::string& name) {
  CSetting* setting = FindSetting(name);
  if (!setting) fprintf(stderr, "tarnwick settings: no setting named '%s'\n", name.c_str());
  return setting;
}

int Settings(CArguments& args) {
  if (args.Size() < 1) return Usage();
  const std::string verb = args[0];
  const bool change = (verb == "set" && args.Size() == 3) || (verb == "reset" && args.Size() == 2);
  const std::vector<std::string> changeArgs(args.Rest().begin() + 1, args.Rest().end());
  if (change) {
    if (auto result = RunInRunningProgram("settings." + verb, changeArgs))
      return PrintResult(*result);
  }
  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  if (change) return PrintResult(RunStateCommand("settings." + verb, changeArgs));

  if (verb == "get" && args.Size() == 2) {
    CSetting* setting = FindOrComplain(args[1]);
    if (!setting) return 1;
    printf("%s\n", setting->Text().c_str());
    return 0;
  }
  if (verb == "list" && args.Size() <= 2) {
    const std::string group = args.Size() == 2 ? args[1] : "";
    int shown = 0;
    for (const CSetting* setting : AllSettings()) {
      if (!group.empty() && !EqualsIgnoreCase(setting->Group(), group)) continue;
      printf("%s\t%s\t%s\t%s%s\n", setting->Name(), SettingKindName(setting->Kind()),
             setting->DefaultText(), setting->Text().c_str(),
             setting->IsLocked() ? "\t(locked)" : "");
      ++shown;
    }
    if (shown == 0 && !group.empty()) {
      fprintf(stderr, "tarnwick settings: no settings in group '%s'\n", group.c_str());
      return 1;
    }
    return 0;
  }
  if (verb == "export-admin" && args.Size() == 2) {
    if (!ExportAdminTemplate(args[1])) {
      fprintf(stderr, "tarnwick settings: cannot write %s\n", args[1].c_str());
      return 1;
    }
    return 0;
  }
  return Usage();
}

const CSubcommand kSettings("settings", "get NAME | set NAME VALUE | list [GROUP] | reset NAME | "
                            "export-admin FILE",
                            "read, change, list and export the program's settings", Settings);

}  // namespace
}  // namespace tarnwick
