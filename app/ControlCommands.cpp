#include "app/ControlCommands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "app/ChartsModule.h"
#include "core/InstanceGuard.h"
#include "core/JobQueue.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "core/Setting.h"
#include "core/SettingsRegistry.h"
#include "core/Storage.h"
#include "instruments/ais/AisLogFile.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/AisTargetActions.h"
#include "instruments/ports/ElectronicsDb.h"
#include "instruments/ports/PortAddress.h"
#include "instruments/ports/PortSettings.h"
#include "instruments/ports/PortsModule.h"
#include "recording/RecordingModule.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;
using Args = std::vector<std::string>;

// How long the command line waits for the program's answer, and the program
// for its user-interface thread.
constexpr int kAnswerTimeoutMs = 15000;
constexpr int kUiTimeoutMs = 10000;

// Bytes that are not UTF-8 (a value typed in another encoding) go out as
// U+FFFD instead of ending the command.
std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

CommandResult Fail(int exit, std::string err) {
  return {exit, "", std::move(err) + "\n"};
}

CommandResult Done(std::string out = "") {
  return {0, out.empty() ? out : out + "\n", ""};
}

CommandResult SetOrReset(const Args& args, bool reset) {
  CSetting* setting = FindSetting(args[0]);
  if (!setting) return Fail(1, "tarnwick settings: no setting named '" + args[0] + "'");
  if (!reset && args[1].size() > kMaxSettingTextBytes)
    return Fail(1, "tarnwick settings: a value is at most " +
                       std::to_string(kMaxSettingTextBytes) + " bytes");
  if (!reset) {
    if (const auto reason = setting->Refusal(args[1]))
      return Fail(1, "tarnwick settings: " + *reason + "; nothing was changed");
    if (const std::string problem = CheckRecordingSettingChange(setting->Name(), args[1]);
        !problem.empty())
      return Fail(1, "tarnwick settings: " + problem);
  }
  if (!Storage().IsOpen())
    return Fail(1, "tarnwick settings: cannot open storage.db; nothing was changed");
  if (!(reset ? setting->ResetToDefault() : setting->Set(args[1])))
    return Fail(1, "tarnwick settings: " + std::string(setting->Name()) +
                       " is locked by the fleet settings");
  CSettingsRegistry::Instance().SaveAll();
  return Done(setting->Text());
}

CommandResult AisLog(const Args& args) {
  const std::string answer = AisLogCommand(args[0]);
  if (answer.rfind("Usage:", 0) == 0) return Fail(2, answer);
  CSettingsRegistry::Instance().SaveAll();
  return Done(answer);
}

CommandResult StoragePut(const Args& args) {
  CStorage& store = Storage();
  if (!store.IsOpen()) return Fail(1, "tarnwick storage: cannot open storage.db");
  const std::string problem = CheckStorageEntry(store, args[0], args[1], args[2]);
  if (!problem.empty()) return Fail(1, "tarnwick storage: " + problem);
  return store.Put(args[0], args[1], args[2]) ? Done() : Fail(1, "tarnwick storage: cannot write");
}

CommandResult StorageRemove(const Args& args) {
  CStorage& store = Storage();
  if (!store.IsOpen()) return Fail(1, "tarnwick storage: cannot open storage.db");
  return store.Remove(args[0], args[1]) ? Done() : Fail(1, "tarnwick storage: cannot remove");
}

// Applies key=value arguments from index first to settings; the problem, if any.
std::string ApplyAssignments(const Args& args, size_t first, json& settings) {
  for (size_t i = first; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) return "expected key=value, not '" + arg + "'";
    const std::string key = arg.substr(0, eq);
    const std::string value = arg.substr(eq + 1);
    if (value.empty()) {
      settings.erase(key);
      continue;
    }
    const std::string error = ValidatePortSetting(key, value);
    if (!error.empty()) return error;
    settings[key] = value;
  }
  return "";
}

json ParseStored(const std::string& text) {
  json settings = json::parse(text, nullptr, false);
  return settings.is_object() ? settings : json::object();
}

CommandResult Ports(const std::string& verb, const Args& args) {
  EnsureFolder(DataFolder());
  CElectronicsDb db;
  if (!db.Open(CElectronicsDb::DefaultPath()))
    return Fail(1, "tarnwick ports: cannot open " + CElectronicsDb::DefaultPath().string());
  const std::string& address = args[0];
  const auto stored = db.ReadPort(address);
  json settings = stored ? ParseStored(*stored) : json::object();
  if (verb == "add" && stored)
    return Fail(1, "tarnwick ports: " + address + " is already configured (use ports set)");
  if (verb != "add" && !stored) return Fail(1, "tarnwick ports: " + address + " is not configured");
  if (verb == "remove")
    return db.RemovePort(address) ? Done() : Fail(1, "tarnwick ports: cannot remove " + address);
  if (const std::string problem = ApplyAssignments(args, 1, settings); !problem.empty())
    return Fail(1, "tarnwick ports: " + problem);
  const bool server = settings.value("driver", "") == "nmea-tcp-server";
  if (verb == "add" && !server) {
    const std::string problem = CheckPortAddress(address, AddressSource::CommandLine);
    if (!problem.empty()) return Fail(1, "tarnwick ports: " + problem);
  }
  if (!db.WritePort(address, Dump(settings))) return Fail(1, "tarnwick ports: cannot write");
  return Done(Dump(settings));
}

CommandResult FromAisAction(const AisActionResult& result) {
  return result.status == 200 ? Done(result.text) : Fail(1, "tarnwick ais: " + result.text);
}

// The AIS table's actions on one target; they mean something only in the
// running program, whose targets they act on.
CommandResult AisTargetAction(const std::string& verb, const Args& args) {
  uint32_t mmsi = 0;
  const std::string& text = args[0];
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), mmsi);
  if (ec != std::errc() || end != text.data() + text.size() || mmsi == 0 || mmsi > 999999999)
    return Fail(2, "tarnwick ais: '" + text + "' is not an MMSI (1 to 999999999)");
  if (verb == "acknowledge") return FromAisAction(AcknowledgeAisWarning(AisReceiver(), mmsi));
  return FromAisAction(SetAisTargetAside(AisReceiver(), mmsi, verb == "aside"));
}

struct CommandRow {
  const char* name;
  size_t minArgs;
  size_t maxArgs;
  CommandResult (*run)(const Args& args);
};

const CommandRow kCommands[] = {
    {"settings.set", 2, 2, [](const Args& a) { return SetOrReset(a, false); }},
    {"settings.reset", 1, 1, [](const Args& a) { return SetOrReset(a, true); }},
    {"ais.log", 1, 1, AisLog},
    {"storage.put", 3, 3, StoragePut},
    {"storage.remove", 2, 2, StorageRemove},
    {"ports.add", 1, 64, [](const Args& a) { return Ports("add", a); }},
    {"ports.set", 2, 64, [](const Args& a) { return Ports("set", a); }},
    {"ports.remove", 1, 1, [](const Args& a) { return Ports("remove", a); }},
    {"ais.acknowledge", 1, 1, [](const Args& a) { return AisTargetAction("acknowledge", a); }},
    {"ais.aside", 1, 1, [](const Args& a) { return AisTargetAction("aside", a); }},
    {"ais.back", 1, 1, [](const Args& a) { return AisTargetAction("back", a); }},
    {"ais.reset", 0, 0, [](const Args&) { return FromAisAction(ResetAisTargets(AisReceiver())); }},
    {"charts.add", 1, 1, [](const Args& a) { return RunChartsCommand("charts.add", a); }},
    {"charts.list", 0, 0, [](const Args& a) { return RunChartsCommand("charts.list", a); }},
    {"charts.remove", 1, 1, [](const Args& a) { return RunChartsCommand("charts.remove", a); }},
    {"charts.sources", 0, 0, [](const Args& a) { return RunChartsCommand("charts.sources", a); }},
};

bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  const bool same = std::filesystem::equivalent(a, b, ec);
  return ec ? a.lexically_normal() == b.lexically_normal() : same;
}

// Runs command on the user-interface thread; a result with exit 1 when the
// thread did not take it within kUiTimeoutMs (it then never runs).
CommandResult RunOnUiThread(const std::string& command, const Args& args) {
  struct Exchange {
    std::mutex mutex;
    std::condition_variable done;
    bool abandoned = false;
    std::optional<CommandResult> result;
  };
  auto exchange = std::make_shared<Exchange>();
  UiJobs().Post([exchange, command, args] {
    {
      std::lock_guard lock(exchange->mutex);
      if (exchange->abandoned) return;
    }
    CommandResult result = RunStateCommand(command, args);
    if (result.exit == 0 && command.rfind("ports.", 0) == 0) RestartPorts();
    std::lock_guard lock(exchange->mutex);
    exchange->result = std::move(result);
    exchange->done.notify_all();
  });
  std::unique_lock lock(exchange->mutex);
  if (!exchange->done.wait_for(lock, std::chrono::milliseconds(kUiTimeoutMs),
                               [&] { return exchange->result.has_value(); })) {
    exchange->abandoned = true;
    return Fail(1, "tarnwick: the running program is busy (still starting?); nothing was changed");
  }
  return *exchange->result;
}

}  // namespace

CommandResult RunStateCommand(const std::string& command, const std::vector<std::string>& args) {
  for (const CommandRow& row : kCommands) {
    if (command != row.name) continue;
    if (args.size() < row.minArgs || args.size() > row.maxArgs)
      return Fail(2, "tarnwick: wrong number of arguments for " + command);
    return row.run(args);
  }
  return Fail(2, "tarnwick: unknown command " + command);
}

std::optional<CommandResult> RunInRunningProgram(const std::string& command,
                                                 const std::vector<std::string>& args) {
  const json request = {{"command", command},
                        {"args", args},
                        {"dataFolder", std::filesystem::absolute(DataFolder()).string()}};
  std::string problem;
  const std::optional<std::string> answer =
      CInstanceGuard::Request(RuntimeFolder(), Dump(request), kAnswerTimeoutMs, problem);
  if (!answer) {
    if (problem.empty()) return std::nullopt;
    return Fail(1, "tarnwick: " + problem + "; nothing was changed");
  }
  const json reply = json::parse(*answer, nullptr, false);
  if (!reply.is_object()) return Fail(1, "tarnwick: the running program gave no usable answer");
  if (reply.value("otherDataFolder", false)) return std::nullopt;
  CommandResult result;
  if (!reply.contains("exit") || !reply["exit"].is_number_integer())
    return Fail(1, "tarnwick: the running program gave no usable answer");
  result.exit = reply["exit"].get<int>();
  if (reply.contains("out") && reply["out"].is_string()) result.out = reply["out"];
  if (reply.contains("err") && reply["err"].is_string()) result.err = reply["err"];
  return result;
}

std::optional<ControlRequest> ParseControlRequest(const std::string& line) {
  const json request = json::parse(line, nullptr, false);
  if (!request.is_object()) return std::nullopt;
  const auto text = [&request](const char* member) -> const json* {
    const auto it = request.find(member);
    return it != request.end() && it->is_string() ? &*it : nullptr;
  };
  const json* command = text("command");
  const json* dataFolder = text("dataFolder");
  const auto args = request.find("args");
  if (!command || !dataFolder || args == request.end() || !args->is_array()) return std::nullopt;
  ControlRequest out{command->get<std::string>(), {}, dataFolder->get<std::string>()};
  for (const json& arg : *args) {
    if (!arg.is_string()) return std::nullopt;
    out.args.push_back(arg.get<std::string>());
  }
  return out;
}

std::string AnswerControlRequest(const std::string& line) {
  const std::optional<ControlRequest> request = ParseControlRequest(line);
  CommandResult result;
  if (!request) {
    result = Fail(2, "tarnwick: the program did not understand the request");
  } else if (!SameFolder(request->dataFolder, DataFolder())) {
    return Dump(json{{"otherDataFolder", true}});
  } else if (request->command.rfind("storage.", 0) == 0 && !request->args.empty() &&
             request->args[0] == "options") {
    // The running program would write its own settings over such a change.
    result = Fail(1, "tarnwick storage: the running program keeps its settings in 'options'; "
                     "change them with tarnwick settings");
  } else {
    result = RunOnUiThread(request->command, request->args);
    Log("Control: %s from the command line (exit %d)\n", request->command.c_str(), result.exit);
  }
  return Dump(json{{"exit", result.exit}, {"out", result.out}, {"err", result.err}});
}

int PrintResult(const CommandResult& result) {
  fputs(result.out.c_str(), stdout);
  fputs(result.err.c_str(), stderr);
  return result.exit;
}

}  // namespace tarnwick
