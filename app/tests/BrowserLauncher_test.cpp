// Opening the main page: the command chosen for each environment, the PATH
// search, and a real detached start of a stand-in browser that records its
// arguments.

#include "app/BrowserLauncher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using namespace ::tarnwick::testing;

using Command = std::vector<std::string>;

TEST(BrowserLauncher, CommandForEachEnvironment) {
  struct Row {
    BrowserEnvironment env;
    Command expected;
    const char* why;
  };
  const std::string url = "http://127.0.0.1:8213/";
  const Row rows[] = {
      {{true, "/usr/bin/chromium", "/usr/bin/xdg-open"},
       {"/usr/bin/chromium", "--app=http://127.0.0.1:8213/"},
       "chromium is preferred"},
      {{true, std::nullopt, "/usr/bin/xdg-open"}, {"/usr/bin/xdg-open", url}, "else xdg-open"},
      {{true, std::nullopt, std::nullopt}, {}, "nothing to run"},
      {{false, "/usr/bin/chromium", "/usr/bin/xdg-open"}, {}, "no display"},
  };
  for (const Row& row : rows) EXPECT_EQ(BrowserCommand(url, row.env), row.expected) << row.why;
  EXPECT_EQ(BrowserCommand("", rows[0].env), Command{}) << "no URL";

  const BrowserLaunch headless = OpenInBrowser(url, rows[3].env);
  EXPECT_FALSE(headless.started);
  EXPECT_TRUE(headless.command.empty());
  EXPECT_NE(headless.reason.find("no display"), std::string::npos);
  EXPECT_NE(OpenInBrowser(url, rows[2].env).reason.find("xdg-open"), std::string::npos);
}

class FakeBrowserTest : public ::testing::Test {
 protected:
  // A stand-in "xdg-open" that writes its arguments into a FIFO, which the
  // test reads (blocking until the detached program has run).
  void SetUp() override {
    const auto script = temp_ / "xdg-open";
    ASSERT_EQ(mkfifo((temp_ / "out.fifo").c_str(), 0600), 0);
    WriteFile(script, "#!/bin/sh\necho \"$*\" > \"" + (temp_ / "out.fifo").string() + "\"\n");
    chmod(script.c_str(), 0755);
    WriteFile(temp_ / "chromium", "not executable");
  }
  CTempFolder temp_;
};

TEST_F(FakeBrowserTest, FindsProgramsOnPathAndStartsDetached) {
  CScopedEnv path("PATH", temp_.Path().string() + ":/usr/bin:/bin");
  CScopedEnv display("DISPLAY", ":0");
  CScopedEnv wayland("WAYLAND_DISPLAY", "");
  EXPECT_EQ(FindOnPath("xdg-open"), (temp_ / "xdg-open").string());
  EXPECT_EQ(FindOnPath("no-such-program-here"), std::nullopt);
  EXPECT_EQ(FindOnPath("sub/xdg-open"), std::nullopt);

  BrowserEnvironment env = DetectBrowserEnvironment();
  EXPECT_TRUE(env.display);
  env.chromium.reset();  // the machine's own chromium, if any, is not ours to start
  const BrowserLaunch launch = OpenInBrowser("http://127.0.0.1:1/", env);
  ASSERT_TRUE(launch.started) << launch.reason;
  EXPECT_EQ(launch.command, (Command{(temp_ / "xdg-open").string(), "http://127.0.0.1:1/"}));
  // The launcher returned without waiting for the program; its output arrives on its own.
  EXPECT_EQ(ReadFile(temp_ / "out.fifo"), "http://127.0.0.1:1/\n");
}

TEST(BrowserLauncherEnvironment, NoDisplayWhenBothAreEmpty) {
  CScopedEnv display("DISPLAY", "");
  CScopedEnv wayland("WAYLAND_DISPLAY", "");
  EXPECT_FALSE(DetectBrowserEnvironment().display);
  CScopedEnv wayland2("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_TRUE(DetectBrowserEnvironment().display);
}

}  // namespace
}  // namespace tarnwick
