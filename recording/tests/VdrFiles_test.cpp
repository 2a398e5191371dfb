// The recordings folder: names, listing, the kept period and purging, and the
// day list page.

#include "recording/vdr/VdrFiles.h"

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/tests/support/TestSupport.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VoyageRecorder.h"
#include "recording/vdr/VoyageRecordingsPage.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;
using testing::WriteFile;

int64_t Utc(int year, int month, int day, int hour, int minute = 0, int second = 0) {
  return MakeUtcMs(UtcParts{year, month, day, hour, minute, second, 0});
}

TEST(VdrFilesTest, NamesAndParsing) {
  EXPECT_EQ(HourlyRecordingName(Utc(2021, 6, 30, 9, 59, 59)), "20210630T09Z.skvdr");
  EXPECT_EQ(DailyRecordingName(Utc(2021, 6, 30, 23)), "20210630Z.skvdr");
  const auto hourly = ParseRecordingName("x/20210630T09Z.skvdr");
  ASSERT_TRUE(hourly);
  EXPECT_FALSE(hourly->daily);
  EXPECT_EQ(hourly->startUtcMs, Utc(2021, 6, 30, 9));
  EXPECT_EQ(hourly->endUtcMs, Utc(2021, 6, 30, 10));
  const auto daily = ParseRecordingName("20210630Z.skvdr");
  ASSERT_TRUE(daily);
  EXPECT_TRUE(daily->daily);
  EXPECT_EQ(daily->endUtcMs, Utc(2021, 7, 1, 0));
  for (const char* bad : {"20210630T24Z.skvdr", "20210230T01Z.skvdr", "2021063XT01Z.skvdr",
                          "20210630T01Z.skvdrx", "20210630T01.skvdr", "20210631Z.skvdr",
                          "20210630T01Z.skvdr.damaged", "+0210630T01Z.skvdr"})
    EXPECT_FALSE(ParseRecordingName(bad)) << bad;
}

TEST(VdrFilesTest, KeptPeriods) {
  const std::pair<const char*, std::optional<int64_t>> cases[] = {
      {"30 days", 30 * 86400}, {"1 day", 86400},        {"12 hours", 12 * 3600},
      {"90 min", 5400},        {"2 weeks", 14 * 86400}, {"45 s", 45},
      {"7", 7 * 86400},        {" 3 Days ", 3 * 86400}, {"1.5 d", 129600},
      {"forever", std::nullopt}, {"", std::nullopt},    {"-2 days", std::nullopt},
      {"5 parsecs", std::nullopt}, {"3 months", 7889238}, {"1 year", 31556952},
      {"1e9 years", std::nullopt},
  };
  for (const auto& [text, seconds] : cases) EXPECT_EQ(ParseKeepForSeconds(text), seconds) << text;
}

TEST(VdrFilesTest, PurgeKeepsAtLeastOneDay) {
  CTempFolder folder;
  const int64_t now = Utc(2021, 6, 30, 12);
  const auto age = [&](const char* name, int64_t hoursOld) {
    WriteFile(folder / name, "x");
    const auto when = std::chrono::file_clock::from_sys(
        std::chrono::sys_time<std::chrono::milliseconds>(
            std::chrono::milliseconds(now - hoursOld * 3'600'000)));
    std::filesystem::last_write_time(folder / name, when);
  };
  age("20210630T10Z.skvdr", 2);
  age("20210629T13Z.skvdr", 23);
  age("20210628T11Z.skvdr", 49);
  age("20210620Z.skvdr", 24 * 10);
  // What the recorder did not write stays, however old: other files, a link
  // named like a recording, a folder.
  age("notes.txt", 24 * 7 + 1);
  age("20210601T00Z.skvdr.bak", 24 * 30);
  age("outside.skvdr", 24 * 30);
  std::filesystem::create_symlink(folder / "outside.skvdr", folder / "20210602T00Z.skvdr");
  std::filesystem::create_directory(folder / "sub");
  struct Case {
    const char* keepFor;
    int64_t keptSeconds;
    int deleted;
  };
  // Each purge removes what is older than its period; later cases see what remains.
  const Case cases[] = {{"30 days", 30 * 86400, 0}, {"3 days", 3 * 86400, 1},
                        {"1 hour", 86400, 1}, {"nonsense", 86400, 0}};
  for (const auto& c : cases) {
    const PurgeResult result = PurgeRecordings(folder.Path(), c.keepFor, now);
    EXPECT_EQ(result.keptForSeconds, c.keptSeconds) << c.keepFor;
    EXPECT_EQ(result.deleted, c.deleted) << c.keepFor;
  }
  EXPECT_TRUE(std::filesystem::exists(folder / "20210630T10Z.skvdr"));
  EXPECT_TRUE(std::filesystem::exists(folder / "20210629T13Z.skvdr"));
  EXPECT_FALSE(std::filesystem::exists(folder / "20210628T11Z.skvdr"));
  EXPECT_FALSE(std::filesystem::exists(folder / "20210620Z.skvdr"));
  for (const char* kept : {"notes.txt", "20210601T00Z.skvdr.bak", "outside.skvdr",
                           "20210602T00Z.skvdr"})
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(folder / kept))) << kept;
  EXPECT_TRUE(std::filesystem::is_directory(folder / "sub"));
  EXPECT_EQ(PurgeRecordings(folder / "missing", "1 day", now).deleted, 0);
}

TEST(VdrFilesTest, ListingAndFindingFiles) {
  CTempFolder folder;
  for (const char* name : {"20210630T14Z.skvdr", "20210630Z.skvdr", "20210629T23Z.skvdr",
                           "notes.txt", "20210630T13Z.skvdr"})
    WriteFile(folder / name, "");
  const auto files = ListRecordingFiles(folder.Path());
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].path.filename(), "20210629T23Z.skvdr");
  EXPECT_EQ(files[1].path.filename(), "20210630Z.skvdr");
  EXPECT_EQ(files[2].path.filename(), "20210630T13Z.skvdr");
  EXPECT_EQ(FindRecordingFile(folder.Path(), Utc(2021, 6, 30, 14, 30))->path.filename(),
            "20210630Z.skvdr");
  EXPECT_EQ(FindRecordingFile(folder.Path(), Utc(2021, 6, 29, 23, 59))->path.filename(),
            "20210629T23Z.skvdr");
  EXPECT_FALSE(FindRecordingFile(folder.Path(), Utc(2021, 6, 29, 22)));
}

TEST(VdrFilesTest, DayListPage) {
  CTempFolder folder;
  CSimulatedClock clock(0, Utc(2021, 6, 30, 8, 15, 30));
  CScopedClock scoped(clock);
  {
    CVoyageRecorder recorder(folder.Path());
    recorder.Record(VdrKind::Nmea0183, "$A");
    clock.SetUtcMs(Utc(2021, 6, 30, 17, 42, 10));
    recorder.Record(VdrKind::Nmea0183, "$B");
    clock.SetUtcMs(Utc(2021, 7, 1, 0, 5));
    recorder.Record(VdrKind::Nmea0183, "$C");
  }
  WriteFile(folder / "20210702T01Z.skvdr", "");  // no records: no day
  const auto days = ListRecordingDays(folder.Path());
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0].firstUtcMs, Utc(2021, 6, 30, 8, 15, 30));
  EXPECT_EQ(days[0].lastUtcMs, Utc(2021, 6, 30, 17, 42, 10));
  const std::string html = BuildVoyageRecordingsPage(days, "my boat");
  const std::string expected =
      "<div class='month-list-item'><b>June</b> 2021</div>"
      "<a href='play?vessel=my%20boat&start=20210630T081500'>"
      "<span class='day'>Wednesday 30</span><span class='times'>08:15 - 17:42</span></a>"
      "<div class='month-list-item'><b>July</b> 2021</div>"
      "<a href='play?vessel=my%20boat&start=20210701T000500'>"
      "<span class='day'>Thursday 1</span><span class='times'>00:05 - 00:05</span></a>";
  EXPECT_NE(html.find(expected), std::string::npos) << html;
  EXPECT_NE(BuildVoyageRecordingsPage({}, "x").find("No voyage data"), std::string::npos);
}

// A folder the page or the command line names for recordings: the recorder
// writes and purges there, so it must be new, empty or a recordings folder.
TEST(VdrFilesTest, RecordingsFolderChoice) {
  CTempFolder base;
  std::filesystem::create_directory(base / "empty");
  std::filesystem::create_directory(base / "recordings");
  WriteFile(base / "recordings" / "20210630T10Z.skvdr", "x");
  std::filesystem::create_directory(base / "home");
  WriteFile(base / "home" / ".bashrc", "x");
  WriteFile(base / "file", "x");
  std::filesystem::create_directory_symlink(base / "recordings", base / "link");
  const struct {
    std::filesystem::path folder;
    bool accepted;
  } cases[] = {
      {base / "new" / "DataLog", true}, {base / "empty", true},  {base / "recordings", true},
      {base / "home", false},           {base / "file", false},  {base / "link", false},
      {"DataLog", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckRecordingsFolderChoice(c.folder).empty(), c.accepted) << c.folder;
}

}  // namespace
}  // namespace tarnwick
