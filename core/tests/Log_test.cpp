// The diagnostic log: line prefix, CR LF, the 510-character cut, rotation at
// start, the size cap's trimming, debug lines and per-thread capture.

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;
using testing::ReadFile;
using testing::WriteFile;

TEST(LogFile, PrefixesEachLineWithTimesAndThreadAndWritesCrLf) {
  CTempFolder folder;
  CSimulatedClock clock;
  CScopedClock use(clock);
  CLogFile log(folder / "a.log");
  clock.Advance(1500);
  log.Write("first\n");
  clock.Advance(250);
  log.Write("second\n");
  const std::string text = ReadFile(folder / "a.log");
  std::regex line(R"(1\.500:1\.500:0x[0-9a-f]+: first\r\n1\.750:0\.250:0x[0-9a-f]+: second\r\n)");
  EXPECT_TRUE(std::regex_match(text, line)) << text;
}

TEST(LogFile, CutsMessagesAt510Characters) {
  CTempFolder folder;
  CLogFile log(folder / "a.log");
  log.Write(std::string(600, 'x') + "\n");
  const std::string text = ReadFile(folder / "a.log");
  const size_t prefixEnd = text.find(": ") + 2;
  EXPECT_EQ(text.size() - prefixEnd, 510u) << "cut message keeps 510 characters and no line feed";
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(LogFile, SizeCapKeepsTheNewestTailFromALineStart) {
  CTempFolder folder;
  CLogFile log(folder / "capped.log", 1);
  for (int i = 0; i < 100; ++i) log.Write("line " + std::to_string(i) + " of the capped log\n");
  const std::string text = ReadFile(folder / "capped.log");
  EXPECT_LE(text.size(), 1024u);
  EXPECT_GT(text.size(), 600u);
  EXPECT_NE(text.find("line 99 "), std::string::npos);
  EXPECT_EQ(text.find("line 0 "), std::string::npos);
  EXPECT_TRUE(std::regex_search(text.substr(0, 16), std::regex(R"(^\d+\.\d{3}:)"))) << text;
  EXPECT_FALSE(std::filesystem::exists(folder / "capped.log.tmp"));
}

TEST(ApplicationLog, RotatesThePreviousRunsLog) {
  CTempFolder folder;
  WriteFile(folder / "Application.log", "old run\r\n");
  WriteFile(folder / "PreviousApplication.log", "older run\r\n");
  OpenApplicationLog(folder.Path());
  Log("Data Folder: %s\n", "x");
  CloseApplicationLog();
  EXPECT_EQ(ReadFile(folder / "PreviousApplication.log"), "old run\r\n");
  EXPECT_NE(ReadFile(folder / "Application.log").find("Data Folder: x\r\n"), std::string::npos);
}

TEST(ApplicationLog, DebugLinesOnlyWithDebugOrCapture) {
  CTempFolder folder;
  OpenApplicationLog(folder.Path());
  SetDebugLogging(false);
  LogDebug("hidden %d\n", 1);
  {
    CLogCapture capture;
    LogDebug("captured %d\n", 2);
    Log("plain %d\n", 3);
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"captured 2", "plain 3"}));
  }
  SetDebugLogging(true);
  LogDebug("shown %d\n", 4);
  SetDebugLogging(false);
  CloseApplicationLog();
  const std::string text = ReadFile(folder / "Application.log");
  EXPECT_EQ(text.find("hidden"), std::string::npos);
  EXPECT_EQ(text.find("captured"), std::string::npos);
  EXPECT_NE(text.find("plain 3"), std::string::npos);
  EXPECT_NE(text.find("shown 4"), std::string::npos);
}

TEST(ApplicationLog, CaptureBelongsToItsThread) {
  CLogCapture capture;
  std::thread other([] { Log("from another thread\n"); });
  other.join();
  Log("from this thread\n");
  EXPECT_EQ(capture.Lines(), std::vector<std::string>{"from this thread"});
}

TEST(ApplicationLog, ManyThreadsWriteWholeLines) {
  CTempFolder folder;
  OpenApplicationLog(folder.Path());
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) Log("thread %d line %d\n", t, i);
    });
  for (auto& thread : threads) thread.join();
  CloseApplicationLog();
  const std::string text = ReadFile(folder / "Application.log");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 800);
  std::regex line(R"(\d+\.\d{3}:\d+\.\d{3}:0x[0-9a-f]+: thread \d line \d+\r)");
  std::istringstream lines(text);
  std::string one;
  while (std::getline(lines, one)) ASSERT_TRUE(std::regex_match(one, line)) << one;
}

}  // namespace
}  // namespace tarnwick
