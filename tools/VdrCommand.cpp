// `tarnwick vdr`: voyage data recordings from the command line: list the days
// recorded, dump a file, make a recording from an NMEA log, and play one back.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "app/Subcommand.h"
#include "core/Clock.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VdrFileReader.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecorder.h"
#include "recording/vdr/VoyageRecordingsPage.h"

namespace tarnwick {
namespace {

int Usage() {
  fprintf(stderr,
          "usage: tarnwick vdr list [--folder DIR]\n"
          "       tarnwick vdr dump FILE.skvdr\n"
          "       tarnwick vdr record NMEA-FILE OUT-FOLDER --start ISO-TIME [--rate N]\n"
          "       tarnwick vdr record --timed TIMED-FILE OUT-FOLDER\n"
          "         (TIMED-FILE: \"ISO-TIME SENTENCE\" lines, as vdr play prints them)\n"
          "       tarnwick vdr play FOLDER [--start ISO-TIME] [--speed N] "
          "[--to udp://HOST:PORT]\n");
  return 2;
}

std::string PayloadText(const VdrRecord& record) {
  if (record.kind == static_cast<int>(VdrKind::Nmea0183))
    return std::string(record.payload.begin(), record.payload.end());
  std::string hex;
  char byte[4];
  for (uint8_t b : record.payload) {
    snprintf(byte, sizeof byte, "%02x", b);
    hex += byte;
  }
  return hex;
}

int List(CArguments& args) {
  std::filesystem::path folder;
  if (auto given = args.TakeOption("--folder")) {
    folder = *given;
  } else {
    CRegistryFile registry(CRegistryFile::DefaultPath());
    LoadProgramSettings(registry);
    folder = RecordingsFolder();
  }
  if (args.Size() != 1) return Usage();
  for (const auto& day : ListRecordingDays(folder)) {
    printf("%04d-%02d-%02d %s %s\n", day.year, day.month, day.day,
           FormatIsoUtcMs(day.firstUtcMs).c_str(), FormatIsoUtcMs(day.lastUtcMs).c_str());
  }
  return 0;
}

int Dump(CArguments& args) {
  if (args.Size() != 2) return Usage();
  CVdrFileReader reader;
  if (!reader.Open(args[1])) {
    fprintf(stderr, "tarnwick vdr: %s is not a voyage data recording\n", args[1].c_str());
    return 1;
  }
  while (auto record = reader.Next())
    printf("%s %d %s\n", FormatIsoUtcMs(record->utcMs).c_str(), record->kind,
           PayloadText(*record).c_str());
  return 0;
}

// The time and sentence of a line "ISO-TIME SENTENCE".
struct TimedSentence {
  int64_t utcMs = 0;
  std::string sentence;
};

std::optional<TimedSentence> ParseTimedLine(const std::string& line) {
  const size_t space = line.find(' ');
  if (space == std::string::npos) return std::nullopt;
  const auto utcMs = ParseIsoUtc(std::string_view(line).substr(0, space));
  if (!utcMs) return std::nullopt;
  const size_t start = line.find_first_not_of(' ', space);
  if (start == std::string::npos) return std::nullopt;
  return TimedSentence{*utcMs, line.substr(start)};
}

int Record(CArguments& args) {
  const auto startText = args.TakeOption("--start");
  const auto rateText = args.TakeOption("--rate");
  const bool timed = args.TakeFlag("--timed");
  if (args.Size() != 3 || (!startText && !timed) || (timed && (startText || rateText)) ||
      args.UnknownOption())
    return Usage();
  std::optional<int64_t> start;
  if (startText && !(start = ParseIsoUtc(*startText))) {
    fprintf(stderr, "tarnwick vdr: --start %s is not a UTC time\n", startText->c_str());
    return 2;
  }
  const double rate = rateText ? atof(rateText->c_str()) : 10.0;
  if (!(rate > 0) || rate > 1e6) {
    fprintf(stderr, "tarnwick vdr: --rate must be a positive number of lines a second\n");
    return 2;
  }
  std::ifstream in(args[1], std::ios::binary);
  if (!in) {
    fprintf(stderr, "tarnwick vdr: cannot read %s\n", args[1].c_str());
    return 1;
  }
  // The recorder stamps records with the process clock; a simulated one puts
  // line i at start + i / rate seconds, or at the line's own time.
  CSimulatedClock clock(0, start.value_or(0));
  CScopedClock scoped(clock);
  CVoyageRecorder recorder(args[2]);
  std::string line;
  uint64_t count = 0;
  uint64_t dropped = 0;
  uint64_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    std::string sentence;
    if (timed) {
      auto parsed = ParseTimedLine(line);
      if (!parsed) {
        fprintf(stderr, "tarnwick vdr: %s:%llu: not \"ISO-TIME SENTENCE\"\n", args[1].c_str(),
                static_cast<unsigned long long>(lineNumber));
        ++dropped;
        continue;
      }
      clock.SetUtcMs(parsed->utcMs);
      sentence = std::move(parsed->sentence);
    } else {
      clock.SetUtcMs(*start + static_cast<int64_t>(static_cast<double>(count) * 1000.0 / rate));
      sentence = std::move(line);
    }
    if (recorder.Record(VdrKind::Nmea0183, sentence))
      ++count;
    else
      ++dropped;
  }
  printf("%llu records written to %s\n", static_cast<unsigned long long>(count), args[2].c_str());
  if (dropped > 0) {
    fprintf(stderr, "tarnwick vdr: %llu lines dropped\n", static_cast<unsigned long long>(dropped));
    return 1;
  }
  return 0;
}

// A UDP destination "udp://HOST:PORT" (numeric IPv4 host).
struct UdpTarget {
  int socket = -1;
  sockaddr_in address{};
};

std::optional<UdpTarget> OpenUdpTarget(const std::string& url) {
  const std::string prefix = "udp://";
  if (url.rfind(prefix, 0) != 0) return std::nullopt;
  std::string rest = url.substr(prefix.size());
  while (!rest.empty() && rest.back() == '/') rest.pop_back();
  const size_t colon = rest.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  UdpTarget target;
  target.address.sin_family = AF_INET;
  const int port = atoi(rest.c_str() + colon + 1);
  if (port <= 0 || port > 65535) return std::nullopt;
  target.address.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, rest.substr(0, colon).c_str(), &target.address.sin_addr) != 1)
    return std::nullopt;
  target.socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (target.socket < 0) return std::nullopt;
  return target;
}

int Play(CArguments& args) {
  const auto startText = args.TakeOption("--start");
  const auto speedText = args.TakeOption("--speed");
  const auto to = args.TakeOption("--to");
  if (args.Size() != 2 || args.UnknownOption()) return Usage();
  std::optional<int64_t> start;
  if (startText && !(start = ParseIsoUtc(*startText))) {
    fprintf(stderr, "tarnwick vdr: --start %s is not a UTC time\n", startText->c_str());
    return 2;
  }
  const double speed = speedText ? atof(speedText->c_str()) : 1.0;
  if (!(speed > 0) || speed > 10000) {
    fprintf(stderr, "tarnwick vdr: --speed must be a positive factor\n");
    return 2;
  }
  std::optional<UdpTarget> udp;
  if (to && !(udp = OpenUdpTarget(*to))) {
    fprintf(stderr, "tarnwick vdr: --to %s is not udp://IPV4:PORT\n", to->c_str());
    return 2;
  }
  VoyageDataPlayer player(args[1]);
  player.SetHandler(PlaybackTarget::Nmea0183, [&udp](const PlaybackRecord& record) {
    std::string sentence(record.payload.begin(), record.payload.end());
    if (udp) {
      sentence += "\r\n";
      ::sendto(udp->socket, sentence.data(), sentence.size(), 0,
               reinterpret_cast<const sockaddr*>(&udp->address), sizeof udp->address);
    } else {
      printf("%s %s\n", FormatIsoUtcMs(record.utcMs).c_str(), sentence.c_str());
      fflush(stdout);
    }
  });
  if (start) player.Seek(*start);
  player.SetSpeed(speed);
  player.Play();
  for (;;) {
    const uint64_t waitMs = player.RunOnce();
    const PlayerStatus status = player.Status();
    if (!status.playing || status.atEnd) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
  }
  if (udp) ::close(udp->socket);
  const PlayerStatus status = player.Status();
  fprintf(stderr, "tarnwick vdr: %llu records played\n",
          static_cast<unsigned long long>(status.recordsPlayed));
  return status.playing ? 0 : 1;
}

int VdrMain(CArguments& args) {
  if (args.Size() < 1) return Usage();
  const std::string verb = args[0];
  if (verb == "list") return List(args);
  if (verb == "dump") return Dump(args);
  if (verb == "record") return Record(args);
  if (verb == "play") return Play(args);
  return Usage();
}

const CSubcommand kVdr("vdr", "list|dump|record|play ...",
                       "list, dump, make and play voyage data recordings", VdrMain);

}  // namespace
}  // namespace tarnwick
