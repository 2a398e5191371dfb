#include "core/CrashHandler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>

#include "core/Paths.h"
#include "core/Stage.h"
#include "core/Watchdog.h"

namespace tarnwick {
namespace {

char g_folder[1024];
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Async-signal-safe text helpers: the handler may not call printf or malloc.
char* Append(char* out, const char* end, const char* text) {
  while (*text && out < end) *out++ = *text++;
  return out;
}

char* AppendNumber(char* out, const char* end, long value, int width) {
  char digits[24];
  int n = 0;
  bool negative = value < 0;
  unsigned long v = negative ? static_cast<unsigned long>(-value) : static_cast<unsigned long>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v && n < 20);
  while (n < width && n < 20) digits[n++] = '0';
  if (negative && out < end) *out++ = '-';
  while (n > 0 && out < end) *out++ = digits[--n];
  return out;
}

// Civil date from days since 1970 (Howard Hinnant's algorithm), signal-safe.
void CivilFromDays(long z, long& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = yoe + era * 400;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  if (m <= 2) ++y;
}

void OnFatalSignal(int signal) {
  char path[1200] = {};
  char* end = path + sizeof path - 1;
  char* p = Append(path, end, g_folder);
  p = Append(p, end, "/crash-");
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  long seconds = static_cast<long>(now.tv_sec);
  long y;
  int m, d;
  CivilFromDays(seconds / 86400, y, m, d);
  long sod = seconds % 86400;
  p = AppendNumber(p, end, y, 4);
  p = AppendNumber(p, end, m, 2);
  p = AppendNumber(p, end, d, 2);
  p = Append(p, end, "T");
  p = AppendNumber(p, end, sod / 3600, 2);
  p = AppendNumber(p, end, sod / 60 % 60, 2);
  p = AppendNumber(p, end, sod % 60, 2);
  p = Append(p, end, "Z.dmp");
  *p = '\0';

  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd >= 0) {
    char text[512] = {};
    char* t = Append(text, text + sizeof text - 1, "Tarnwick ECS crash report\nSignal: ");
    t = AppendNumber(t, text + sizeof text - 1, signal, 1);
    t = Append(t, text + sizeof text - 1, " (");
    t = Append(t, text + sizeof text - 1, sigabbrev_np(signal) ? sigabbrev_np(signal) : "?");
    t = Append(t, text + sizeof text - 1, ")\nStage: ");
    t = Append(t, text + sizeof text - 1, CurrentStage());
    t = Append(t, text + sizeof text - 1, "\nBacktrace:\n");
    (void)!write(fd, text, static_cast<size_t>(t - text));
    void* frames[64];
    int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, fd);
    close(fd);
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

void InstallCrashHandler(const std::filesystem::path& crashFolder) {
  EnsureFolder(crashFolder);
  std::strncpy(g_folder, crashFolder.c_str(), sizeof g_folder - 1);
  // Load the unwinder now: backtrace() may allocate on its first call.
  void* warmUp[1];
  backtrace(warmUp, 1);
  struct sigaction action{};
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  for (int s : kSignals) sigaction(s, &action, nullptr);
}

CrashReport ReadCrashReport(const std::filesystem::path& path) {
  CrashReport report;
  const std::string name = path.stem().string();  // "crash-YYYYMMDDTHHMMSSZ"
  if (name.rfind("crash-", 0) == 0) report.utcMs = ParseCompactUtc(name.substr(6));
  std::ifstream in(path);
  std::string line;
  for (int lines = 0; lines < 8 && std::getline(in, line); ++lines) {
    if (line.rfind("Signal: ", 0) == 0) {
      int number = 0;
      char abbreviation[32] = {};
      const int read = sscanf(line.c_str() + 8, "%d (%31[^)])", &number, abbreviation);
      if (read >= 1) report.signal = number;
      if (read == 2 && std::strcmp(abbreviation, "?") != 0) report.signalName = abbreviation;
    } else if (line.rfind("Stage: ", 0) == 0) {
      report.stage = line.substr(7, 200);
    }
  }
  return report;
}

}  // namespace tarnwick
