// `tarnwick monitor`: opens instrument ports and shows what they receive, as
// the instrument data monitor does, until Ctrl-C.

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/Subcommand.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "instruments/ports/ElectronicsDb.h"
#include "instruments/ports/PortFactory.h"
#include "instruments/ports/PortHooks.h"

namespace tarnwick {
namespace {

int Usage() {
  fprintf(stderr,
          "usage: tarnwick monitor [ADDRESS...] [--seconds N] [--count N]\n"
          "  Without an address every port configured in electronics.db is opened.\n"
          "  --seconds N  stop after N seconds; --count N  stop after N sentences\n");
  return 2;
}

std::optional<long> PositiveOption(CArguments& args, const char* name, bool& bad) {
  auto text = args.TakeOption(name);
  if (!text) return std::nullopt;
  char* end = nullptr;
  const long value = strtol(text->c_str(), &end, 10);
  if (end == text->c_str() || *end != '\0' || value <= 0) {
    fprintf(stderr, "tarnwick monitor: %s needs a positive number, not '%s'\n", name,
            text->c_str());
    bad = true;
  }
  return value;
}

// The ports to open: the given addresses (with their stored settings when
// configured) or every configured port.
std::vector<std::unique_ptr<CNmeaPort>> BuildPorts(const std::vector<std::string>& addresses,
                                                   bool& failed) {
  CElectronicsDb db;
  const bool haveDb = db.Open(CElectronicsDb::DefaultPath());
  std::vector<PortRow> rows;
  if (addresses.empty()) {
    if (haveDb) rows = db.ListPorts();
  } else {
    for (const std::string& address : addresses)
      rows.push_back({address, haveDb ? db.ReadPort(address).value_or("") : ""});
  }
  std::vector<std::unique_ptr<CNmeaPort>> ports;
  for (const PortRow& row : rows) {
    const PortSettingsResult parsed = ParsePortSettings(row.json, row.port);
    if (!parsed.settings) {
      fprintf(stderr, "tarnwick monitor: %s: %s\n", row.port.c_str(), parsed.error.c_str());
      failed = true;
      continue;
    }
    PortCreation built = BuildPort(row.port, *parsed.settings);
    if (!built.port) {
      if (!built.error.empty()) {
        fprintf(stderr, "tarnwick monitor: %s: %s\n", row.port.c_str(), built.error.c_str());
        failed = true;
      }
      continue;
    }
    ports.push_back(std::move(built.port));
  }
  return ports;
}

int MonitorMain(CArguments& args) {
  bool bad = false;
  const auto seconds = PositiveOption(args, "--seconds", bad);
  const auto count = PositiveOption(args, "--count", bad);
  if (bad) return 2;
  if (auto unknown = args.UnknownOption()) {
    fprintf(stderr, "tarnwick monitor: unknown option %s\n", unknown->c_str());
    return Usage();
  }
  bool failed = false;
  auto ports = BuildPorts(args.Rest(), failed);
  if (ports.empty()) {
    fprintf(stderr, "tarnwick monitor: no port to open\n");
    return 1;
  }

  // Ctrl-C and termination are taken by this thread alone.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::mutex output;
  std::atomic<long> sentences{0};
  SetDataMonitorSink([&](const MonitorLine& line) {
    std::lock_guard lock(output);
    fwrite(line.text.data(), 1, line.text.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
    if (line.kind == MonitorLineKind::Sentence) sentences.fetch_add(1);
  });
  for (auto& port : ports) port->Open();

  std::vector<std::string> shown(ports.size());
  const uint64_t start = TickCount();
  for (;;) {
    for (size_t i = 0; i < ports.size(); ++i) {
      const PortStatus status = ports[i]->Status();
      std::string text = std::string(PortStateName(status.state));
      if (!status.text.empty()) text += ": " + status.text;
      if (text != shown[i] && status.state != PortState::Opening) {
        std::lock_guard lock(output);
        fprintf(stderr, "%s: %s\n", ports[i]->Name().c_str(), text.c_str());
        shown[i] = text;
      }
    }
    if (count && sentences.load() >= *count) break;
    if (seconds && TickCount() - start >= static_cast<uint64_t>(*seconds) * 1000) break;
    const timespec wait{0, 200'000'000};
    if (sigtimedwait(&signals, nullptr, &wait) > 0) break;
  }
  for (auto& port : ports) port->RequestStop();
  ports.clear();
  SetDataMonitorSink({});
  return failed ? 1 : 0;
}

const CSubcommand kMonitor("monitor", "[ADDRESS...] [--seconds N] [--count N]",
                           "open instrument ports and print what they receive until Ctrl-C",
                           MonitorMain);

}  // namespace
}  // namespace tarnwick
