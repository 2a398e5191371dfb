// The key-value store: put/get/remove/list, replacement on conflict, typed
// values, and a process killed in the middle of writing never corrupting it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "core/Storage.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;

TEST(Storage, PutGetRemoveAndList) {
  CTempFolder folder;
  CStorage store;
  ASSERT_TRUE(store.Open(folder / "storage.db"));
  EXPECT_TRUE(store.Put("Search", "PastSearches", "Tarnwick"));
  EXPECT_TRUE(store.Put("OpenURL", "History", "a"));
  EXPECT_TRUE(store.Put("OpenURL", "History", "b")) << "an existing (domain, name) is replaced";
  EXPECT_TRUE(store.Put("OpenURL", "Other", ""));
  EXPECT_EQ(store.Get("OpenURL", "History"), "b");
  EXPECT_EQ(store.Get("OpenURL", "Other"), "");
  EXPECT_FALSE(store.Get("OpenURL", "Missing"));
  EXPECT_FALSE(store.Get("openurl", "History")) << "domains are case-sensitive";
  EXPECT_EQ(store.ListDomains(), (std::vector<std::string>{"OpenURL", "Search"}));
  EXPECT_EQ(store.ListNames("OpenURL").size(), 2u);
  EXPECT_TRUE(store.Remove("OpenURL", "History"));
  EXPECT_FALSE(store.Get("OpenURL", "History"));
  auto entries = store.ListEntries("OpenURL");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "Other");
}

TEST(Storage, TypedValues) {
  CTempFolder folder;
  CStorage store;
  ASSERT_TRUE(store.Open(folder / "storage.db"));
  store.PutBool("d", "flag", true);
  store.PutNumber("d", "number", 0.1);
  EXPECT_EQ(store.Get("d", "flag"), "true");
  EXPECT_EQ(store.Get("d", "number"), "0.1");
  EXPECT_EQ(store.GetBool("d", "flag"), true);
  EXPECT_DOUBLE_EQ(*store.GetNumber("d", "number"), 0.1);
  EXPECT_FALSE(store.GetNumber("d", "missing"));
}

TEST(Storage, ValuesAreBoundNotSpliced) {
  CTempFolder folder;
  CStorage store;
  ASSERT_TRUE(store.Open(folder / "storage.db"));
  const std::string hostile = "x'); DROP TABLE Storage; --";
  EXPECT_TRUE(store.Put(hostile, hostile, hostile));
  EXPECT_EQ(store.Get(hostile, hostile), hostile);
  EXPECT_EQ(store.ListDomains().size(), 1u);
}

TEST(Storage, ClosedStoreFailsEveryOperation) {
  CStorage store;
  EXPECT_FALSE(store.IsOpen());
  EXPECT_FALSE(store.Put("a", "b", "c"));
  EXPECT_FALSE(store.Get("a", "b"));
  EXPECT_TRUE(store.ListDomains().empty());
}

TEST(Storage, UnusableFileIsSetAsideForAFreshStore) {
  const auto damagedPage = [](const std::filesystem::path& path) {
    {
      CStorage store;
      ASSERT_TRUE(store.Open(path));
      for (int i = 0; i < 200; ++i) store.Put("options", "Group" + std::to_string(i), std::string(100, 'x'));
    }
    std::string bytes = testing::ReadFile(path);
    ASSERT_GT(bytes.size(), 3 * 4096u);
    bytes.replace(2 * 4096, 64, std::string(64, '\xff'));
    testing::WriteFile(path, bytes);
  };
  struct Row {
    const char* what;
    std::function<void(const std::filesystem::path&)> make;
  };
  const Row rows[] = {
      {"not a database", [](const auto& path) { testing::WriteFile(path, "{\"AIS\":1}\n"); }},
      {"a damaged page", damagedPage},
      {"unreadable (a folder)", [](const auto& path) { std::filesystem::create_directory(path); }},
  };
  for (const Row& row : rows) {
    CTempFolder folder;
    const auto path = folder / "storage.db";
    row.make(path);
    CStorage store;
    const StorageOpening opening = store.OpenOrSetAside(path, 1625061600000);  // 2021-06-30 14:00
    EXPECT_TRUE(opening.opened) << row.what;
    EXPECT_FALSE(opening.problem.empty()) << row.what;
    ASSERT_TRUE(opening.setAside) << row.what;
    EXPECT_EQ(opening.setAside->filename(), "storage.db.damaged-20210630T140000Z") << row.what;
    EXPECT_TRUE(std::filesystem::exists(*opening.setAside)) << row.what;
    EXPECT_TRUE(store.Put("options", "AIS", "{}")) << row.what;
    EXPECT_EQ(store.Get("options", "AIS"), "{}") << row.what;
  }

  CTempFolder folder;
  {
    CStorage healthy;
    ASSERT_TRUE(healthy.Open(folder / "storage.db"));
    healthy.Put("options", "AIS", "{}");
  }
  CStorage store;
  const StorageOpening opening = store.OpenOrSetAside(folder / "storage.db", 0);
  EXPECT_TRUE(opening.opened);
  EXPECT_FALSE(opening.setAside);
  EXPECT_EQ(store.Get("options", "AIS"), "{}");
}

TEST(Storage, KilledWriterNeverCorruptsTheDatabase) {
  CTempFolder folder;
  const auto path = folder / "storage.db";
  {
    CStorage store;
    ASSERT_TRUE(store.Open(path));
    ASSERT_TRUE(store.Put("options", "AIS", "{\"ShowCPA\":\"yes\"}"));
  }
  for (int round = 0; round < 3; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CStorage store;
      if (!store.Open(path)) _exit(1);
      // Report progress every 20 writes, so the parent kills it mid-stream.
      for (int i = 0;; ++i) {
        store.Put("options", "Group" + std::to_string(i % 50), std::string(2000, 'v'));
        char one = 1;
        if (i % 20 == 19) (void)!write(ready[1], &one, 1);
      }
    }
    char byte;
    for (int reports = 0; reports <= round * 3; ++reports) ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);

    CStorage store;
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Get("options", "AIS"), "{\"ShowCPA\":\"yes\"}");
    CSqliteDatabase db;
    ASSERT_EQ(db.Open(path), SQLITE_OK);
    CSqliteStatement check(db, "PRAGMA integrity_check;");
    ASSERT_EQ(check.Step(), SQLITE_ROW);
    EXPECT_EQ(check.Text(0), "ok");
  }
}

}  // namespace
}  // namespace tarnwick
