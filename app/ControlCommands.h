#pragma once
// The command line's changes to the program's state: settings (set, reset,
// the AIS log switch), storage entries (put, remove) and instrument ports
// (add, set, remove). When a program runs on the same data folder, the
// command goes to it through its control socket and runs there, on its
// user-interface thread: the change takes effect at once and is saved once,
// by the program. Otherwise the command runs in the command's own process on
// the files of the data folder.
//
// Commands and their arguments:
//   settings.set NAME VALUE     settings.reset NAME         ais.log on|off
//   storage.put DOMAIN NAME VALUE                           storage.remove DOMAIN NAME
//   ports.add ADDRESS [key=value...]   ports.set ADDRESS key=value...   ports.remove ADDRESS
//   ais.acknowledge MMSI   ais.aside MMSI   ais.back MMSI   ais.reset
//   (the AIS actions act on the running program's targets only)
//   charts.add PATH   charts.list   charts.remove NAME   charts.sources (app/ChartsModule.h)
//
// Control request: {"command":"settings.set","args":[...],"dataFolder":"/abs"}
// Answer: {"exit":0,"out":"...","err":"..."}, or {"otherDataFolder":true}
// when the program runs on another data folder.

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

struct CommandResult {
  int exit = 0;     // the command's exit status: 0 done, 1 refused or failed, 2 usage
  std::string out;  // for stdout
  std::string err;  // for stderr
};

// Runs command on this process's settings, storage and port database. Settings
// must have been loaded (LoadProgramSettings) by a command line process.
CommandResult RunStateCommand(const std::string& command, const std::vector<std::string>& args);

// Runs command in the program that runs on DataFolder(), if one does; empty
// when none does (run it here then). A program that cannot be reached or does
// not answer gives a result with exit status 1 and the reason.
std::optional<CommandResult> RunInRunningProgram(const std::string& command,
                                                 const std::vector<std::string>& args);

struct ControlRequest {
  std::string command;
  std::vector<std::string> args;
  std::string dataFolder;
};
// The request of a control line; empty when it is not one.
std::optional<ControlRequest> ParseControlRequest(const std::string& line);

// The running program's side: answers one control request line. Runs the
// command on the user-interface thread and waits for it (at most a few
// seconds; a command that did not start by then never runs).
std::string AnswerControlRequest(const std::string& line);

// Writes result's texts to stdout and stderr; returns its exit status.
int PrintResult(const CommandResult& result);

}  // namespace tarnwick
