// `tarnwick ais`: decode AIS logs, assess a target against the own vessel, and
// turn AIS.LOG on or off.

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/ControlCommands.h"
#include "app/Subcommand.h"
#include "core/Clock.h"
#include "core/JsonWriter.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "core/SettingsRegistry.h"
#include "instruments/ais/AisAssessmentSettings.h"
#include "instruments/ais/AisCpa.h"
#include "instruments/ais/AisJson.h"
#include "instruments/ais/AisLogFile.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/VdmSentence.h"

namespace tarnwick {
namespace {

constexpr size_t kInputBlock = 64 * 1024;   // bytes of input read at once
constexpr size_t kOutputBlock = 64 * 1024;  // bytes of output written at once

int Usage() {
  fprintf(stderr,
          "usage: tarnwick ais decode [--targets] [FILE...]\n"
          "       tarnwick ais cpa [FILE]\n"
          "       tarnwick ais log on|off\n"
          "       tarnwick ais ack MMSI      acknowledge a target's collision warning\n"
          "       tarnwick ais aside MMSI    set a target aside (not shown or assessed)\n"
          "       tarnwick ais back MMSI     take a target set aside back\n"
          "       tarnwick ais reset         hide every target until it is heard again\n"
          "(ack, aside, back and reset act on the running program)\n");
  return 2;
}

// Reads the stream in blocks and hands each VDM/VDO line to the receiver;
// the lines of one block share the time it was read.
void FeedStream(std::istream& in, CAisReceiver& receiver) {
  std::vector<char> block(kInputBlock);
  std::string partial;  // a line cut by the end of the previous block
  const auto feedLine = [&receiver](std::string_view line, const ReceiveTime& received) {
    if (const std::optional<VdmFragment> fragment = ParseVdmSentence(line))
      receiver.DecodeVDM(nullptr, received, *fragment);
  };
  while (in) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const auto count = static_cast<size_t>(in.gcount());
    if (count == 0) break;
    const ReceiveTime received{TickCount(), UtcNowMs()};
    std::string_view data(block.data(), count);
    for (size_t end = data.find('\n'); end != std::string_view::npos; end = data.find('\n')) {
      if (partial.empty()) {
        feedLine(data.substr(0, end), received);
      } else {
        partial.append(data.substr(0, end));
        feedLine(partial, received);
        partial.clear();
      }
      data.remove_prefix(end + 1);
    }
    partial.append(data);
  }
  if (!partial.empty()) feedLine(partial, ReceiveTime{TickCount(), UtcNowMs()});
}

int Decode(CArguments& args) {
  const bool targets = args.TakeFlag("--targets");
  if (auto unknown = args.UnknownOption()) {
    fprintf(stderr, "tarnwick ais decode: unknown option %s\n", unknown->c_str());
    return 2;
  }
  CAisReceiver receiver;
  // Lines are collected and written in blocks: one write per message would
  // cost more than decoding it.
  std::string out;
  const auto flush = [&out] {
    fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
  };
  if (!targets) {
    receiver.SetMessageObserver([&out, &flush](const AisMessage& message) {
      AppendAisMessageJson(out, message);
      out.push_back('\n');
      if (out.size() >= kOutputBlock) flush();
    });
  }
  if (args.Size() == 1) {
    FeedStream(std::cin, receiver);
  } else {
    for (size_t i = 1; i < args.Size(); ++i) {
      std::ifstream in(args[i]);
      if (!in) {
        fprintf(stderr, "tarnwick ais decode: cannot read %s\n", args[i].c_str());
        flush();
        return 1;
      }
      FeedStream(in, receiver);
    }
  }
  if (targets) {
    for (const CAisTarget& target : receiver.Targets()) {
      AppendAisTargetJson(out, target);
      out.push_back('\n');
    }
  }
  flush();
  return 0;
}

std::optional<double> Number(const nlohmann::json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end() || !it->is_number()) return std::nullopt;
  return it->get<double>();
}

// One input line: {"own":{lat,lon,cog,sog},"target":{lat,lon,cog,sog}}.
bool AssessLine(const std::string& line, const AisAssessmentSettings& settings) {
  const nlohmann::json input = nlohmann::json::parse(line, nullptr, false);
  if (input.is_discarded() || !input.is_object() || !input.contains("own") ||
      !input.contains("target") || !input["own"].is_object() || !input["target"].is_object()) {
    fprintf(stderr, "tarnwick ais cpa: expected {\"own\":{...},\"target\":{...}}: %s\n",
            line.c_str());
    return false;
  }
  const nlohmann::json& own = input["own"];
  const nlohmann::json& target = input["target"];
  const char* keys[] = {"lat", "lon", "cog", "sog"};
  double o[4], t[4];
  for (int i = 0; i < 4; ++i) {
    const auto ownValue = Number(own, keys[i]);
    const auto targetValue = Number(target, keys[i]);
    if (!ownValue || !targetValue) {
      fprintf(stderr, "tarnwick ais cpa: own and target need numbers lat, lon, cog, sog: %s\n",
              line.c_str());
      return false;
    }
    o[i] = *ownValue;
    t[i] = *targetValue;
  }
  if (std::abs(o[0]) > 90 || std::abs(o[1]) > 180 || std::abs(t[0]) > 90 || std::abs(t[1]) > 180 ||
      o[3] < 0 || t[3] < 0) {
    fprintf(stderr, "tarnwick ais cpa: position or speed out of range: %s\n", line.c_str());
    return false;
  }
  const CpaResult result = AssessCpa({o[0], o[1]}, o[2], o[3], {t[0], t[1]}, t[2], t[3]);
  std::string out;
  CJsonWriter w(out);
  w.BeginObject().Member("bearing", result.bearing);
  w.Member("range", std::round(result.range * 1000.0) / 1000.0);
  if (result.cpa)
    w.Member("cpa", std::round(*result.cpa * 1000.0) / 1000.0);
  else
    w.Member("cpa", nullptr);
  w.Member("tcpa", result.tcpa);
  w.Member("dangerous", IsDangerousApproach(result, t[3], false, settings)).EndObject();
  printf("%s\n", out.c_str());
  return true;
}

int Cpa(CArguments& args) {
  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  const AisAssessmentSettings settings = ReadAisAssessmentSettings();
  std::ifstream file;
  if (args.Size() == 2) {
    file.open(args[1]);
    if (!file) {
      fprintf(stderr, "tarnwick ais cpa: cannot read %s\n", args[1].c_str());
      return 1;
    }
  } else if (args.Size() > 2) {
    return Usage();
  }
  std::istream& in = args.Size() == 2 ? static_cast<std::istream&>(file) : std::cin;
  bool ok = true;
  std::string line;
  while (std::getline(in, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    ok = AssessLine(line, settings) && ok;
  }
  return ok ? 0 : 1;
}

int LogSwitch(CArguments& args) {
  if (args.Size() != 2) {
    fprintf(stderr, "%s\n", AisLogCommand("").c_str());
    return 2;
  }
  if (auto result = RunInRunningProgram("ais.log", {args[1]})) return PrintResult(*result);
  CRegistryFile registry(CRegistryFile::DefaultPath());
  if (!LoadProgramSettings(registry)) {
    fprintf(stderr, "tarnwick ais log: cannot open storage.db; nothing was changed\n");
    return 1;
  }
  return PrintResult(RunStateCommand("ais.log", {args[1]}));
}

// ack, aside, back and reset: the running program's target table, through
// its control socket; without a running program there is nothing to act on.
int Control(CArguments& args) {
  const std::string& verb = args[0];
  if (args.Size() != (verb == "reset" ? 1u : 2u)) return Usage();
  const std::string command = verb == "ack" ? "ais.acknowledge" : "ais." + verb;
  std::vector<std::string> rest;
  if (args.Size() == 2) rest.push_back(args[1]);
  const auto result = RunInRunningProgram(command, rest);
  if (!result) {
    fprintf(stderr, "tarnwick ais %s: no running program answers (start it with tarnwick run)\n",
            verb.c_str());
    return 1;
  }
  return PrintResult(*result);
}

int AisMain(CArguments& args) {
  if (args.Size() < 1) return Usage();
  const std::string verb = args[0];
  if (verb == "decode") return Decode(args);
  if (verb == "cpa") return Cpa(args);
  if (verb == "log") return LogSwitch(args);
  if (verb == "ack" || verb == "aside" || verb == "back" || verb == "reset") return Control(args);
  return Usage();
}

const CSubcommand kAis("ais",
                       "decode [--targets] [FILE...] | cpa [FILE] | log on|off | ack MMSI | "
                       "aside MMSI | back MMSI | reset",
                       "decode AIS sentences, assess collision risk, switch AIS.LOG, act on the "
                       "running program's targets",
                       AisMain);

}  // namespace
}  // namespace tarnwick
