// Decoding of each message type: against an independent decoder's output for
// real logs, and against hand-built messages for the value rules.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "core/tests/support/TestSupport.h"
#include "instruments/ais/AisDecode.h"
#include "instruments/ais/AisJson.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/AisTexts.h"
#include "instruments/ais/VdmSentence.h"
#include "instruments/tests/AisTestMessages.h"

namespace tarnwick {
namespace {

using nlohmann::json;
using testing::AisMessageBuilder;

std::vector<json> DecodeLog(const std::string& name) {
  std::vector<json> out;
  CAisReceiver receiver;
  receiver.SetMessageObserver(
      [&out](const AisMessage& m) { out.push_back(json::parse(AisMessageJson(m))); });
  std::ifstream in(testing::TestDataFolder() / "ais" / name);
  std::string line;
  while (std::getline(in, line)) {
    if (auto fragment = ParseVdmSentence(line)) receiver.DecodeVDM(nullptr, {1, 1}, *fragment);
  }
  return out;
}

std::vector<json> ReadJsonLines(const std::string& name) {
  std::vector<json> out;
  std::ifstream in(testing::TestDataFolder() / "ais" / name);
  std::string line;
  while (std::getline(in, line)) {
    json j = json::parse(line, nullptr, false);
    if (!j.is_discarded() && j.value("class", "") == "AIS") out.push_back(std::move(j));
  }
  return out;
}

// gpsd writes "not available" as the raw marker; we write null.
json GpsdValue(const std::string& field, const json& value) {
  static const std::map<std::string, json> kMarkers = {
      {"heading", 511}, {"speed", 102.3}, {"course", 360.0},      {"lat", 91.0},
      {"lon", 181.0},   {"second", 60},   {"status", 15},         {"shiptype", 0},
      {"to_bow", 0},    {"to_stern", 0},  {"to_port", 0},         {"to_starboard", 0},
      {"draught", 0.0}, {"imo", 0},       {"eta", "00-00T24:60Z"}};
  auto marker = kMarkers.find(field);
  if (marker != kMarkers.end() && value == marker->second) return nullptr;
  if (value == "nan") return nullptr;
  // Positions outside the globe are "not available" to us.
  if ((field == "lat" && std::abs(value.get<double>()) > 90) ||
      (field == "lon" && std::abs(value.get<double>()) > 180)) {
    return nullptr;
  }
  if (value.is_string()) {
    std::string text = value.get<std::string>();
    while (!text.empty() && (text.back() == '@' || text.back() == ' ')) text.pop_back();
    return text.empty() ? json(nullptr) : json(text);
  }
  return value;
}

bool SameValue(const json& ours, const json& theirs) {
  if (ours.is_number() && theirs.is_number()) {
    return std::abs(ours.get<double>() - theirs.get<double>()) < 1e-6;
  }
  return ours == theirs;
}

// Compares every field both decoders give, message by message in order of
// (type, MMSI). Returns the number of fields compared.
int CompareWithGpsd(const std::vector<json>& ours, const std::vector<json>& gpsd) {
  const std::pair<const char*, const char*> kFields[] = {{"lat", "lat"},
                                                         {"lon", "lon"},
                                                         {"sog", "speed"},
                                                         {"cog", "course"},
                                                         {"heading", "heading"},
                                                         {"second", "second"},
                                                         {"nav_status", "status"},
                                                         {"name", "shipname"},
                                                         {"callsign", "callsign"},
                                                         {"imo", "imo"},
                                                         {"ship_type", "shiptype"},
                                                         {"to_bow", "to_bow"},
                                                         {"to_stern", "to_stern"},
                                                         {"to_port", "to_port"},
                                                         {"to_starboard", "to_starboard"},
                                                         {"draught", "draught"},
                                                         {"destination", "destination"},
                                                         {"eta", "eta"},
                                                         {"text", "text"},
                                                         {"aid_type", "aid_type"},
                                                         {"aid_name", "name"},
                                                         {"dac", "dac"},
                                                         {"fi", "fid"},
                                                         {"dest_mmsi", "dest_mmsi"},
                                                         {"altitude", "alt"}};
  std::map<std::pair<int, int64_t>, std::vector<const json*>> theirs;
  for (const json& g : gpsd) theirs[{g["type"].get<int>(), g["mmsi"].get<int64_t>()}].push_back(&g);
  std::map<std::pair<int, int64_t>, size_t> used;
  int compared = 0;
  for (const json& o : ours) {
    const std::pair<int, int64_t> key{o["type"].get<int>(), o["mmsi"].get<int64_t>()};
    auto it = theirs.find(key);
    if (it == theirs.end() || used[key] >= it->second.size()) continue;
    const json& g = *it->second[used[key]++];
    for (const auto& [ourName, gpsdName] : kFields) {
      if (!o.contains(ourName) || !g.contains(gpsdName)) continue;
      ++compared;
      EXPECT_TRUE(SameValue(o[ourName], GpsdValue(gpsdName, g[gpsdName])))
          << "type " << key.first << " mmsi " << key.second << " " << ourName << ": ours "
          << o[ourName] << ", gpsd " << g[gpsdName];
    }
  }
  return compared;
}

TEST(AisMessages, RealLogsAgreeWithGpsd) {
  struct Row {
    const char* log;
    const char* oracle;
    size_t messages;  // complete messages we emit
    int minCompared;  // fields compared at least
  };
  const Row rows[] = {
      {"sample.aivdm", "sample.aivdm.js.chk", 98, 220},
      {"nais300-merrimac.log", "nais300-merrimac.log.gpsdecode-3.22.json", 536, 3500},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.log);
    const std::vector<json> ours = DecodeLog(row.log);
    EXPECT_EQ(ours.size(), row.messages);
    EXPECT_GE(CompareWithGpsd(ours, ReadJsonLines(row.oracle)), row.minCompared);
  }
}

std::optional<AisMessage> Decode(const AisMessageBuilder& b, bool own = false) {
  return DecodeAisMessage(b.Bits(), own);
}

TEST(AisMessages, PositionReportValueRules) {
  // Latitude bits meaning 91 degrees: kept as "not available".
  auto m = Decode(testing::PositionA(244670166, 91.0, 5.38, 8.3, 11.9));
  ASSERT_TRUE(m && m->position);
  EXPECT_EQ(m->position->lat, kAisLatNotAvailable);
  EXPECT_NEAR(m->position->lon, 5.38, 1e-6);
  // Out-of-range latitude and longitude become the markers too.
  m = Decode(testing::PositionA(244670166, -95.0, 190.0, 8.3, 11.9));
  ASSERT_TRUE(m && m->position);
  EXPECT_EQ(m->position->lat, kAisLatNotAvailable);
  EXPECT_EQ(m->position->lon, kAisLonNotAvailable);

  struct Drop {
    const char* why;
    AisMessageBuilder message;
    bool own;
  };
  const Drop drops[] = {
      {"0,0", testing::PositionA(244670166, 0.0, 0.0, 1, 1), false},
      {"bogus MMSI", testing::PositionA(kAisBogusMmsi, 53, 5, 1, 1), false},
      {"bogus MMSI from VDO", testing::PositionA(kAisBogusMmsi, 53, 5, 1, 1), true},
      {"MMSI 0 from VDM", testing::PositionA(0, 53, 5, 1, 1), false},
  };
  for (const Drop& drop : drops) EXPECT_FALSE(Decode(drop.message, drop.own)) << drop.why;
  EXPECT_TRUE(Decode(testing::PositionA(0, 53, 5, 1, 1), true)) << "MMSI 0 from VDO";
}

TEST(AisMessages, LengthRules) {
  struct Row {
    int type;
    int bits;
    bool kept;
  };
  const Row rows[] = {
      {1, 168, true},   {1, 204, true},   {1, 167, false}, {1, 174, false},  {3, 205, false},
      {18, 168, true},  {18, 160, false}, {10, 72, true},  {10, 78, false},  {5, 424, true},
      {5, 420, true},   {5, 418, false},  {19, 312, true}, {19, 306, false}, {21, 272, true},
      {21, 270, false}, {24, 168, true},  {8, 56, true},   {8, 54, false},   {27, 96, false},
      {0, 168, false},
  };
  for (const Row& row : rows) {
    AisMessageBuilder b;
    // A plausible body: position fields land somewhere non-zero for every layout.
    b.Put(static_cast<uint32_t>(row.type), 6).Put(0, 2).Put(244670166, 30);
    while (b.Bits().Size() < row.bits) b.Put(0b0101, std::min(4, row.bits - b.Bits().Size()));
    EXPECT_EQ(Decode(b).has_value(), row.kept)
        << "type " << row.type << ", " << row.bits << " bits";
  }
  AisBits shortBits;
  shortBits.AppendBits(1, 5);
  EXPECT_FALSE(DecodeAisMessage(shortBits, false));
}

TEST(AisMessages, StaticAndVoyageData) {
  auto m = Decode(testing::StaticVoyage(351759000, "EVER DIADEM", 70));
  ASSERT_TRUE(m && m->statics);
  const AisStaticData& s = *m->statics;
  EXPECT_EQ(s.name, "EVER DIADEM");
  EXPECT_EQ(s.callsign, "3FOF8");
  EXPECT_EQ(s.imo, 9134270U);
  EXPECT_EQ(s.shipType, 70);
  EXPECT_EQ(s.toBow + s.toStern, 295);
  EXPECT_EQ(s.draught, 122);
  EXPECT_EQ(s.destination, "NEW YORK");
  EXPECT_EQ(json::parse(AisMessageJson(*m))["eta"], "05-15T14:00Z");
}

TEST(AisMessages, ClassBStaticParts) {
  AisMessageBuilder a;
  a.Put(24, 6).Put(0, 2).Put(271041815, 30).Put(0, 2).PutText("PROGUY", 20);
  auto m = Decode(a);
  ASSERT_TRUE(m && m->statics && m->part);
  EXPECT_EQ(*m->part, 0);
  EXPECT_EQ(m->statics->fields, static_cast<uint32_t>(kAisName));
  EXPECT_EQ(m->statics->name, "PROGUY");

  AisMessageBuilder b;
  b.Put(24, 6).Put(0, 2).Put(271041815, 30).Put(1, 2).Put(60, 8).PutText("1D0", 3).Put(12, 4);
  b.Put(199796, 20).PutText("TC6163", 7).Put(0, 9).Put(15, 9).Put(0, 6).Put(5, 6).Put(0, 6);
  m = Decode(b);
  ASSERT_TRUE(m && m->statics);
  EXPECT_EQ(*m->part, 1);
  EXPECT_EQ(m->statics->shipType, 60);
  EXPECT_EQ(m->statics->callsign, "TC6163");
  EXPECT_EQ(m->statics->vendor, "1D0");
  EXPECT_EQ(m->statics->toStern, 15);
  EXPECT_FALSE(m->statics->fields & kAisName);

  AisMessageBuilder bad;
  bad.Put(24, 6).Put(0, 2).Put(271041815, 30).Put(2, 2).PutText("", 22);
  EXPECT_FALSE(Decode(bad)) << "part number 2 does not exist";
}

TEST(AisMessages, SafetyTextAndBinaryRouting) {
  AisMessageBuilder text;
  text.Put(14, 6).Put(0, 2).Put(351809000, 30).Put(0, 2).PutText("SART ACTIVE", 11);
  auto m = Decode(text);
  ASSERT_TRUE(m && m->text);
  EXPECT_EQ(*m->text, "SART ACTIVE");

  // Message 25, addressed and structured: the application id follows the destination.
  AisMessageBuilder slot;
  slot.Put(25, 6).Put(0, 2).Put(440006460, 30).Put(1, 1).Put(1, 1).Put(134218384, 30);
  slot.Put(1, 10).Put(31, 6).Put(0, 24);
  m = Decode(slot);
  ASSERT_TRUE(m && m->binary);
  EXPECT_EQ(m->binary->destMmsi, 134218384U);
  EXPECT_EQ(m->binary->dac, 1);
  EXPECT_EQ(m->binary->fi, 31);
  EXPECT_FALSE(m->met) << "24 bits are too short for the weather report";
}

// The gpsd sample's DAC 1 FI 31 report from a Kanaton3 station has every
// value marked "not available": any misplaced field would show a value.
TEST(AisMessages, MeteorologicalReportWithEveryValueMissing) {
  AisBits bits;
  bits.AppendArmoured("8>jR06@0Gwli:QQUP3en?wvlFR06EuOwgwl?wnSwe7wvlOwwsAwwnSGmwvh0");
  auto m = DecodeAisMessage(bits, true);
  ASSERT_TRUE(m && m->met);
  const AisMetHydro& met = *m->met;
  EXPECT_NEAR(met.lat, 53 + 17.696 / 60, 1e-6);
  EXPECT_NEAR(met.lon, -(6 + 8.044 / 60), 1e-6);
  EXPECT_EQ(met.day, 29);
  EXPECT_EQ(met.hour, 23);
  EXPECT_EQ(met.minute, 24);
  EXPECT_FALSE(met.windSpeed || met.windGust || met.windDirection || met.airTemperature ||
               met.humidity || met.dewPoint || met.pressure || met.pressureTendency ||
               met.visibility || met.waterLevel || met.waterLevelTrend || met.currentSpeed ||
               met.currentDirection || met.waveHeight || met.wavePeriod || met.waveDirection ||
               met.swellHeight || met.swellPeriod || met.swellDirection || met.seaState ||
               met.waterTemperature || met.precipitation || met.salinity || met.ice);
}

TEST(AisMessages, MeteorologicalReportValues) {
  AisMessageBuilder b;
  b.Put(8, 6).Put(0, 2).Put(2579999, 30).Put(0, 2).Put(1, 10).Put(31, 6);
  b.PutSigned(static_cast<int32_t>(std::lround(-6.5 * 60000)), 25);
  b.PutSigned(static_cast<int32_t>(std::lround(53.25 * 60000)), 24).Put(1, 1);
  b.Put(12, 5).Put(6, 5).Put(30, 6);                   // day, hour, minute
  b.Put(18, 7).Put(25, 7).Put(225, 9).Put(230, 9);     // wind
  b.PutSigned(-35, 11).Put(87, 7).PutSigned(-52, 10);  // air -3.5, humidity, dew point -5.2
  b.Put(214, 9).Put(1, 2).Put(0, 1).Put(55, 7);        // 1013 hPa, decreasing, 5.5 nm
  b.Put(1250, 12).Put(2, 2);                           // water level 2.50 m, rising
  b.Put(13, 8).Put(90, 9).Put(255, 8).Put(360, 9).Put(31, 5).Put(255, 8).Put(360, 9).Put(31, 5);
  b.Put(21, 8).Put(7, 6).Put(240, 9).Put(255, 8).Put(63, 6).Put(360, 9);  // waves, no swell
  b.Put(5, 4).PutSigned(118, 10).Put(2, 3).Put(349, 9).Put(0, 2).Put(0, 10);
  auto m = Decode(b);
  ASSERT_TRUE(m && m->met);
  const AisMetHydro& met = *m->met;
  EXPECT_NEAR(met.lat, 53.25, 1e-9);
  EXPECT_NEAR(met.lon, -6.5, 1e-9);
  EXPECT_EQ(met.windSpeed, 18);
  EXPECT_EQ(met.windGust, 25);
  EXPECT_EQ(met.windDirection, 225);
  EXPECT_NEAR(*met.airTemperature, -3.5, 1e-9);
  EXPECT_EQ(met.humidity, 87);
  EXPECT_NEAR(*met.dewPoint, -5.2, 1e-9);
  EXPECT_EQ(met.pressure, 1013);
  EXPECT_EQ(met.pressureTendency, 1);
  EXPECT_NEAR(*met.visibility, 5.5, 1e-9);
  EXPECT_NEAR(*met.waterLevel, 2.5, 1e-9);
  EXPECT_NEAR(*met.currentSpeed, 1.3, 1e-9);
  EXPECT_EQ(met.currentDirection, 90);
  EXPECT_NEAR(*met.waveHeight, 2.1, 1e-9);
  EXPECT_EQ(met.wavePeriod, 7);
  EXPECT_FALSE(met.swellHeight);
  EXPECT_EQ(met.seaState, 5);
  EXPECT_NEAR(*met.waterTemperature, 11.8, 1e-9);
  EXPECT_NEAR(*met.salinity, 34.9, 1e-9);
  EXPECT_EQ(met.ice, 0);
}

TEST(AisTexts, ShipTypes) {
  const std::pair<int, const char*> rows[] = {
      {0, "Not Available"},
      {20, "WIG"},
      {22, "Vessel Engaged in Towing"},
      {29, "Autonomous or Remotely Operated Vessel"},
      {37, "Pleasure Craft"},
      {52, "Tug"},
      {56, "Reserved vessel type 56"},
      {58, "Medical Transport"},
      {24, "Mobile Offshore Drilling Unit"},
      {25, "Offshore Supply Vessel"},
      {40, "High Speed Craft"},
      {60, "Passenger Ship"},
      {70, "Cargo Ship"},
      {71, "Cargo Ship; Carrying IMO hazard or pollutant category A"},
      {84, "Tanker; Carrying IMO hazard or pollutant category D"},
      {85, "Tanker"},
      {99, "Other"},
      {1, "Reserved vessel type 01"},
      {10, "Reserved vessel type 10"},
      {150, "Regional vessel type 150"},
      {100, "Regional vessel type 100"},
      {200, "Reserved vessel type 200"},
  };
  for (const auto& [type, text] : rows) EXPECT_EQ(ShipTypeText(type), text) << type;
}

TEST(AisTexts, NavigationalStatus) {
  EXPECT_STREQ(NavStatusText(0), "Underway with engine");
  EXPECT_STREQ(NavStatusText(5), "Moored");
  EXPECT_STREQ(NavStatusText(12), "Pushing ahead or towing alongside");
  EXPECT_STREQ(NavStatusText(14), "AIS-SART (active)");
  EXPECT_STREQ(NavStatusText(15), "");
  EXPECT_STREQ(NavStatusText(-1), "");
}

}  // namespace
}  // namespace tarnwick
