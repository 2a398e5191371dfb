// Writing and reading voyage data recordings: header and record bytes, the
// minute index, hour rollover, daily-file continuation and damaged files.

#include "recording/vdr/VoyageRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/Clock.h"
#include "core/Setting.h"
#include "core/tests/support/TestSupport.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VdrFileReader.h"
#include "recording/vdr/VdrFiles.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;
using testing::ReadFile;
using testing::WriteFile;

int64_t Utc(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
  return MakeUtcMs(UtcParts{year, month, day, hour, minute, second, ms});
}

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

std::vector<VdrRecord> ReadAll(const std::filesystem::path& path) {
  CVdrFileReader reader;
  std::vector<VdrRecord> records;
  if (!reader.Open(path)) return records;
  while (auto record = reader.Next()) records.push_back(std::move(*record));
  return records;
}

class VoyageRecorderTest : public ::testing::Test {
 protected:
  CTempFolder folder_;
  CSimulatedClock clock_{1000, Utc(2021, 6, 30, 13, 5, 7, 250)};
  CScopedClock scoped_{clock_};
};

TEST_F(VoyageRecorderTest, FirstRecordWritesHeaderIndexAndRecordBytes) {
  CVoyageRecorder recorder(folder_.Path());
  ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$GPRMC"));
  recorder.Close();
  const std::string bytes = ReadFile(folder_ / "20210630T13Z.skvdr");
  ASSERT_EQ(bytes.size(), 256u + 4u + 6u);
  const std::string expectedHeader("VDR4\x07\xE5\x06\x1E\x00\x0D\x00\x0E\x3C\x00\x00\x00", 16);
  EXPECT_EQ(bytes.substr(0, 16), expectedHeader);
  // Minute 5 of hour 13 points at the first record, right after the header.
  const size_t slot5 = 16 + 5 * 4;
  EXPECT_EQ(bytes.substr(slot5, 4), std::string("\x00\x00\x01\x00", 4));
  for (size_t offset = 16; offset < 256; offset += 4)
    if (offset != slot5) {
      EXPECT_EQ(bytes.substr(offset, 4), std::string(4, '\0')) << offset;
    }
  // 7.250 s = 7250 ms = 0x1C52; form 1 kind 1 = 0x41; length 6.
  EXPECT_EQ(bytes.substr(256, 4), std::string("\x1C\x52\x41\x06", 4));
  EXPECT_EQ(bytes.substr(260), "$GPRMC");
}

TEST_F(VoyageRecorderTest, PayloadFormsAtTheShortLengthLimit) {
  struct Case {
    size_t length;
    std::string prefixTail;  // form-and-kind byte and length bytes
  };
  const Case cases[] = {
      {0, std::string("\x42\x00", 2)},
      {255, std::string("\x42\xFF", 2)},
      {256, std::string("\x82\x00\x01\x00", 4)},
      {70000, std::string("\x82\x01\x11\x70", 4)},
  };
  for (const auto& c : cases) {
    CTempFolder folder;
    CVoyageRecorder recorder(folder.Path());
    const std::string payload(c.length, 'x');
    ASSERT_TRUE(recorder.Record(2, payload.data(), payload.size()));
    recorder.Close();
    const std::string bytes = ReadFile(folder / "20210630T13Z.skvdr");
    EXPECT_EQ(bytes.size(), 256 + 2 + c.prefixTail.size() + c.length) << c.length;
    EXPECT_EQ(bytes.substr(258, c.prefixTail.size()), c.prefixTail) << c.length;
    const auto records = ReadAll(folder / "20210630T13Z.skvdr");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].payload.size(), c.length);
    EXPECT_EQ(records[0].kind, 2);
  }
}

TEST_F(VoyageRecorderTest, TwoBuffersAreOnePayload) {
  CVoyageRecorder recorder(folder_.Path());
  const uint8_t header[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const uint8_t data[3] = {9, 10, 11};
  ASSERT_TRUE(recorder.Record(2, header, 8, data, 3));
  const auto records = ReadAll(folder_ / "20210630T13Z.skvdr");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].payload, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST_F(VoyageRecorderTest, InvalidKindOrSizeIsDroppedAndRecordingGoesOn) {
  CVoyageRecorder recorder(folder_.Path());
  EXPECT_FALSE(recorder.Record(64, "x", 1));
  EXPECT_FALSE(recorder.Record(-1, "x", 1));
  EXPECT_FALSE(recorder.Record(1, nullptr, 5));
  EXPECT_TRUE(recorder.Record(VdrKind::Nmea0183, "$GPGGA"));
  EXPECT_EQ(recorder.RecordsDropped(), 3u);
  EXPECT_EQ(recorder.RecordsWritten(), 1u);
}

TEST_F(VoyageRecorderTest, RecordTimesAndIndexAcrossMinutesAndHours) {
  CVoyageRecorder recorder(folder_.Path());
  const int64_t times[] = {
      Utc(2021, 6, 30, 13, 0, 0, 0),     Utc(2021, 6, 30, 13, 0, 59, 999),
      Utc(2021, 6, 30, 13, 1, 0, 1),     Utc(2021, 6, 30, 13, 42, 30, 500),
      Utc(2021, 6, 30, 13, 59, 59, 999), Utc(2021, 6, 30, 14, 0, 0, 0),
      Utc(2021, 6, 30, 14, 0, 0, 1),
  };
  for (size_t i = 0; i < std::size(times); ++i) {
    clock_.SetUtcMs(times[i]);
    ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$R" + std::to_string(i)));
  }
  recorder.Close();
  const auto hour13 = ReadAll(folder_ / "20210630T13Z.skvdr");
  const auto hour14 = ReadAll(folder_ / "20210630T14Z.skvdr");
  ASSERT_EQ(hour13.size(), 5u);
  ASSERT_EQ(hour14.size(), 2u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(hour13[i].utcMs, times[i]) << i;
  for (size_t i = 0; i < 2; ++i) EXPECT_EQ(hour14[i].utcMs, times[5 + i]) << i;
  EXPECT_EQ(hour14[1].payload, Bytes("$R6"));

  const std::string bytes = ReadFile(folder_ / "20210630T14Z.skvdr");
  EXPECT_EQ(bytes.substr(8, 4), std::string("\x00\x0E\x00\x0F", 4));  // hours 14 to 15

  CVdrFileReader reader;
  ASSERT_TRUE(reader.Open(folder_ / "20210630T13Z.skvdr"));
  EXPECT_TRUE(reader.HasIndexEntry(Utc(2021, 6, 30, 13, 42, 0)));
  EXPECT_FALSE(reader.HasIndexEntry(Utc(2021, 6, 30, 13, 41, 0)));
  reader.SeekTo(Utc(2021, 6, 30, 13, 10, 0));
  auto next = reader.Next();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->utcMs, times[3]);
  reader.SeekTo(Utc(2021, 6, 30, 13, 0, 30));
  next = reader.Next();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->utcMs, times[1]);
  EXPECT_EQ(reader.LastRecordTime(), times[4]);
}

TEST_F(VoyageRecorderTest, ReopeningAppendsToTheHourAndKeepsItsIndex) {
  {
    CVoyageRecorder recorder(folder_.Path());
    ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$FIRST"));
  }
  clock_.Advance(60'000);
  {
    CVoyageRecorder recorder(folder_.Path());
    ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$SECOND"));
  }
  const auto records = ReadAll(folder_ / "20210630T13Z.skvdr");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].payload, Bytes("$FIRST"));
  EXPECT_EQ(records[1].utcMs, Utc(2021, 6, 30, 13, 6, 7, 250));
}

TEST_F(VoyageRecorderTest, IncompleteLastRecordIsCutBeforeAppending) {
  {
    CVoyageRecorder recorder(folder_.Path());
    ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$COMPLETE"));
  }
  const auto path = folder_ / "20210630T13Z.skvdr";
  std::string bytes = ReadFile(path);
  WriteFile(path, bytes + std::string("\x1C\x52\x41\x20$PARTIAL", 12));
  EXPECT_EQ(ReadAll(path).size(), 1u);
  clock_.Advance(5);
  {
    CVoyageRecorder recorder(folder_.Path());
    ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$AFTER"));
  }
  const auto records = ReadAll(path);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].payload, Bytes("$AFTER"));
}

TEST_F(VoyageRecorderTest, DailyFileOfTheDayIsContinued) {
  // An empty "VDR3" daily file with today's date.
  std::string header(11536, '\0');
  header.replace(0, 8, std::string("VDR3\x07\xE5\x06\x1E", 8));
  WriteFile(folder_ / "20210630Z.skvdr", header);
  CVoyageRecorder recorder(folder_.Path());
  ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$DAILY"));
  EXPECT_EQ(recorder.CurrentFile(), folder_ / "20210630Z.skvdr");
  recorder.Close();
  EXPECT_FALSE(std::filesystem::exists(folder_ / "20210630T13Z.skvdr"));
  const std::string bytes = ReadFile(folder_ / "20210630Z.skvdr");
  // Minute 13 * 60 + 5 = 785 holds the 64-bit offset 11536 (0x2D10).
  EXPECT_EQ(bytes.substr(16 + 785 * 8, 8), std::string("\0\0\0\0\0\0\x2D\x10", 8));
  const auto records = ReadAll(folder_ / "20210630Z.skvdr");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].utcMs, Utc(2021, 6, 30, 13, 5, 7, 250));
}

TEST_F(VoyageRecorderTest, Vdr2DailyFileIndexLiesAtOffsetEight) {
  std::string header(5768, '\0');
  header.replace(0, 8, std::string("VDR2\x07\xE5\x06\x1E", 8));
  WriteFile(folder_ / "20210630Z.skvdr", header);
  CVoyageRecorder recorder(folder_.Path());
  ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$V2"));
  recorder.Close();
  const std::string bytes = ReadFile(folder_ / "20210630Z.skvdr");
  EXPECT_EQ(bytes.substr(8 + 785 * 4, 4), std::string("\0\0\x16\x88", 4));
  EXPECT_EQ(ReadAll(folder_ / "20210630Z.skvdr").at(0).utcMs, Utc(2021, 6, 30, 13, 5, 7, 250));
}

TEST_F(VoyageRecorderTest, DailyFileOfAnotherDateIsNotUsed) {
  std::string header(11536, '\0');
  header.replace(0, 8, std::string("VDR3\x07\xE5\x06\x1D", 8));  // 29 June
  WriteFile(folder_ / "20210630Z.skvdr", header);
  CVoyageRecorder recorder(folder_.Path());
  ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$X"));
  EXPECT_EQ(recorder.CurrentFile(), folder_ / "20210630T13Z.skvdr");
  EXPECT_EQ(ReadFile(folder_ / "20210630Z.skvdr"), header);
}

TEST_F(VoyageRecorderTest, ForeignFileUnderTheHourlyNameIsKeptAside) {
  WriteFile(folder_ / "20210630T13Z.skvdr", "not a recording at all");
  CVoyageRecorder recorder(folder_.Path());
  ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$X"));
  EXPECT_EQ(ReadFile(folder_ / "20210630T13Z.skvdr.damaged"), "not a recording at all");
  EXPECT_EQ(ReadAll(folder_ / "20210630T13Z.skvdr").size(), 1u);
}

TEST_F(VoyageRecorderTest, UnwritableFolderDropsRecordsThenRecovers) {
  const auto blocked = folder_ / "blocked";
  WriteFile(blocked, "a file where the folder should be");
  CVoyageRecorder recorder(blocked);
  EXPECT_FALSE(recorder.Record(VdrKind::Nmea0183, "$LOST"));
  EXPECT_FALSE(recorder.Record(VdrKind::Nmea0183, "$LOST"));
  std::filesystem::remove(blocked);
  EXPECT_TRUE(recorder.Record(VdrKind::Nmea0183, "$KEPT"));
  EXPECT_EQ(recorder.RecordsDropped(), 2u);
  EXPECT_EQ(ReadAll(blocked / "20210630T13Z.skvdr").size(), 1u);
}

TEST_F(VoyageRecorderTest, MillisecondFieldOfSixtyThousandOrMoreReadsAsZero) {
  CVoyageRecorder recorder(folder_.Path());
  ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$A"));
  recorder.Close();
  const auto path = folder_ / "20210630T13Z.skvdr";
  std::string bytes = ReadFile(path);
  bytes[256] = static_cast<char>(0xEA);  // 0xEA60 = 60000
  bytes[257] = static_cast<char>(0x60);
  WriteFile(path, bytes);
  EXPECT_EQ(ReadAll(path).at(0).utcMs, Utc(2021, 6, 30, 13, 5, 0));
}

TEST_F(VoyageRecorderTest, ReaderSkipsFormThreeRecords) {
  CVoyageRecorder recorder(folder_.Path());
  ASSERT_TRUE(recorder.Record(VdrKind::Nmea0183, "$A"));
  recorder.Close();
  const auto path = folder_ / "20210630T13Z.skvdr";
  std::string bytes = ReadFile(path);
  // Form 3, kind 5, 24-bit length 2, extra field, payload; then a form 1 record.
  bytes += std::string("\x00\x01\xC5\x00\x00\x02\xDE\xAD\xBE\xEF\x01\x02", 12);
  bytes += std::string("\x00\x02\x41\x02$B", 6);
  WriteFile(path, bytes);
  const auto records = ReadAll(path);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].payload, Bytes("$B"));
}

TEST_F(VoyageRecorderTest, RecordsFromSeveralThreadsAreWholeAndInOrder) {
  CVoyageRecorder recorder(folder_.Path());
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&recorder, &clock = clock_, t] {
      for (int i = 0; i < kEach; ++i) {
        // Thread 0 also moves time on, across minutes and into the next hour.
        if (t == 0) clock.Advance(7000);
        const std::string payload = "$T" + std::to_string(t) + "," + std::to_string(i) +
                                    (i % 9 == 0 ? std::string(300, 'x') : std::string());
        recorder.Record(VdrKind::Nmea0183, payload);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  recorder.Close();
  std::vector<int> next(kThreads, 0);
  int64_t previous = 0;
  size_t total = 0;
  for (const auto& file : ListRecordingFiles(folder_.Path())) {
    for (const auto& record : ReadAll(file.path)) {
      const std::string text(record.payload.begin(), record.payload.end());
      const int t = text[2] - '0';
      ASSERT_EQ(text.substr(0, text.find('x')),
                "$T" + std::to_string(t) + "," + std::to_string(next[t]));
      ++next[t];
      EXPECT_GE(record.utcMs, previous);
      previous = record.utcMs;
      ++total;
    }
  }
  EXPECT_EQ(total, static_cast<size_t>(kThreads * kEach));
  EXPECT_EQ(recorder.RecordsDropped(), 0u);
}

TEST_F(VoyageRecorderTest, ProducerRulesFollowTheSettings) {
  struct Case {
    const char* record;
    const char* all;
    const char* ais;
    const char* sentence;
    bool expected;
  };
  const Case cases[] = {
      {"yes", "yes", "yes", "$GPRMC,1", true}, {"no", "yes", "yes", "$GPRMC,1", false},
      {"yes", "no", "yes", "$GPRMC,1", false}, {"yes", "no", "yes", "!AIVDM,1", true},
      {"yes", "yes", "no", "!AIVDM,1", false}, {"yes", "yes", "yes", "GPRMC", false},
      {"yes", "yes", "yes", "", false},
  };
  CSetting* record = FindSetting("VDR_RecordVoyageData");
  CSetting* all = FindSetting("VDR_AllNavigationData");
  CSetting* ais = FindSetting("VDR_AIS");
  ASSERT_TRUE(record && all && ais);
  for (const auto& c : cases) {
    record->Set(c.record);
    all->Set(c.all);
    ais->Set(c.ais);
    EXPECT_EQ(ShouldRecordSentence(c.sentence), c.expected) << c.sentence << c.record << c.all;
  }
  record->ResetToDefault();
  all->ResetToDefault();
  ais->ResetToDefault();
}

}  // namespace
}  // namespace tarnwick
