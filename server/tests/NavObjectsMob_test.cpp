// Man overboard from a device's MOB sentence to the alarm: the mark at the
// reported position, navigation to it, the logbook entry, the alarm spoken
// until acknowledged, and the reports that must not raise it.

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/Storage.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/MobReports.h"
#include "instruments/nmea/NavSource.h"
#include "recording/logbook/LogEntry.h"
#include "server/NavObjectsMob.h"

namespace tarnwick {
namespace {

class ManOverboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Storage().Open(temp_ / "storage.db"));
    MobReports().Take();
    documents_.OpenFolder();
    ManOverboardContext context;
    context.documents = [this] { return &documents_; };
    context.ownPosition = [] { return LatLon{60.0, 24.0}; };
    context.navigateTo = [this](const std::shared_ptr<CNavObject>& mark) {
      navigatingTo_ = mark;
      return true;
    };
    context.writeLog = [this](const LogEntry& entry) { log_.push_back(entry.ContentJson()); };
    context.takeReports = [] { return MobReports().Take(); };
    context.speak = [this](const std::string& text) { spoken_.push_back(text); };
    mob_ = std::make_unique<CManOverboard>(context);
  }
  void TearDown() override { Storage().Close(); }
  void Receive(const char* sentence) {
    DecodeNMEA(source_, ReceiveTime{1000, 0}, sentence, nullptr, NmeaDecoderHooks{});
  }

  testing::CTempFolder temp_;
  CNavDocuments documents_{temp_.Path() / "NavObjects"};
  CNavSource source_;
  std::unique_ptr<CManOverboard> mob_;
  std::shared_ptr<CNavObject> navigatingTo_;
  std::vector<std::string> log_;
  std::vector<std::string> spoken_;
};

TEST_F(ManOverboardTest, ADevicesReportRaisesTheAlarmUntilAcknowledged) {
  const int64_t t0 = 1'717'243'500'000;
  Receive("$CRMOB,1A2B3,A,123000.00,1,240125,123010.00,4807.038,N,01131.000,E,045.0,2.5,"
          "123456789,0");
  mob_->Tick(t0);
  auto mark = std::dynamic_pointer_cast<CMark>(navigatingTo_);
  ASSERT_TRUE(mark);
  EXPECT_NEAR(mark->position.lat, 48.1173, 1e-4);
  EXPECT_NEAR(mark->position.lon, 11.5167, 1e-4);
  EXPECT_EQ(documents_.LayerOf(*mark), &documents_.DefaultLayer());
  EXPECT_FALSE(documents_.DefaultLayer().IsModified());  // saved at once
  EXPECT_FALSE(documents_.Undo().CanUndo());
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find("\"alarm\":\"Man overboard!\""), std::string::npos);
  EXPECT_NE(log_[0].find("MMSI 123456789"), std::string::npos);
  EXPECT_EQ(spoken_, std::vector<std::string>{"Man overboard!"});

  // Repeated every 10 s; the same activation reported again raises nothing new.
  Receive("$CRMOB,1A2B3,A,123000.00,1,240125,123020.00,4807.040,N,01131.000,E,045.0,2.5,"
          "123456789,0");
  mob_->Tick(t0 + 5000);
  EXPECT_EQ(spoken_.size(), 1u);
  mob_->Tick(t0 + 10000);
  EXPECT_EQ(spoken_.size(), 2u);
  EXPECT_EQ(log_.size(), 1u);
  EXPECT_EQ(mob_->State()["acknowledged"], false);
  EXPECT_TRUE(mob_->Acknowledge());
  mob_->Tick(t0 + 30000);
  EXPECT_EQ(spoken_.size(), 2u);
  EXPECT_FALSE(mob_->Acknowledge());
  EXPECT_EQ(mob_->State()["id"], mark->Id());
}

TEST_F(ManOverboardTest, TestsAndReportsWithoutPositionAreHandledAsTheyShouldBe) {
  Receive("$CRMOB,77777,T,101010.00,1,240125,101010.00,4807.038,N,01131.000,E,,,,0");
  mob_->Tick(1000);
  EXPECT_FALSE(navigatingTo_);  // a device test
  Receive("$CRMOB,88888,M,111111.00,0,,,,,,,,,,0");
  mob_->Tick(2000);
  auto mark = std::dynamic_pointer_cast<CMark>(navigatingTo_);
  ASSERT_TRUE(mark);  // the manual button of a device without a fix: own ship's position
  EXPECT_EQ(mark->position, (LatLon{60.0, 24.0}));
}

}  // namespace
}  // namespace tarnwick
