#pragma once
// Writes a crash report when the process dies of a fatal signal (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL, SIGABRT): "crash-YYYYMMDDTHHMMSSZ.dmp" in the crash
// folder, naming the signal, the thread's current stage and a backtrace. The
// unclean-exit detector finds it at the next start.

#include <filesystem>

namespace tarnwick {

// Installs the handler; reports go to crashFolder (created now).
void InstallCrashHandler(const std::filesystem::path& crashFolder);

}  // namespace tarnwick
