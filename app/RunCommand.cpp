// `tarnwick run`: the chart system itself, running until Ctrl-C or SIGTERM.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <thread>

#include "app/Demo.h"
#include "app/BrowserLauncher.h"
#include "app/ControlCommands.h"
#include "app/Modules.h"
#include "app/Subcommand.h"
#include "core/Application.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

// Asks on the terminal. The wait ends with the answer, the end of input, or an
// exit request (Ctrl-C or SIGTERM reach the signal watcher, not this thread).
bool AskOnTerminal(const std::string& text, const CApplication& app) {
  std::cout << text << "\n\nDo you accept these terms? [y/N] " << std::flush;
  std::string answer;
  for (;;) {
    if (app.ExitRequested()) {
      std::cout << std::endl;
      return false;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, 200);
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    char c = 0;
    if (read(STDIN_FILENO, &c, 1) != 1 || c == '\n') break;
    if (answer.size() < 256) answer += c;
  }
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

// Turns SIGINT and SIGTERM into an orderly shutdown: the signals are blocked in
// every thread and a watcher thread waits for them.
class CSignalWatcher {
 public:
  explicit CSignalWatcher(CApplication& app) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this, &app] {
      timespec wait{0, 200'000'000};
      while (!stop_.load()) {
        int signal = sigtimedwait(&signals_, nullptr, &wait);
        if (signal == SIGINT || signal == SIGTERM) {
          Log("Signal %d: shutting down\n", signal);
          app.RequestExit();
        }
      }
    });
  }
  ~CSignalWatcher() {
    stop_.store(true);
    thread_.join();
  }

 private:
  sigset_t signals_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void PrintNotifications() {
  for (const auto& note : Notifications().Since(0)) fprintf(stderr, "%s\n", note.text.c_str());
}

// Warnings and errors of the start-up (a damaged settings store, the last
// session's crash) go to the terminal too, not only to the page.
void PrintStartupWarnings() {
  for (const auto& note : Notifications().Since(0)) {
    if (note.kind == NotificationKind::Warning || note.kind == NotificationKind::Error)
      fprintf(stderr, "%s\n", note.text.c_str());
  }
}

int Run(CArguments& args) {
  StartupOptions options;
  ModuleOptions modules;
  const bool accept = args.TakeFlag("--accept-disclaimer");
  // "--demo" may name its voyage: "--demo sail".
  {
    std::vector<std::string> rest = args.Rest();
    const auto demo = std::find(rest.begin(), rest.end(), "--demo");
    if (demo != rest.end() && demo + 1 != rest.end()) {
      if (const auto voyage = DemoVoyageNamed(demo[1])) {
        modules.demoVoyage = *voyage;
        rest.erase(demo + 1);
        args = CArguments(std::move(rest));
      }
    }
  }
  modules.demo = args.TakeFlag("--demo");
  const bool noBrowser = args.TakeFlag("--no-browser");
  // The demo keeps its settings, documents and recordings apart from the user's.
  if (modules.demo) SelectDemoDataFolder();
  if (auto unknown = args.UnknownOption()) {
    fprintf(stderr, "tarnwick run: unknown option %s\n", unknown->c_str());
    return 2;
  }
  options.commandLine = args.Rest();
  modules.commandLine = options.commandLine;
  CApplication app;
  options.disclaimer = [accept, &app](const std::string& text) {
    if (accept) return true;
    if (isatty(STDIN_FILENO)) return AskOnTerminal(text, app);
    fprintf(stderr,
            "tarnwick run: the disclaimer must be accepted; run on a terminal or pass "
            "--accept-disclaimer\n");
    return false;
  };
  options.showRequest = [] { return MainPageUrl(); };
  // `tarnwick settings set` and the other changes of the command line.
  options.controlRequest = AnswerControlRequest;

  CSignalWatcher signals(app);
  RegisterModules(app, modules);
  switch (app.Start(options)) {
    case StartupResult::Running: break;
    case StartupResult::AlreadyRunning: {
      const auto notes = Notifications().Since(0);
      fprintf(stderr, "%s is already running.", kAppTitle);
      const std::string url = notes.empty() ? std::string() : notes.back().text;
      if (!url.empty()) fprintf(stderr, " Its window: %s", url.c_str());
      fprintf(stderr, "\n");
      // The first instance's page, opened the way a first start opens it.
      if (!noBrowser && !url.empty() && OpenInBrowser(url).started) return 0;
      return 1;
    }
    case StartupResult::Exited:
      if (app.ExitRequested()) fprintf(stderr, "tarnwick run: ended before start-up completed\n");
      return 1;
    case StartupResult::Failed:
      PrintNotifications();
      fprintf(stderr, "tarnwick run: start-up failed; see %s\n",
              (DataFolder() / "Application.log").c_str());
      return 1;
  }
  PrintStartupWarnings();
  printf("%s is running (data folder %s). Press Ctrl-C to stop.\n", kAppTitle,
         DataFolder().c_str());
  if (const std::string url = MainPageUrl(); !url.empty()) {
    const BrowserLaunch launch = noBrowser ? BrowserLaunch{} : OpenInBrowser(url);
    if (launch.started)
      printf("Opened %s in the browser.\n", url.c_str());
    else
      printf("Open %s in a browser.\n", url.c_str());
  }
  fflush(stdout);
  app.Run();
  return 0;
}

const CSubcommand kRun("run", "[--demo [harbour|sail]] [--accept-disclaimer] [--no-browser] [DOCUMENT...]",
                       "run the chart system until Ctrl-C", Run);

}  // namespace
}  // namespace tarnwick
