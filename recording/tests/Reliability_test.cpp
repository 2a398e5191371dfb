// A program killed while it records and logs: every complete record and row
// survives, the next run reads the interrupted hour and goes on appending.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/Sqlite.h"
#include "core/tests/support/TestSupport.h"
#include "recording/logbook/LogBook.h"
#include "recording/vdr/VdrFileReader.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageRecorder.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;

std::vector<std::string> RecordedPayloads(const std::filesystem::path& folder) {
  std::vector<std::string> payloads;
  for (const auto& file : ListRecordingFiles(folder)) {
    CVdrFileReader reader;
    if (!reader.Open(file.path)) continue;
    while (auto record = reader.Next())
      payloads.emplace_back(record->payload.begin(), record->payload.end());
  }
  return payloads;
}

int64_t CountEntries(const std::filesystem::path& db) {
  CSqliteDatabase connection;
  if (connection.Open(db, SQLITE_OPEN_READONLY) != SQLITE_OK) return -1;
  CSqliteStatement statement(connection, "SELECT count(*) FROM Entries;");
  return statement.Step() == SQLITE_ROW ? statement.Int(0) : -1;
}

// Records and logs numbered items until killed.
[[noreturn]] void RecordForever(const std::filesystem::path& folder) {
  CVoyageRecorder recorder(folder / "DataLog");
  CLogBook book(folder / "log.db");
  for (uint64_t n = 0;; ++n) {
    // Long and short payloads, so that kills land inside both forms.
    std::string payload = "$SEQ," + std::to_string(n);
    if (n % 7 == 0) payload += "," + std::string(300 + n % 50, 'p');
    recorder.Record(VdrKind::Nmea0183, payload);
    if (n % 20 == 0) {
      LogEntry entry(kLogSensorMessage);
      entry.AddNumber("n", static_cast<double>(n / 20));
      book.Write(entry);
    }
  }
}

TEST(ReliabilityTest, KilledWhileRecordingLosesAtMostTheRecordBeingWritten) {
  CTempFolder folder;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) RecordForever(folder.Path());

  // Bounded wait until the child has written a good amount, then kill it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline &&
         (RecordedPayloads(folder / "DataLog").size() < 3000 ||
          CountEntries(folder / "log.db") < 20))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(kill(child, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));

  const auto before = RecordedPayloads(folder / "DataLog");
  ASSERT_GE(before.size(), 3000u);
  for (size_t i = 0; i < before.size(); ++i)
    ASSERT_EQ(before[i].substr(0, before[i].find(',', 5)), "$SEQ," + std::to_string(i)) << i;

  // The next run appends after the last complete record.
  {
    CVoyageRecorder recorder(folder / "DataLog");
    ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$AFTER"));
  }
  const auto after = RecordedPayloads(folder / "DataLog");
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(after.back(), "$AFTER");

  CSqliteDatabase db;
  ASSERT_EQ(db.Open(folder / "log.db"), SQLITE_OK);
  CSqliteStatement check(db, "PRAGMA integrity_check;");
  ASSERT_EQ(check.Step(), SQLITE_ROW);
  EXPECT_EQ(check.Text(0), "ok");
  CSqliteStatement rows(db, "SELECT count(*), max(CAST(json_extract(content, '$.n') AS INTEGER)) "
                            "FROM Entries;");
  ASSERT_EQ(rows.Step(), SQLITE_ROW);
  EXPECT_GE(rows.Int(0), 20);
  EXPECT_EQ(rows.Int(1), rows.Int(0) - 1);  // no gaps: every committed row is there
  CLogBook book(folder / "log.db");
  EXPECT_TRUE(book.AddEntry(1, 1, std::nullopt));
}

}  // namespace
}  // namespace tarnwick
