#pragma once
// Opens the program's main page in the system browser: "chromium --app=URL"
// when chromium is installed, else "xdg-open URL", started detached in a
// session of its own so it neither blocks nor outlives us as a zombie. Only
// when a display is present (DISPLAY or WAYLAND_DISPLAY set and not empty).

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// What the launcher found in the environment.
struct BrowserEnvironment {
  bool display = false;                 // DISPLAY or WAYLAND_DISPLAY is set
  std::optional<std::string> chromium;  // full path of chromium (or chromium-browser)
  std::optional<std::string> xdgOpen;   // full path of xdg-open
};

// Reads DISPLAY, WAYLAND_DISPLAY and PATH.
BrowserEnvironment DetectBrowserEnvironment();

// The command line that opens url; empty without a display or a program to run.
std::vector<std::string> BrowserCommand(const std::string& url, const BrowserEnvironment& env);

struct BrowserLaunch {
  bool started = false;
  std::vector<std::string> command;  // what was run (empty when nothing was)
  std::string reason;                // why nothing was started, for the message
};

// Starts the browser on url without waiting for it; logs the launch.
BrowserLaunch OpenInBrowser(const std::string& url);
BrowserLaunch OpenInBrowser(const std::string& url, const BrowserEnvironment& env);

// The full path of program on PATH, or empty.
std::optional<std::string> FindOnPath(const std::string& program);

}  // namespace tarnwick
