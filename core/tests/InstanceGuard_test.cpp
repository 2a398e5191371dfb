// The single-instance guard: processes racing for the lock, the second
// instance's "show" request answered by the first, and release.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/InstanceGuard.h"
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
