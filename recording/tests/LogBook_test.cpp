// The logbook: entry content JSON, the direct and collected add forms, track
// points, the log page and the "/log" query with its guarded condition.

#include "recording/logbook/LogBook.h"

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/Sqlite.h"
#include "core/tests/support/TestSupport.h"
#include "recording/UtcTime.h"
#include "recording/VirtualTime.h"
#include "recording/logbook/LogEntry.h"
#include "recording/logbook/LogQuery.h"
#include "recording/logbook/TrackRecorder.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;

TEST(LogEntryTest, NumbersLoseTrailingZerosAndPoint) {
  const std::pair<double, const char*> cases[] = {
      {12.5, "12.5"},   {3.0, "3"},         {0.0, "0"},
      {-0.25, "-0.25"}, {1e-9, "0"},        {47.123456789, "47.12345679"},
      {100.0, "100"},   {-122.4, "-122.4"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatLogNumber(value), text) << value;
}

TEST(LogEntryTest, ContentJsonEscapesValuesOnlyAndKeepsFieldOrder) {
  LogEntry entry(kLogAisMessage);
  entry.AddText("from", "367001234");
  entry.AddText("message", "say \"hi\" \\ bye");
  entry.AddNumber("sog", 6.5);
  entry.AddText("from", "2");  // replaces, keeps position
  EXPECT_EQ(entry.ContentJson(), R"({"from":"2","message":"say \"hi\" \\ bye","sog":"6.5"})");
  EXPECT_EQ(BuildContentJson({}), "{}");
  EXPECT_EQ(entry.Category(), 3);
  EXPECT_EQ(entry.Type(), 2);
}

TEST(LogEntryTest, ParsesFlatObjectsAndRejectsOthers) {
  const auto fields = ParseContentJson(R"( {"a":"x\"y","b":12.5,"c":true,"d":"\u00e9"} )");
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0].value, "x\"y");
  EXPECT_EQ(fields[1].value, "12.5");
  EXPECT_EQ(fields[2].value, "true");
  EXPECT_EQ(fields[3].value, "\xC3\xA9");
  for (const char* bad : {"", "{", "[1]", R"({"a":{"b":"c"}})", R"({"a":"b"} x)", R"({"a" "b"})",
                          R"({"a":"\q"})", "null"})
    EXPECT_TRUE(ParseContentJson(bad).empty()) << bad;
  EXPECT_TRUE(ParseContentJson("{}").empty());
}

TEST(LogEntryTest, NamesOfEntryCodes) {
  EXPECT_STREQ(LogEntryName(1, 1), "Application Started");
  EXPECT_STREQ(LogEntryName(3, 2), "AIS Message");
  EXPECT_STREQ(LogEntryName(5, 1), "Track");
  EXPECT_EQ(LogEntryName(3, 1), nullptr);
  EXPECT_EQ(LogEntryName(9, 9), nullptr);
}

class LogBookTest : public ::testing::Test {
 protected:
  // Reads one row of a query on a separate connection.
  std::vector<std::string> Row(const std::string& sql) {
    CSqliteDatabase db;
    db.Open(book_.Path(), SQLITE_OPEN_READONLY);
    CSqliteStatement statement(db, sql);
    std::vector<std::string> values;
    if (statement.Step() != SQLITE_ROW) return values;
    for (int i = 0; i < statement.ColumnCount(); ++i)
      values.push_back(statement.IsNull(i) ? "NULL" : statement.Text(i));
    return values;
  }
  // Inserts an entry with a given creation time.
  void Insert(const std::string& created, int category, int type, const char* content,
              const char* parent = "NULL") {
    CSqliteDatabase db;
    db.Open(book_.Path());
    db.Exec("PRAGMA synchronous=OFF;");
    std::string sql = "INSERT INTO Entries (created, category, type, content, parent) VALUES ('" +
                      created + "'," + std::to_string(category) + "," + std::to_string(type) + "," +
                      (content ? "'" + std::string(content) + "'" : "NULL") + "," + parent + ");";
    ASSERT_EQ(db.Exec(sql), SQLITE_OK) << sql;
  }

  CTempFolder folder_;
  CLogBook book_{folder_ / "log.db"};
  CSimulatedClock clock_{5000, MakeUtcMs(UtcParts{2021, 6, 30, 14, 5, 0, 0})};
  CScopedClock scoped_{clock_};
};

TEST_F(LogBookTest, OpensWithWalAndTheSchema) {
  ASSERT_TRUE(book_.Open());
  EXPECT_EQ(Row("PRAGMA journal_mode;"), std::vector<std::string>{"wal"});
  EXPECT_EQ(Row("SELECT count(*) FROM sqlite_master WHERE name IN "
                "('Entries','Track','IdxEntriesCreated');"),
            std::vector<std::string>{"3"});
}

TEST_F(LogBookTest, DirectFormWritesNullsForNoContentAndNoParent) {
  EXPECT_EQ(book_.LastWriteTick(), 0u);
  const auto id = book_.AddEntry(1, 1, std::nullopt, 0);
  ASSERT_TRUE(id);
  EXPECT_EQ(book_.LastWriteTick(), 5000u);
  clock_.Advance(10);
  const auto child = book_.AddEntry(4, 2, R"({"k":"v"})", *id);
  ASSERT_TRUE(child);
  EXPECT_EQ(book_.LastWriteTick(), 5010u);
  EXPECT_EQ(
      Row("SELECT parent, category, type, content FROM Entries WHERE ROWID=" + std::to_string(*id)),
      (std::vector<std::string>{"NULL", "1", "1", "NULL"}));
  EXPECT_EQ(Row("SELECT parent, content FROM Entries WHERE ROWID=" + std::to_string(*child)),
            (std::vector<std::string>{std::to_string(*id), R"({"k":"v"})"}));
  const auto created = Row("SELECT created FROM Entries LIMIT 1").at(0);
  int y, mo, d, h, mi, s;
  EXPECT_EQ(sscanf(created.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s), 6) << created;
}

TEST_F(LogBookTest, CollectedFormWritesNothingWhenEmpty) {
  LogEntry empty(kLogSensorAlarm);
  EXPECT_FALSE(book_.Write(empty));
  EXPECT_EQ(book_.LastWriteTick(), 0u);
  LogEntry alarm(kLogSensorAlarm);
  alarm.AddText("message", "c:\\path \"x\"");
  ASSERT_TRUE(book_.Write(alarm));
  EXPECT_EQ(Row("SELECT category, type, content FROM Entries"),
            (std::vector<std::string>{"4", "1", R"({"message":"c:\\path \"x\""})"}));
}

TEST_F(LogBookTest, UnopenableDatabaseWritesNothing) {
  CLogBook book(folder_ / "missing" / "folder" / "log.db");
  EXPECT_FALSE(book.AddEntry(1, 1, std::nullopt));
  EXPECT_FALSE(book.AddTrackPoint({}));
  EXPECT_EQ(book.LastWriteTick(), 0u);
}

TEST_F(LogBookTest, TrackPointOncePerUtcMinuteWithNullsForMissingValues) {
  CTrackRecorder track(book_);
  OwnShipSample sample;
  sample.positionValid = true;
  sample.position = {50.5, -1.25};
  sample.sog = 6.5;
  sample.cog = 270;
  EXPECT_FALSE(track.OnTimer(std::nullopt));  // no navigation data store
  EXPECT_TRUE(track.OnTimer(sample));
  clock_.Advance(59'000);  // 14:05:59, same minute
  EXPECT_FALSE(track.OnTimer(sample));
  EXPECT_EQ(Row("SELECT lat, lon, sog, cog, hdg, dpt FROM Track"),
            (std::vector<std::string>{"50.5", "-1.25", "6.5", "270.0", "NULL", "NULL"}));
  EXPECT_EQ(Row("SELECT category, type, parent, content FROM Entries"),
            (std::vector<std::string>{"5", "1", "NULL",
                                      R"({"lat":"50.5","lon":"-1.25","sog":"6.5","cog":"270"})"}));

  clock_.Advance(1000);  // 14:06:00
  sample.heading = 268.5;
  sample.depth = 12;
  VirtualTime().Set(0);
  EXPECT_FALSE(track.OnTimer(sample));
  VirtualTime().End();
  EXPECT_TRUE(track.OnTimer(sample));
  EXPECT_EQ(Row("SELECT count(*), max(hdg), max(dpt) FROM Track"),
            (std::vector<std::string>{"2", "268.5", "12.0"}));
  EXPECT_EQ(Row("SELECT content FROM Entries ORDER BY ROWID DESC LIMIT 1").at(0),
            R"({"lat":"50.5","lon":"-1.25","sog":"6.5","cog":"270","hdg":"268.5","dpt":"12"})");

  clock_.Advance(60'000);
  sample.positionValid = false;
  EXPECT_FALSE(track.OnTimer(sample));
}

TEST_F(LogBookTest, ProgramEntries) {
  LogAisSafetyMessage(book_, "367001234", "SEA \"WOLF\"", "MOB");
  EXPECT_EQ(Row("SELECT category, type, content FROM Entries").at(2),
            R"({"from":"367001234","from_name":"SEA \"WOLF\"","message":"MOB"})");
  LogApplicationExit(book_);
  EXPECT_EQ(Row("SELECT category, type, content FROM Entries ORDER BY ROWID DESC"),
            (std::vector<std::string>{"1", "2", "NULL"}));
}

TEST_F(LogBookTest, QueryDefaultsToTopLevelEntriesAsCsv) {
  ASSERT_TRUE(book_.Open());
  Insert("2021-06-30 14:05:00", 1, 1, nullptr);
  Insert("2021-06-30 14:00:00", 3, 2, R"({"from":"1","message":"a,b"})");
  Insert("2021-06-30 14:07:00", 4, 1, nullptr, "1");
  const HttpReply reply = RunLogQuery(book_.Path(), {});
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.contentType, "text/csv");
  ASSERT_EQ(reply.headers.size(), 1u);
  EXPECT_EQ(reply.headers[0].name, "Cache-Control");
  EXPECT_EQ(reply.headers[0].value, "no-cache");
  EXPECT_EQ(reply.body, "2021-06-30 14:00:00,3,2\r\n2021-06-30 14:05:00,1,1\r\n");
}

TEST_F(LogBookTest, QueryColumnsFormatsAndQuoting) {
  ASSERT_TRUE(book_.Open());
  Insert("2021-06-30 14:00:00", 3, 2, R"({"from":"1","message":"say \"a,b\"","x":"<i>"})");
  Insert("2021-06-30 14:01:00", 1, 1, nullptr);
  struct Case {
    QueryParams params;
    std::string body;
  };
  const Case cases[] = {
      {{{"cols", "ROWID,Category,message,missing"}}, "1,3,\"say \"\"a,b\"\"\",\r\n2,1,,\r\n"},
      {{{"cols", "content"}, {"where", "category = 1"}}, "\r\n"},
      {{{"cols", "from, type"}, {"where", "json_extract(content,'$.from') = '1'"}}, "1,2\r\n"},
      {{{"cols", "x"}, {"where", "ROWID = 1"}, {"format", "htm"}},
       "<body><table><tr><td>&lt;i&gt;</td></tr></table></body>"},
      {{{"where", "0"}, {"format", "htm"}}, "<body><table></table></body>"},
  };
  for (const auto& c : cases) {
    const HttpReply reply = RunLogQuery(book_.Path(), c.params);
    EXPECT_EQ(reply.status, 200) << reply.body;
    EXPECT_EQ(reply.body, c.body);
    EXPECT_EQ(reply.contentType, c.params.count("format") ? "text/html" : "text/csv");
  }
}

TEST_F(LogBookTest, ConditionCannotChangeOrReadAnythingElse) {
  ASSERT_TRUE(book_.Open());
  Insert("2021-06-30 14:00:00", 1, 1, nullptr);
  ASSERT_TRUE(book_.AddTrackPoint({{50, 1}, 5, 90, std::nullopt, std::nullopt}));
  const char* attacks[] = {
      "1); DELETE FROM Entries; --",
      "1; DELETE FROM Entries",
      "1 ORDER BY created; DROP TABLE Entries",
      "(SELECT count(*) FROM sqlite_master) > 0",
      "ROWID IN (SELECT ROWID FROM Track)",
      "EXISTS (SELECT 1 FROM Track)",
      "load_extension('/tmp/x.so') IS NULL",
      "length(zeroblob(1000000000)) > 0",
      "1 UNION SELECT name, sql, 0, 0, 0 FROM sqlite_master",
      "ROWID IN (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT x FROM c)",
      "(SELECT count(*) FROM pragma_table_info('Track')) > 0",
      // Single calls that would run for seconds, where no time limit reaches.
      "length(printf('%.*c', 2000000000, 'x')) > 0",
      "instr(replace(content, 'a', 'aaaaaaaaaaaaaaaa'), 'b') > 0",
      "",
  };
  for (const char* where : attacks) {
    if (!*where) continue;
    const HttpReply reply = RunLogQuery(book_.Path(), {{"where", where}});
    EXPECT_EQ(reply.status, 400) << where << " -> " << reply.body;
    EXPECT_FALSE(reply.body.empty()) << where;
    EXPECT_EQ(reply.contentType, "text/plain");
  }
  EXPECT_EQ(Row("SELECT count(*) FROM Entries"), std::vector<std::string>{"1"});
  EXPECT_EQ(Row("SELECT count(*) FROM Track"), std::vector<std::string>{"1"});
}

TEST_F(LogBookTest, RunawayConditionIsInterrupted) {
  ASSERT_TRUE(book_.Open());
  for (int i = 0; i < 60; ++i) Insert("2021-06-30 14:00:00", 1, 1, nullptr);
  const HttpReply reply = RunLogQuery(
      book_.Path(),
      {{"where",
        "(SELECT count(*) FROM Entries a, Entries b, Entries c, Entries d, Entries e) > 0"}},
      50);
  EXPECT_EQ(reply.status, 400);
  EXPECT_EQ(reply.body, "interrupted");
}

TEST_F(LogBookTest, QueryWithoutLogbookStillChecksTheCondition) {
  CTempFolder empty;
  EXPECT_EQ(RunLogQuery(empty / "log.db", {}).body, "");
  EXPECT_EQ(RunLogQuery(empty / "log.db", {{"where", "1); DELETE FROM Entries; --"}}).status, 400);
  EXPECT_FALSE(std::filesystem::exists(empty / "log.db"));
}

TEST_F(LogBookTest, PageOffersOlderEntriesOnlyAfterExactlyFiftyRows) {
  ASSERT_TRUE(book_.Open());
  for (int i = 0; i < 49; ++i) {
    char created[32];
    snprintf(created, sizeof created, "2021-06-%02d 12:00:%02d", 1 + i / 10, i % 60);
    Insert(created, 1, 1, nullptr);
  }
  testing::CScopedEnv tz("TZ", "UTC");
  tzset();
  LogPage page = BuildLogPage(book_.Path(), 0, std::nullopt);
  EXPECT_EQ(page.rows, 49);
  EXPECT_EQ(page.html.find("Older Entries"), std::string::npos);
  Insert("2021-05-31 23:59:59", 9, 7, R"({"a":"<b>"})");
  page = BuildLogPage(book_.Path(), 0, std::nullopt);
  EXPECT_EQ(page.rows, 50);
  EXPECT_NE(page.html.find("<p><input type=\"button\" ref=\"browser:log?page=1\"><label>Older "
                           "Entries</label></input></p>"),
            std::string::npos);
  EXPECT_NE(page.html.find("<b>May 31, 2021</b>"), std::string::npos);
  EXPECT_NE(page.html.find("<div>23:59:59 <b>Type 9/7</b></div>"), std::string::npos);
  EXPECT_NE(page.html.find("{&quot;a&quot;:&quot;&lt;b&gt;&quot;}"), std::string::npos);
  EXPECT_NE(page.html.find("<a href=\"browser:log?parent=50\">"), std::string::npos);
  EXPECT_EQ(page.html.rfind("</body>"), page.html.size() - 7);
  // Newest first: 5 June comes before 1 June; one header per day.
  EXPECT_LT(page.html.find("June 5, 2021"), page.html.find("June 1, 2021"));
  size_t headers = 0;
  for (size_t at = page.html.find("<b>June"); at != std::string::npos;
       at = page.html.find("<b>June", at + 1))
    ++headers;
  EXPECT_EQ(headers, 5u);
  EXPECT_EQ(BuildLogPage(book_.Path(), 1, std::nullopt).rows, 0);
}

TEST_F(LogBookTest, PageOfChildren) {
  ASSERT_TRUE(book_.Open());
  Insert("2021-06-30 14:00:00", 1, 1, nullptr);
  Insert("2021-06-30 14:01:00", 4, 1, nullptr, "1");
  EXPECT_EQ(BuildLogPage(book_.Path(), 0, std::nullopt).rows, 1);
  EXPECT_EQ(BuildLogPage(book_.Path(), 0, "1").rows, 1);
  EXPECT_NE(BuildLogPage(book_.Path(), 0, "1").html.find("Sensor Alarm"), std::string::npos);
  EXPECT_EQ(BuildLogPage(book_.Path(), 0, "1 OR 1=1").rows, 0);
}

}  // namespace
}  // namespace tarnwick
