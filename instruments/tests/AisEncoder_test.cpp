// The AIVDM encoder: field layouts through our own decoder and the receiver,
// armouring and fragmenting, and gpsd's gpsdecode as an independent reader.

#include "instruments/ais/sim/AisEncoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/tests/support/TestSupport.h"
#include "instruments/ais/AisDecode.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/VdmSentence.h"
#include "instruments/ais/sim/VdmWriter.h"

namespace tarnwick {
namespace {

AisMessage PositionMessage(int type, uint32_t mmsi, double lat, double lon, int sog, int cog,
                           int heading) {
  AisMessage m;
  m.type = type;
  m.mmsi = mmsi;
  AisPositionReport p;
  p.lat = lat;
  p.lon = lon;
  p.sog = sog;
  p.cog = cog;
  p.heading = heading;
  p.second = 42;
  p.accuracy = 1;
  if (type != 18) {
    p.navStatus = 3;
    p.rot = -17;
  }
  m.position = p;
  return m;
}

AisStaticData Statics() {
  AisStaticData s;
  s.name = "NORDIC STAR";
  s.callsign = "OJQX1";
  s.imo = 9301184;
  s.shipType = 70;
  s.toBow = 110;
  s.toStern = 30;
  s.toPort = 10;
  s.toStarboard = 12;
  s.epfd = 1;
  s.etaMonth = 6;
  s.etaDay = 13;
  s.etaHour = 7;
  s.etaMinute = 30;
  s.draught = 72;
  s.destination = "HAMINA";
  s.vendor = "TWK";
  return s;
}

AisMessage StaticMessage(int type, uint32_t mmsi, std::optional<int> part) {
  AisMessage m;
  m.type = type;
  m.mmsi = mmsi;
  m.part = part;
  m.statics = Statics();
  return m;
}

AisMessage AidMessage(const std::string& name) {
  AisMessage m = PositionMessage(21, 992301234, 59.81, 22.91, 0, 0, 0);
  m.position->sog = kAisSogNotAvailable;
  m.position->cog = kAisCogNotAvailable;
  m.position->heading = kAisHeadingNotAvailable;
  m.position->navStatus = kAisNavStatusNotDefined;
  m.position->rot = kAisRotNotAvailable;
  m.aid = AisAidReport{.aidType = 14, .name = name, .offPosition = false, .virtualAid = true};
  AisStaticData s;
  s.toBow = s.toStern = s.toPort = s.toStarboard = 2;
  s.epfd = 7;
  m.statics = s;
  return m;
}

struct EncodedCase {
  const char* what;
  AisMessage message;
  int bits;       // expected message length
  int fragments;  // sentences at 60 characters each
  int fillBits;   // of the last sentence
};

std::vector<EncodedCase> Cases() {
  return {
      {"type 1 north-east", PositionMessage(1, 230990001, 60.0845, 23.5391, 120, 901, 90), 168, 1,
       0},
      {"type 2 south-west", PositionMessage(2, 366123456, -33.85, -151.2, 0, 0, 359), 168, 1, 0},
      {"type 3 not available",
       PositionMessage(3, 244123000, kAisLatNotAvailable, kAisLonNotAvailable, kAisSogNotAvailable,
                       kAisCogNotAvailable, kAisHeadingNotAvailable),
       168, 1, 0},
      {"type 18", PositionMessage(18, 230990011, 60.1, 23.6, 55, 2345, 234), 168, 1, 0},
      {"type 5", StaticMessage(5, 230990001, std::nullopt), 424, 2, 2},
      {"type 24 A", StaticMessage(24, 230990011, 0), 160, 1, 2},
      {"type 24 B", StaticMessage(24, 230990011, 1), 168, 1, 0},
      {"type 24 B auxiliary", StaticMessage(24, 981234567, 1), 168, 1, 0},
      {"type 21 short name", AidMessage("HANKO WEST CARDINAL"), 272, 1, 4},
      {"type 21 extended name", AidMessage("KOBBAKLINTAR NORTH CARDINAL"), 314, 1, 4},
  };
}

// What the decoder gives back must be what was encoded, field by field.
void ExpectSameMessage(const AisMessage& sent, const AisMessage& got, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(got.type, sent.type);
  EXPECT_EQ(got.mmsi, sent.mmsi);
  if (sent.type != 5 && sent.type != 24) {
    ASSERT_TRUE(got.position);
    const AisPositionReport& a = *sent.position;
    const AisPositionReport& b = *got.position;
    EXPECT_NEAR(b.lat, a.lat, 1e-6);
    EXPECT_NEAR(b.lon, a.lon, 1e-6);
    EXPECT_EQ(b.accuracy, a.accuracy);
    EXPECT_EQ(b.second, a.second);
    if (sent.type != 21) {
      EXPECT_EQ(b.sog, a.sog);
      EXPECT_EQ(b.cog, a.cog);
      EXPECT_EQ(b.heading, a.heading);
    }
    if (sent.type <= 3) {
      EXPECT_EQ(b.navStatus, a.navStatus);
      EXPECT_EQ(b.rot, a.rot);
    }
  }
  if (sent.type == 21) {
    ASSERT_TRUE(got.aid);
    EXPECT_EQ(got.aid->name, sent.aid->name);
    EXPECT_EQ(got.aid->aidType, sent.aid->aidType);
    EXPECT_EQ(got.aid->virtualAid, sent.aid->virtualAid);
  }
  if (sent.type == 5 || sent.type == 24) {
    ASSERT_TRUE(got.statics);
    const AisStaticData& a = *sent.statics;
    const AisStaticData& b = *got.statics;
    if (got.statics->fields & kAisName) {
      EXPECT_EQ(b.name, a.name);
    }
    if (got.statics->fields & kAisCallsign) {
      EXPECT_EQ(b.callsign, a.callsign);
    }
    if (got.statics->fields & kAisShipType) {
      EXPECT_EQ(b.shipType, a.shipType);
    }
    if (got.statics->fields & kAisVendor) {
      EXPECT_EQ(b.vendor, a.vendor);
    }
    if (got.statics->fields & kAisDimensions) {
      EXPECT_EQ(b.toBow, a.toBow);
      EXPECT_EQ(b.toStern, a.toStern);
      EXPECT_EQ(b.toPort, a.toPort);
      EXPECT_EQ(b.toStarboard, a.toStarboard);
    }
    if (sent.type == 5) {
      EXPECT_EQ(b.imo, a.imo);
      EXPECT_EQ(b.destination, a.destination);
      EXPECT_EQ(b.draught, a.draught);
      EXPECT_EQ(b.etaMonth, a.etaMonth);
      EXPECT_EQ(b.etaDay, a.etaDay);
      EXPECT_EQ(b.etaHour, a.etaHour);
      EXPECT_EQ(b.etaMinute, a.etaMinute);
      EXPECT_EQ(b.epfd, a.epfd);
    }
    if (sent.type == 24) {
      ASSERT_TRUE(got.part);
      EXPECT_EQ(*got.part, *sent.part);
    }
  }
}

TEST(AisEncoder, RoundTripsThroughTheDecoder) {
  for (const EncodedCase& c : Cases()) {
    const auto bits = EncodeAisMessage(c.message);
    ASSERT_TRUE(bits) << c.what;
    EXPECT_EQ(bits->Size(), c.bits) << c.what;
    const auto decoded = DecodeAisMessage(*bits, false);
    ASSERT_TRUE(decoded) << c.what;
    ExpectSameMessage(c.message, *decoded, c.what);
  }
}

TEST(AisEncoder, SentencesFrameAndReassembleThroughTheReceiver) {
  CVdmWriter writer;
  for (const EncodedCase& c : Cases()) {
    const auto sentences = writer.Sentences(*EncodeAisMessage(c.message), 'B');
    ASSERT_EQ(static_cast<int>(sentences.size()), c.fragments) << c.what;
    AisBits reassembled;
    for (size_t i = 0; i < sentences.size(); ++i) {
      EXPECT_LE(sentences[i].size() + 2, 82U) << sentences[i];
      const auto fragment = ParseVdmSentence(sentences[i]);
      ASSERT_TRUE(fragment) << sentences[i];
      EXPECT_EQ(fragment->count, c.fragments);
      EXPECT_EQ(fragment->number, static_cast<int>(i) + 1);
      EXPECT_EQ(fragment->channel, 'B');
      EXPECT_EQ(fragment->fillBits, i + 1 == sentences.size() ? c.fillBits : 0) << c.what;
      reassembled.AppendArmoured(fragment->payload);
    }
    reassembled.DropTail(c.fillBits);
    EXPECT_EQ(reassembled.Size(), c.bits) << c.what;
  }

  // The receiver builds targets from the same sentences, fragments and all.
  CAisReceiver receiver;
  for (const EncodedCase& c : Cases()) {
    for (const std::string& sentence : writer.Sentences(*EncodeAisMessage(c.message), 'A')) {
      const auto fragment = ParseVdmSentence(sentence);
      ASSERT_TRUE(fragment);
      receiver.DecodeVDM(nullptr, ReceiveTime{1000, 1'600'000'000'000}, *fragment);
    }
  }
  const auto target = receiver.Target(230990001);
  ASSERT_TRUE(target);
  EXPECT_EQ(receiver.Target(230990011).has_value(), true);
  EXPECT_EQ(receiver.Target(992301234).has_value(), true);
}

TEST(AisEncoder, SequenceIdsAndChecksums) {
  CVdmWriter writer;
  const AisBits voyage = *EncodeAisMessage(StaticMessage(5, 230990001, std::nullopt));
  const AisBits position = *EncodeAisMessage(PositionMessage(1, 230990001, 60, 23, 1, 1, 1));
  // Single fragments leave the id empty and do not use one up.
  EXPECT_EQ(writer.Sentences(position, 'A')[0].substr(0, 15), "!AIVDM,1,1,,A,1");
  std::vector<std::string> ids;
  for (int i = 0; i < 11; ++i) {
    const auto sentences = writer.Sentences(voyage, 'A');
    ASSERT_EQ(sentences.size(), 2U);
    ids.push_back(sentences[0].substr(11, 1));
    EXPECT_EQ(sentences[1].substr(11, 1), ids.back()) << "both fragments share the id";
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "1"}));
  EXPECT_EQ(NmeaChecksumHex("AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0"), "4A");  // gpsd sample
  EXPECT_TRUE(writer.Sentences(AisBits{}, 'A').empty());

  CVdmWriter own("AI", true);
  const auto sentence = own.Sentences(position, 'A')[0];
  EXPECT_EQ(sentence.substr(0, 6), "!AIVDO");
  EXPECT_TRUE(ParseVdmSentence(sentence)->ownVessel);
}

TEST(AisEncoder, ClampsTextsAndRefusesWhatItCannotEncode) {
  struct TextRow {
    std::string name;
    std::string expected;
  };
  const TextRow rows[] = {
      {"lower case", "LOWER CASE"},
      {"TWENTY CHARACTERS OK", "TWENTY CHARACTERS OK"},
      {"TWENTY-ONE CHARACTERS", "TWENTY-ONE CHARACTER"},
      {"EURO\x80SIGN~", "EURO SIGN"},  // outside the set: blanks, trailing ones dropped
      {"", ""},
  };
  for (const TextRow& row : rows) {
    AisMessage m = StaticMessage(24, 230990011, 0);
    m.statics->name = row.name;
    const auto decoded = DecodeAisMessage(*EncodeAisMessage(m), false);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->statics->name, row.expected) << row.name;
  }

  // Numbers wider than their field are clamped, not wrapped into nonsense.
  AisMessage wide = PositionMessage(1, 230990001, 60, 23, 5000, 9999, 1000);
  wide.position->rot = -500;
  const auto decoded = DecodeAisMessage(*EncodeAisMessage(wide), false);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->position->sog, 1023);
  EXPECT_EQ(decoded->position->cog, 4095);
  EXPECT_EQ(decoded->position->heading, 511);
  EXPECT_EQ(decoded->position->rot, -128);

  AisMessage noPosition;
  noPosition.type = 1;
  EXPECT_FALSE(EncodeAisMessage(noPosition));
  AisMessage badPart = StaticMessage(24, 230990011, 2);
  EXPECT_FALSE(EncodeAisMessage(badPart));
  AisMessage base = PositionMessage(4, 2300001, 60, 23, 0, 0, 0);
  EXPECT_FALSE(EncodeAisMessage(base));
}

// gpsd's decoder reads the same sentences to the same unscaled values.
TEST(AisEncoder, GpsdecodeReadsTheSameValues) {
  if (system("command -v gpsdecode >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "gpsdecode (Debian gpsd-clients) is not installed";
  testing::CTempFolder folder;
  std::string text;
  CVdmWriter writer;
  const auto cases = Cases();
  for (const EncodedCase& c : cases)
    for (const std::string& s : writer.Sentences(*EncodeAisMessage(c.message), 'A'))
      text += s + "\r\n";
  testing::WriteFile(folder / "in.aivdm", text);
  const std::string command = "gpsdecode -u < '" + (folder / "in.aivdm").string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<nlohmann::json> reports;
  char line[4096];
  while (fgets(line, sizeof line, pipe))
    reports.push_back(nlohmann::json::parse(line, nullptr, false));
  pclose(pipe);
  // gpsd reports a class B static report once both of its parts came: part A
  // gives no line of its own, and the auxiliary craft's part B (no part A) none.
  std::vector<const EncodedCase*> reported;
  for (const EncodedCase& c : cases)
    if (c.message.type != 24 || (*c.message.part == 1 && c.message.mmsi / 10000000 != 98))
      reported.push_back(&c);
  ASSERT_EQ(reports.size(), reported.size());
  for (size_t i = 0; i < reported.size(); ++i) {
    const AisMessage& m = reported[i]->message;
    const nlohmann::json& r = reports[i];
    SCOPED_TRACE(reported[i]->what);
    ASSERT_TRUE(r.is_object());
    EXPECT_EQ(r.value("type", 0), m.type);
    EXPECT_EQ(r.value("mmsi", 0U), m.mmsi);
    if (m.type <= 3 || m.type == 18) {
      EXPECT_EQ(r.value("lat", 0), std::lround(m.position->lat * 600000));
      EXPECT_EQ(r.value("lon", 0), std::lround(m.position->lon * 600000));
      EXPECT_EQ(r.value("speed", -1), m.position->sog);
      EXPECT_EQ(r.value("course", -1), m.position->cog);
      EXPECT_EQ(r.value("heading", -1), m.position->heading);
      EXPECT_EQ(r.value("second", -1), m.position->second);
    }
    if (m.type <= 3) {
      EXPECT_EQ(r.value("status", -1), m.position->navStatus);
      EXPECT_EQ(r.value("turn", 0), m.position->rot);
    }
    if (m.type == 5) {
      EXPECT_EQ(r.value("shipname", ""), m.statics->name);
      EXPECT_EQ(r.value("callsign", ""), m.statics->callsign);
      EXPECT_EQ(r.value("imo", 0U), m.statics->imo);
      EXPECT_EQ(r.value("destination", ""), m.statics->destination);
      EXPECT_EQ(r.value("draught", 0), m.statics->draught);
      EXPECT_EQ(r.value("eta", ""), "06-13T07:30Z");
      EXPECT_EQ(r.value("to_bow", 0), m.statics->toBow);
      EXPECT_EQ(r.value("to_starboard", 0), m.statics->toStarboard);
    }
    if (m.type == 24) {
      EXPECT_EQ(r.value("shipname", ""), m.statics->name);  // from part A
      EXPECT_EQ(r.value("callsign", ""), m.statics->callsign);
      EXPECT_EQ(r.value("vendorid", ""), m.statics->vendor);
      EXPECT_EQ(r.value("to_bow", 0), m.statics->toBow);
      EXPECT_EQ(r.value("shiptype", 0), m.statics->shipType);
    }
    if (m.type == 21) {
      EXPECT_EQ(r.value("name", ""), m.aid->name);
      EXPECT_EQ(r.value("lat", 0), std::lround(m.position->lat * 600000));
      EXPECT_EQ(r.value("aid_type", 0), m.aid->aidType);
      EXPECT_EQ(r.value("virtual_aid", false), m.aid->virtualAid);
    }
  }
}

}  // namespace
}  // namespace tarnwick
