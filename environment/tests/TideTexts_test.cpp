// The texts of predictions: the day's event table, slack labels with and
// without maxima, chart labels, offsets, the instrument values of a station.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "environment/tides/TideTexts.h"

namespace tarnwick {
namespace {

// Local times in these tests are Seattle's.
class TideTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "America/Los_Angeles", 1);
    tzset();
  }
};

constexpr int64_t kJan1Pst = 1704096000;  // 2024-01-01 00:00 PST

TideEvent Event(int type, int64_t t, double value) {
  TideEvent e;
  e.type = type;
  e.time = t;
  e.value = value;
  return e;
}

TEST_F(TideTexts, DayTableOfATideStation) {
  EXPECT_EQ(LocalDayStart(kJan1Pst + 5 * 3600), kJan1Pst);
  EXPECT_EQ(NextLocalDayStart(kJan1Pst), kJan1Pst + 86400);
  const std::vector<TideEvent> events = {Event(kTideLow, kJan1Pst + 5700, 0.66),
                                         Event(kTideHigh, kJan1Pst + 32220, 11.96)};
  EXPECT_EQ(EventTableHtml(events, TideStationKind::Tide, "feet", kJan1Pst),
            "<div class='mod-title'>Monday January 1, 2024</div>"
            "<p>01:35 <b>LOW 0.7 ft</b></p><p>08:57 <b>HIGH 12.0 ft</b></p>"
            "<div><span class='timezone'>All Times in PST</span></div>");
  // In July the daylight name is used.
  EXPECT_NE(EventTableHtml({}, TideStationKind::Tide, "meters", kJan1Pst + 190 * 86400).find("All Times in PDT"),
            std::string::npos);
}

TEST_F(TideTexts, SlackLabelsWithAndWithoutMaxima) {
  const TideEvent toEbb = Event(kSlackBeforeEbb, kJan1Pst + 3600, 0);
  const TideEvent toFlood = Event(kSlackBeforeFlood, kJan1Pst + 7200, 0);
  const TideEvent maxEbb = Event(kTideLow, kJan1Pst + 5400, -1.26);
  const std::string slacksOnly = EventTableHtml({toEbb, toFlood}, TideStationKind::Current, "knots", kJan1Pst);
  EXPECT_NE(slacksOnly.find("<b>SLACK (TURN TO EBB)</b>"), std::string::npos);
  EXPECT_NE(slacksOnly.find("<b>SLACK (TURN TO FLOOD)</b>"), std::string::npos);
  const std::string withMaximum =
      EventTableHtml({toEbb, maxEbb, toFlood}, TideStationKind::Current, "knots", kJan1Pst);
  EXPECT_NE(withMaximum.find("<p>01:00 <b>SLACK</b></p>"), std::string::npos);
  EXPECT_NE(withMaximum.find("<p>01:30 <b>MAX EBB 1.3 kt</b></p>"), std::string::npos);
  TideEvent unknown = Event(kTideHigh, kJan1Pst + 9000, kUnknownSpeed);
  EXPECT_NE(EventTableHtml({unknown}, TideStationKind::Current, "knots", kJan1Pst).find("<b>MAX FLOOD</b>"),
            std::string::npos);
}

TEST_F(TideTexts, LabelsAndOffsets) {
  struct Row {
    std::optional<double> value;
    TideStationKind kind;
    const char* expected;
  } rows[] = {
      {8.64, TideStationKind::Tide, "Seattle: 8.6 ft"},
      {-0.04, TideStationKind::Tide, "Seattle: -0.0 ft"},
      {1.26, TideStationKind::Current, "Seattle: 1.3 kt flood 045\u00b0T"},
      {-2.0, TideStationKind::Current, "Seattle: 2.0 kt ebb 225\u00b0T"},
      {std::nullopt, TideStationKind::Tide, "Seattle: No prediction available"},
      {kUnknownSpeed, TideStationKind::Current, "Seattle: No prediction available"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ChartLabel("Seattle", row.value, row.kind, row.kind == TideStationKind::Tide ? "feet" : "knots", 45, 225),
              row.expected);
  }
  EXPECT_EQ(SignedOffsetText(65), "+1h 5m");
  EXPECT_EQ(SignedOffsetText(-32), "-0h 32m");
  EXPECT_EQ(TimeAdjustmentText(-75), "-1 h 15 m");
  EXPECT_EQ(DirectionText(5), "005\u00b0T");
  EXPECT_EQ(DirectionText(-10), "350\u00b0T");
}

// A station whose next event is given.
class CFixedStation final : public ITideStation {
 public:
  CFixedStation(TideStationKind kind, std::vector<TideEvent> events) : events_(std::move(events)) {
    summary_.kind = kind;
  }
  const TideStationSummary& Summary() const override { return summary_; }
  std::string Units() const override { return summary_.kind == TideStationKind::Tide ? "feet" : "knots"; }
  std::optional<int> FloodDirection() const override { return 45; }
  std::optional<int> EbbDirection() const override { return 225; }
  std::optional<double> Value(int64_t) override { return summary_.kind == TideStationKind::Tide ? 4.21 : -1.234; }
  std::vector<TideEvent> Events(int64_t start, int64_t end) override {
    std::vector<TideEvent> out;
    for (const auto& e : events_) {
      if (e.time >= start && e.time <= end) out.push_back(e);
    }
    return out;
  }
  bool CanGraph() const override { return true; }
  std::optional<LevelRange> Range() override { return std::nullopt; }
  StationPageKeys PageKeys() override { return {}; }

 private:
  TideStationSummary summary_;
  std::vector<TideEvent> events_;
};

TEST_F(TideTexts, InstrumentValues) {
  const int64_t now = kJan1Pst + 22 * 3600;
  CFixedStation tide(TideStationKind::Tide, {Event(kTideHigh, kJan1Pst + 23 * 3600, 8.59)});
  TideInstrumentValues v = InstrumentValues(tide, now);
  EXPECT_EQ(v.levelText, "4.2 ft");
  EXPECT_EQ(v.trend, "rising");
  EXPECT_EQ(v.nextEventDescription, "HIGH to 8.6 ft at 23:00");
  CFixedStation tomorrow(TideStationKind::Tide, {Event(kTideLow, kJan1Pst + 25 * 3600, 0.64)});
  v = InstrumentValues(tomorrow, now);
  EXPECT_EQ(v.trend, "falling");
  EXPECT_EQ(v.nextEventDescription, "LOW to 0.6 ft at 01:00 (tomorrow)");

  CFixedStation current(TideStationKind::Current,
                        {Event(kSlackBeforeFlood, kJan1Pst + 23 * 3600, 0),
                         Event(kTideHigh, kJan1Pst + 26 * 3600, 2.5)});
  v = InstrumentValues(current, now);
  EXPECT_EQ(v.currentDescription, "1.23 kt ebb 225\u00b0T");
  EXPECT_EQ(v.nextSlackTime, kJan1Pst + 23 * 3600);
  EXPECT_EQ(v.nextEventDescription, "SLACK at 23:00");
}

}  // namespace
}  // namespace tarnwick
