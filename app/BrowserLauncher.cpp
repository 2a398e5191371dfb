#include "app/BrowserLauncher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/Log.h"

namespace tarnwick {
namespace {

bool IsSet(const char* name) {
  const char* value = getenv(name);
  return value && *value;
}

std::string Joined(const std::vector<std::string>& command) {
  std::string text;
  for (const std::string& part : command) text += (text.empty() ? "" : " ") + part;
  return text;
}

// Runs command in a grandchild that belongs to a new session, with its
// standard streams on /dev/null; waits only for the short-lived child.
// Everything the children need is prepared before fork: between fork and exec
// only async-signal-safe calls are made.
bool SpawnDetached(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      if (null > STDERR_FILENO) close(null);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::optional<std::string> FindOnPath(const std::string& program) {
  const char* path = getenv("PATH");
  if (!path || program.empty() || program.find('/') != std::string::npos) return std::nullopt;
  std::string list = path;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(':', start), list.size());
    const std::string folder = end > start ? list.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + program;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

BrowserEnvironment DetectBrowserEnvironment() {
  BrowserEnvironment env;
  env.display = IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
  env.chromium = FindOnPath("chromium");
  if (!env.chromium) env.chromium = FindOnPath("chromium-browser");
  env.xdgOpen = FindOnPath("xdg-open");
  return env;
}

std::vector<std::string> BrowserCommand(const std::string& url, const BrowserEnvironment& env) {
  if (!env.display || url.empty()) return {};
  if (env.chromium) return {*env.chromium, "--app=" + url};
  if (env.xdgOpen) return {*env.xdgOpen, url};
  return {};
}

BrowserLaunch OpenInBrowser(const std::string& url) {
  return OpenInBrowser(url, DetectBrowserEnvironment());
}

BrowserLaunch OpenInBrowser(const std::string& url, const BrowserEnvironment& env) {
  BrowserLaunch launch;
  if (!env.display) {
    launch.reason = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
    return launch;
  }
  launch.command = BrowserCommand(url, env);
  if (launch.command.empty()) {
    launch.reason = "neither chromium nor xdg-open is installed";
    return launch;
  }
  launch.started = SpawnDetached(launch.command);
  if (launch.started) {
    Log("Browser: started %s\n", Joined(launch.command).c_str());
  } else {
    Log("Browser: cannot start %s (%d)\n", Joined(launch.command).c_str(), errno);
    launch.reason = "cannot start " + launch.command.front();
  }
  return launch;
}

}  // namespace tarnwick
