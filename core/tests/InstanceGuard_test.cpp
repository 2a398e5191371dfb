// The single-instance guard: processes racing for the lock, the second
// instance's "show" request answered by the first, commands of the command
// line, release, and the private runtime folder it insists on.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "core/InstanceGuard.h"
#include "core/Paths.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;

TEST(InstanceGuard, SecondInstanceIsAskedToShowTheFirst) {
  CTempFolder folder;
  CInstanceGuard first(folder.Path());
  int shows = 0;
  ASSERT_EQ(first.Acquire([&] {
    ++shows;
    return std::string("http://127.0.0.1:8213/");
  }),
            CInstanceGuard::Outcome::Acquired);
  CInstanceGuard second(folder.Path());
  EXPECT_EQ(second.Acquire(nullptr), CInstanceGuard::Outcome::AlreadyRunning);
  EXPECT_EQ(second.Answer(), "http://127.0.0.1:8213/");
  EXPECT_EQ(shows, 1);

  first.Release();
  CInstanceGuard third(folder.Path());
  EXPECT_EQ(third.Acquire(nullptr), CInstanceGuard::Outcome::Acquired);
}

TEST(InstanceGuard, CommandsGetTheHandlersAnswer) {
  CTempFolder folder;
  CInstanceGuard guard(folder.Path() / "run");
  ASSERT_EQ(guard.Acquire(nullptr, [](const std::string& line) { return "did " + line; }),
            CInstanceGuard::Outcome::Acquired);
  std::string problem;
  EXPECT_EQ(CInstanceGuard::Request(folder.Path() / "run", "settings.set", 3000, problem),
            "did settings.set");
  EXPECT_EQ(problem, "");
  struct stat info {};
  ASSERT_EQ(lstat((folder.Path() / "run" / "control.sock").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  guard.Release();
  EXPECT_FALSE(CInstanceGuard::Request(folder.Path() / "run", "x", 3000, problem));
  EXPECT_EQ(problem, "");  // no program runs: not a problem
}

TEST(InstanceGuard, TheRuntimeFolderMustBePrivate) {
  CTempFolder base;
  struct Row {
    const char* name;
    int mode;            // made with this mode; 0: not made beforehand
    const char* refusal;  // part of the problem; "" when accepted
  };
  const Row rows[] = {
      {"new", 0, ""},
      {"readable", 0755, ""},  // tightened to 0700
      {"writable", 0777, "open to other users"},
      {"group-writable", 0770, "open to other users"},
  };
  for (const Row& row : rows) {
    const auto folder = base.Path() / row.name;
    if (row.mode) {
      std::filesystem::create_directory(folder);
      chmod(folder.c_str(), row.mode);
    }
    const std::string problem = PreparePrivateFolder(folder);
    EXPECT_NE(problem.find(row.refusal), std::string::npos) << row.name << ": " << problem;
    if (*row.refusal) continue;
    EXPECT_EQ(problem, "") << row.name;
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << row.name;
  }
  std::filesystem::create_directory(base.Path() / "real");
  std::filesystem::create_directory_symlink(base.Path() / "real", base.Path() / "link");
  EXPECT_NE(PreparePrivateFolder(base.Path() / "link").find("not a folder"), std::string::npos);
  std::ofstream(base.Path() / "file") << "x";
  EXPECT_NE(PreparePrivateFolder(base.Path() / "file"), "");
  CInstanceGuard guard(base.Path() / "writable");
  EXPECT_EQ(guard.Acquire(nullptr), CInstanceGuard::Outcome::Error);
  EXPECT_NE(guard.Problem().find("open to other users"), std::string::npos);
}

TEST(InstanceGuard, WithoutHomeTheRuntimeFolderIsTheAccountsNotTmp) {
  const char* home = getenv("HOME");
  const std::string saved = home ? home : "";
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  const std::string savedRuntime = runtime ? runtime : "";
  const char* cache = getenv("XDG_CACHE_HOME");
  const std::string savedCache = cache ? cache : "";
  unsetenv("HOME");
  unsetenv("XDG_RUNTIME_DIR");
  unsetenv("XDG_CACHE_HOME");
  const std::string folder = RuntimeFolder().string();
  if (home) setenv("HOME", saved.c_str(), 1);
  if (runtime) setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
  if (cache) setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
  EXPECT_EQ(folder.rfind("/tmp", 0), std::string::npos) << folder;
  EXPECT_EQ(folder.front(), '/') << folder;
}

TEST(InstanceGuard, ExactlyOneOfRacingProcessesWins) {
  CTempFolder folder;
  constexpr int kRacers = 4;
  int go[2], done[2], results[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(done), 0);
  ASSERT_EQ(pipe(results), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < kRacers; ++i) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      char byte;
      close(go[1]);
      close(done[1]);
      if (read(go[0], &byte, 1) != 0) _exit(3);  // wait until the parent closes "go"
      CInstanceGuard guard(folder.Path());
      auto outcome = guard.Acquire([] { return std::string("shown"); });
      char code = outcome == CInstanceGuard::Outcome::Acquired ? 'W' : 'L';
      (void)!write(results[1], &code, 1);
      if (read(done[0], &byte, 1) != 0) _exit(3);  // hold the lock until released
      _exit(0);
    }
    children.push_back(child);
  }
  close(go[0]);
  close(done[0]);
  close(results[1]);
  close(go[1]);  // start the race
  std::string codes;
  char code;
  while (codes.size() < kRacers && read(results[0], &code, 1) == 1) codes += code;
  close(done[1]);
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  close(results[0]);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 'W'), 1) << codes;
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 'L'), kRacers - 1) << codes;
}

}  // namespace
}  // namespace tarnwick
