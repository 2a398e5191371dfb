// The program's modules wired together and started: documents named on the
// command line open in "Process startup docs", tracks and boundary alarms
// follow the own-ship snapshot (with the recording's time while one plays),
// a boundary circle is announced once per entry and once per exit, and the
// logbook gets the AIS safety messages, the depth alert and equipment alarms.

#include "app/Modules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "core/SettingsRegistry.h"
#include "core/ShutdownEvent.h"
#include "core/Sqlite.h"
#include "core/settings/AlertsSettings.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "navobjects/NavObjectsModule.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/Track.h"
#include "recording/RecordingModule.h"
#include "recording/VirtualTime.h"
#include "recording/vdr/VoyageDataPlayer.h"

namespace tarnwick {
namespace {

using testing::CScopedEnv;
using testing::CTempFolder;

constexpr LatLon kReef{50.0, -1.0};

// An RMC sentence with a valid fix at lat, lon (degrees), 5 knots due north.
std::string Rmc(double lat, double lon) {
  char body[128];
  const double alat = std::abs(lat), alon = std::abs(lon);
  snprintf(body, sizeof body, "GPRMC,120000,A,%02d%06.3f,%c,%03d%06.3f,%c,5.0,0.0,050126,,",
           static_cast<int>(alat), (alat - static_cast<int>(alat)) * 60, lat < 0 ? 'S' : 'N',
           static_cast<int>(alon), (alon - static_cast<int>(alon)) * 60, lon < 0 ? 'W' : 'E');
  unsigned checksum = 0;
  for (const char* c = body; *c; ++c) checksum ^= static_cast<unsigned char>(*c);
  char sentence[160];
  snprintf(sentence, sizeof sentence, "$%s*%02X", body, checksum);
  return sentence;
}

// The sentence body with its checksum: "$" body "*" XX.
std::string WithChecksum(const std::string& body) {
  unsigned checksum = 0;
  for (char c : body) checksum ^= static_cast<unsigned char>(c);
  char tail[8];
  snprintf(tail, sizeof tail, "*%02X", checksum);
  return "$" + body + tail;
}

AisBits AisText(int type, uint32_t mmsi, const std::string& text) {
  AisBits bits;
  bits.AppendBits(static_cast<uint32_t>(type), 6);
  bits.AppendBits(0, 2);
  bits.AppendBits(mmsi, 30);
  if (type == 24) bits.AppendBits(0, 2);  // part A: the name
  if (type == 14) bits.AppendBits(0, 2);  // spare
  const size_t chars = type == 24 ? 20 : text.size();
  for (size_t i = 0; i < chars; ++i)
    bits.AppendBits(i < text.size() ? static_cast<uint32_t>(SixBitValue(text[i])) : 0, 6);
  return bits;
}

struct LogRow {
  int category;
  int type;
  std::string content;
  bool operator==(const LogRow&) const = default;
};

class ModulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSettingsRegistry::Instance().ResetState();
    ShutdownEvent().Reset();
    testing::WriteFile(folder_ / "share" / "critical-files.txt", "");
    // A document outside the NavObjects folder: only the command line opens it.
    CNavDocuments documents(folder_ / "elsewhere");
    CLayer& layer = documents.DocumentLayer("Passage.nob");
    auto reef =
        documents.CreateBoundaryCircle(kReef, Length{0.5, LengthUnit::NauticalMiles}, &layer);
    reef->name = "Reef";
    ASSERT_TRUE(documents.SaveLayer(layer));
    document_ = layer.File();

    options_.dataFolder = folder_ / "data";
    options_.singleInstance = false;
    options_.installCrashHandler = false;
    options_.disclaimer = [](const std::string&) { return true; };
    options_.commandLine = {"nossdp", document_.string()};  // no HTTP server in tests
  }
  void TearDown() override {
    VirtualTime().End();
    CSettingsRegistry::Instance().ResetState();
    ShutdownEvent().Reset();
  }

  bool DocumentOpen() const {
    const CNavDocuments* documents = NavDocuments();
    if (!documents) return false;
    for (const auto& layer : documents->Layers())
      if (layer->File() == document_) return true;
    return false;
  }

  // One second later: the GPS reports lat, lon and the program ticks.
  void SailTo(CApplication& app, double lat, double lon) {
    clock_.Advance(1000);
    DecodeNMEA(gps_, ReceiveTime{TickCount(), UtcNowMs()}, Rmc(lat, lon), nullptr);
    ASSERT_TRUE(app.Tick());
  }

  std::vector<std::string> SpokenSince(uint64_t id) const {
    std::vector<std::string> texts;
    for (const auto& note : Notifications().Since(id))
      if (note.kind == NotificationKind::Spoken) texts.push_back(note.text);
    return texts;
  }

  static uint64_t LastNotification() {
    const auto notes = Notifications().Since(0);
    return notes.empty() ? 0 : notes.back().id;
  }

  std::string StartupLog() const { return testing::ReadFile(folder_ / "data" / "Application.log"); }

  static std::vector<LogRow> LogRows(int category) {
    CSqliteDatabase db;
    EXPECT_EQ(db.Open(DataFolder() / "log.db", SQLITE_OPEN_READONLY), SQLITE_OK);
    CSqliteStatement query(db,
                           "SELECT category, type, content FROM Entries WHERE category = :c "
                           "ORDER BY rowid");
    query.Bind(":c", int64_t{category});
    std::vector<LogRow> rows;
    while (query.Step() == SQLITE_ROW)
      rows.push_back(
          {static_cast<int>(query.Int(0)), static_cast<int>(query.Int(1)), query.Text(2)});
    return rows;
  }

  static std::shared_ptr<CTrack> RecordedTrack() {
    for (const auto& layer : NavDocuments()->Layers())
      for (const auto& object : layer->Objects())
        if (auto track = std::dynamic_pointer_cast<CTrack>(object)) return track;
    return nullptr;
  }

  CTempFolder folder_;
  CScopedEnv config_{"XDG_CONFIG_HOME", (folder_ / "config").string()};
  // The program's own files: none is needed here, so none is critical.
  CScopedEnv share_{"TARNWICK_SHARE_DIR", (folder_ / "share").string()};
  CSimulatedClock clock_{1'000'000, 1'767'614'400'000};  // 2026-01-05 12:00 UTC
  CScopedClock useClock_{clock_};
  std::filesystem::path document_;
  StartupOptions options_;
  CNavSource gps_;  // outlives the application's store
};

TEST_F(ModulesTest, CommandLineDocumentsOpenInProcessStartupDocs) {
  CApplication app;
  ModuleOptions modules;
  modules.commandLine = options_.commandLine;
  RegisterModules(app, modules);
  std::vector<std::string> seen;
  app.OnStartupStage("Init NavObj", [&] {
    seen.push_back(std::string("Init NavObj: ") + (DocumentOpen() ? "open" : "closed"));
    return true;
  });
  app.OnStartupStage("Process startup docs", [&] {
    seen.push_back(std::string("Process startup docs: ") + (DocumentOpen() ? "open" : "closed"));
    return true;
  });
  ASSERT_EQ(app.Start(options_), StartupResult::Running) << StartupLog();
  EXPECT_EQ(seen, (std::vector<std::string>{"Init NavObj: closed", "Process startup docs: open"}));
  app.Shutdown();
}

TEST_F(ModulesTest, OwnShipDrivesTracksAndBoundaryCirclesAreAnnouncedOnce) {
  CApplication app;
  ModuleOptions modules;
  modules.commandLine = options_.commandLine;
  RegisterModules(app, modules);
  ASSERT_EQ(app.Start(options_), StartupResult::Running) << StartupLog();
  Notifications().SetVoiceSink(nullptr);  // texts are still queued as spoken
  const uint64_t before = LastNotification();

  struct Step {
    double lat;
    std::vector<std::string> spoken;  // new spoken texts after the step
  };
  const Step steps[] = {
      {49.980, {}},                                 // 1.2 nm south: outside
      {49.985, {}},                                 // still outside
      {49.995, {"Entering boundary circle Reef"}},  // 0.3 nm: inside
      {49.996, {}},                                 // inside: not repeated
      {50.004, {}},                                 // through the middle
      {50.020, {"Leaving boundary circle Reef"}},   // 1.2 nm north
      {50.030, {}},
  };
  uint64_t mark = before;
  for (const Step& step : steps) {
    SailTo(app, step.lat, kReef.lon);
    EXPECT_EQ(SpokenSince(mark), step.spoken) << step.lat;
    mark = LastNotification();
  }

  // The track recorder took its points from the same snapshots, at their UTC.
  auto track = RecordedTrack();
  ASSERT_NE(track, nullptr);
  ASSERT_FALSE(track->points.empty());
  EXPECT_NEAR(track->points.front().position.lat, 49.980, 1e-6);
  EXPECT_EQ(UnixMsFromFileTime(track->points.front().time) / 1000,
            (1'767'614'400'000 + 1000) / 1000);

  // While a recording is played back (here: opened at a time, paused or
  // not), its positions stay out of the live track, which ends; the next live
  // fix after the playback starts a new track.
  VoyageDataPlayer* player = ProgramPlayer();
  ASSERT_NE(player, nullptr);
  const auto waitFor = [player](bool open) {
    for (int i = 0; i < 5000 && player->Status().virtualUtcMs.has_value() != open; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return player->Status().virtualUtcMs.has_value() == open;
  };
  player->Seek(1'625'054'400'000);  // 2021-06-30 12:00 UTC
  ASSERT_TRUE(waitFor(true));
  const size_t count = track->points.size();
  SailTo(app, 50.5, kReef.lon);  // far enough for any distance interval
  EXPECT_EQ(track->points.size(), count);
  player->Stop();
  ASSERT_TRUE(waitFor(false));
  SailTo(app, 50.6, kReef.lon);
  EXPECT_EQ(track->points.size(), count);
  size_t tracks = 0;
  for (const auto& layer : NavDocuments()->Layers())
    for (const auto& object : layer->Objects())
      tracks += std::dynamic_pointer_cast<CTrack>(object) != nullptr;
  EXPECT_EQ(tracks, 2u);
  app.Shutdown();
}

TEST_F(ModulesTest, LogbookKeepsAisSafetyMessagesAndSensorAlarms) {
  opt::Alerts_DepthBelow.Set("true");
  opt::Alerts_DepthBelowValue.Set("3 m");
  CApplication app;
  RegisterModules(app, ModuleOptions{});
  ASSERT_EQ(app.Start(options_), StartupResult::Running) << StartupLog();
  Notifications().SetVoiceSink(nullptr);

  // Safety messages arrive on a port thread; the logbook is written by the tick.
  std::thread port([] {
    const ReceiveTime now{TickCount(), UtcNowMs()};
    AisReceiver().DispatchAIS(nullptr, now, AisText(24, 2320123, "HARBOUR CONTROL"), false);
    AisReceiver().DispatchAIS(nullptr, now, AisText(14, 2320123, "DREDGER IN CHANNEL"), false);
    AisReceiver().DispatchAIS(nullptr, now, AisText(14, 366123456, "SECURITE"), false);
  });
  port.join();

  struct Step {
    const char* dpt;  // depth sentence body, metres
    size_t alarms;    // sensor alarm entries after the step
  };
  const Step steps[] = {
      {"SDDPT,5.0,0.0", 0},  // deep enough
      {"SDDPT,2.5,0.0", 1},  // shallower than 3 m: the alarm starts
      {"SDDPT,2.4,0.0", 1},  // lasts: not logged again
  };
  for (const Step& step : steps) {
    clock_.Advance(1000);
    DecodeNMEA(gps_, ReceiveTime{TickCount(), UtcNowMs()}, WithChecksum(step.dpt), nullptr);
    ASSERT_TRUE(app.Tick());
    EXPECT_EQ(LogRows(4).size(), step.alarms) << step.dpt;
  }
  clock_.Advance(31'000);  // the spoken alert repeats; the log does not
  DecodeNMEA(gps_, ReceiveTime{TickCount(), UtcNowMs()}, WithChecksum("SDDPT,2.3,0.0"), nullptr);
  ASSERT_TRUE(app.Tick());
  clock_.Advance(10'000);  // the sounder falls silent: a lost reading is an alarm of its own
  ASSERT_TRUE(app.Tick());

  // An equipment alarm, once while it stays active.
  for (const char* alr :
       {"IIALR,120000.00,101,A,V,BILGE HIGH", "IIALR,120001.00,101,A,V,BILGE HIGH"})
    DecodeNMEA(gps_, ReceiveTime{TickCount(), UtcNowMs()}, WithChecksum(alr), nullptr);
  clock_.Advance(1000);
  ASSERT_TRUE(app.Tick());

  const auto alarms = LogRows(4);
  ASSERT_EQ(alarms.size(), 3u);
  EXPECT_EQ(alarms[0].type, 1);
  EXPECT_NE(alarms[0].content.find("\"source\":\"Depth Sounder\""), std::string::npos)
      << alarms[0].content;
  EXPECT_NE(alarms[0].content.find("Alert. Depth is "), std::string::npos) << alarms[0].content;
  EXPECT_NE(alarms[1].content.find("Alert. Lost depth reading."), std::string::npos)
      << alarms[1].content;

  EXPECT_EQ(alarms[2].content, "{\"source\":\"NMEA\",\"message\":\"BILGE HIGH\"}");

  const auto safety = LogRows(3);
  ASSERT_EQ(safety.size(), 2u);
  EXPECT_EQ(safety[0].type, 2);
  EXPECT_EQ(safety[0].content,
            "{\"from\":\"002320123\",\"from_name\":\"HARBOUR CONTROL\",\"message\":"
            "\"DREDGER IN CHANNEL\"}");
  EXPECT_NE(safety[1].content.find("\"from_name\":\"\""), std::string::npos) << safety[1].content;
  app.Shutdown();
  opt::Alerts_DepthBelow.ResetToDefault();
  opt::Alerts_DepthBelowValue.ResetToDefault();
}

}  // namespace
}  // namespace tarnwick
