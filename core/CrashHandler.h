#pragma once
// Writes a crash report when the process dies of a fatal signal (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL, SIGABRT): "crash-YYYYMMDDTHHMMSSZ.dmp" in the crash
// folder, naming the signal, the thread's current stage and a backtrace. The
// unclean-exit detector finds it at the next start.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

// Installs the handler; reports go to crashFolder (created now).
void InstallCrashHandler(const std::filesystem::path& crashFolder);

// What a crash report says.
struct CrashReport {
  std::optional<int64_t> utcMs;  // when it was written (from its name)
  std::optional<int> signal;     // the signal's number
  std::string signalName;        // "SEGV", "" when not given
  std::string stage;             // the stage the crashing thread was in, "" when not given
};

// Reads the report at path; members it does not hold stay empty.
CrashReport ReadCrashReport(const std::filesystem::path& path);

}  // namespace tarnwick
