// The autopilot output: RMB, APB, XTE, BOD and BWC of a leg field by field,
// true or magnetic APB bearings, the once-a-second pacing, the immediate
// update on a waypoint change, the stop forms, and the sentences arriving on
// a talker port through a real loopback socket.

#include "navobjects/navigation/AutopilotOutput.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstdio>

#include "core/Clock.h"
#include "core/SettingsRegistry.h"
#include "core/geo/Geodesy.h"
#include "core/geo/MagneticVariation.h"
#include "core/settings/UnitsSettings.h"
#include "core/units/UnitSystem.h"
#include "instruments/nmea/NmeaParse.h"
#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortFactory.h"
#include "instruments/ports/PortList.h"

namespace tarnwick {
namespace {

std::string F(const char* format, double value) {
  char text[32];
  snprintf(text, sizeof text, format, value);
  return text;
}

// The fields of a sentence (address first), checksum verified.
std::vector<std::string> Fields(const std::string& sentence) {
  NmeaFields parsed;
  if (!ParseNMEA(sentence, parsed)) return {};
  EXPECT_TRUE(parsed.hasChecksum) << sentence;
  EXPECT_TRUE(sentence.ends_with("\r\n")) << sentence;
  return {parsed.field.begin(), parsed.field.end()};
}

// A leg from 001 at 50N 30W to 002 one degree east, own ship 0.3 NM north of it.
ActiveLeg SampleLeg() {
  ActiveLeg leg;
  leg.routeId = "{R}";
  leg.waypointName = "002";
  leg.originName = "001";
  leg.waypointIndex = 1;
  leg.origin = {50, -30};
  leg.waypoint = {50, -29};
  leg.ownShip = {50.005, -29.5};
  leg.geometry = ComputeLegGeometry(leg.origin, leg.waypoint, leg.ownShip);
  leg.arrivalRadiusNm = 0.1;
  leg.positionCurrent = true;
  leg.closingKnots = 6.25;
  return leg;
}

TEST(AutopilotSentences, FieldByField) {
  const ActiveLeg leg = SampleLeg();
  const LegGeometry& g = leg.geometry;
  ASSERT_EQ(g.steer, kSteerRight);
  // 2026-01-01T12:34:56Z
  const int64_t utcMs = 1'767'225'600'000 + (12 * 3600 + 34 * 60 + 56) * 1000LL + 250;
  const auto sentences = ComposeLegSentences(leg, false, utcMs);
  ASSERT_EQ(sentences.size(), 5u);
  const std::string xte = F("%.3f", g.crossTrackNm);
  EXPECT_EQ(xte, "0.300");
  const std::string btw = F("%.1f", g.bearingToWaypoint);
  const std::string bod = F("%.1f", g.bearingOriginToWaypoint);
  const std::string bodMagnetic =
      F("%.1f", NormalizeBearing(g.bearingOriginToWaypoint - MagneticVariationDegrees(leg.origin)));

  const std::vector<std::vector<std::string>> expected = {
      {"ECRMB", "A", xte, "R", "001", "002", "5000.000", "N", "02900.000", "W",
       F("%.2f", g.distanceToWaypointNm), btw, "6.2", "V"},
      {"ECAPB", "A", "A", xte, "R", "N", "V", "V", bod, "T", "002", btw, "T", btw, "T"},
      {"ECXTE", "A", "A", xte, "R", "N"},
      {"ECBOD", bod, "T", bodMagnetic, "M", "002", "001"},
  };
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(Fields(sentences[i]), expected[i]) << sentences[i];

  const auto bwc = Fields(sentences[4]);
  ASSERT_EQ(bwc.size(), 13u) << sentences[4];
  const double gcBearing = GreatCircleBearing(leg.ownShip, leg.waypoint);
  EXPECT_EQ(bwc[0], "ECBWC");
  EXPECT_EQ(bwc[1], "123456");
  EXPECT_EQ(bwc[2] + bwc[3] + bwc[4] + bwc[5], "5000.000N02900.000W");
  EXPECT_EQ(bwc[6], F("%.1f", gcBearing));
  EXPECT_EQ(bwc[7], "T");
  EXPECT_EQ(bwc[8], F("%.1f", NormalizeBearing(gcBearing - MagneticVariationDegrees(leg.ownShip))));
  EXPECT_EQ(bwc[9], "M");
  EXPECT_EQ(bwc[10], F("%.2f", GreatCircleDistance(leg.ownShip, leg.waypoint)));
  EXPECT_EQ(bwc[11], "N");
  EXPECT_EQ(bwc[12], "002");
}

TEST(AutopilotSentences, ApbBearingsAllMagneticNeverMixed) {
  ActiveLeg leg = SampleLeg();
  leg.insideArrivalCircle = true;
  leg.positionCurrent = false;
  const auto apb = Fields(ComposeLegSentences(leg, true, 0)[1]);
  ASSERT_EQ(apb.size(), 15u);
  EXPECT_EQ(apb[1], "V");  // no current position: warning
  EXPECT_EQ(apb[6], "A");  // arrival circle entered
  EXPECT_EQ(apb[9], "M");
  EXPECT_EQ(apb[12], "M");
  EXPECT_EQ(apb[14], "M");
  const double variation = MagneticVariationDegrees(leg.ownShip);
  ASSERT_GT(std::fabs(variation), 5.0);  // the North Atlantic: the test means something
  EXPECT_EQ(apb[11], F("%.1f", NormalizeBearing(leg.geometry.bearingToWaypoint - variation)));
  EXPECT_EQ(apb[13], apb[11]);
  // RMB bearings stay true whatever APB uses.
  const auto rmb = Fields(ComposeLegSentences(leg, true, 0)[0]);
  EXPECT_EQ(rmb[11], F("%.1f", leg.geometry.bearingToWaypoint));
}

TEST(AutopilotSentences, StopForms) {
  const auto stop = ComposeStopSentences();
  ASSERT_EQ(stop.size(), 2u);
  EXPECT_TRUE(stop[0].starts_with("$ECAPB,A,A,,,,V,V,,,,,,,,*")) << stop[0];
  EXPECT_EQ(Fields(stop[1]), (std::vector<std::string>{"ECXTE", "V", "A", "0.000", "L", "N"}));
}

class Silent final : public INavAnnouncer {
 public:
  void Speak(const std::string&) override {}
  void ShowMessageBar(const std::string&) override {}
  void Sound(NavSound) override {}
};

class AutopilotOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { CSettingsRegistry::Instance().ResetState(); }
  void TearDown() override {
    CSettingsRegistry::Instance().ResetState();
    RefreshUnitSettings();
  }

  // Formatters written since the last call ("RMB", "APB", ...).
  std::vector<std::string> Take() {
    std::vector<std::string> out;
    for (const auto& s : written_) out.push_back(s.substr(3, 3));
    written_.clear();
    return out;
  }
  static OwnShipInput At(double lat, double lon) {
    OwnShipInput in;
    in.position = LatLon{lat, lon};
    in.fixValid = true;
    return in;
  }

  CSimulatedClock clock_;
  CScopedClock scoped_{clock_};
  CNavController nav_{std::make_shared<Silent>()};
  std::vector<std::string> written_;
  CAutopilotOutput output_{nav_, [this](std::string_view s) { written_.emplace_back(s); }};
};

TEST_F(AutopilotOutputTest, PacingWaypointChangeAndStop) {
  const std::vector<std::string> leg = {"RMB", "APB", "XTE", "BOD", "BWC"};
  const std::vector<std::string> stop = {"APB", "XTE"};
  output_.Update();
  EXPECT_TRUE(Take().empty());  // idle: nothing, not even the stop forms

  auto route = std::make_shared<CRoute>();
  for (double lon : {0.5, 1.0, 1.5}) {
    auto mark = std::make_shared<CMark>();
    mark->position = {0, lon};
    route->InsertMarkAt(route->Marks().size(), mark);
  }
  nav_.Update(At(0, 0));
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);

  struct Step {
    uint64_t advanceMs;
    std::function<void()> action;
    std::vector<std::string> expected;
  };
  const Step steps[] = {
      {0, [] {}, leg},  // at once on activation
      {400, [] {}, {}},
      {599, [] {}, {}},                             // 999 ms
      {1, [] {}, leg},                              // 1000 ms
      {100, [this] { nav_.NextWaypoint(); }, leg},  // waypoint changed: at once
      {100, [] {}, {}},
      {100, [this] { nav_.Stop(); }, stop},  // stop: the stop forms once
      {2000, [] {}, {}},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    clock_.Advance(steps[i].advanceMs);
    steps[i].action();
    output_.Update();
    EXPECT_EQ(Take(), steps[i].expected) << i;
  }
}

TEST_F(AutopilotOutputTest, UnitSettingChoosesTheApbReference) {
  auto mark = std::make_shared<CMark>();
  mark->position = {50, -29};
  nav_.Update(At(50, -30));
  ASSERT_EQ(nav_.Activate(mark), ActivateResult::Activated);
  for (const char* format : {"true", "magnetic"}) {
    ASSERT_TRUE(opt::Units_BearingFormat.Set(format));
    RefreshUnitSettings();
    nav_.Stop();
    ASSERT_EQ(nav_.Activate(mark), ActivateResult::Activated);
    written_.clear();
    output_.Update();
    ASSERT_EQ(written_.size(), 5u);
    const std::string apb = written_[1];
    const auto fields = Fields(apb);
    ASSERT_EQ(fields.size(), 15u) << apb;
    const std::string reference = std::string(format) == "true" ? "T" : "M";
    EXPECT_EQ(fields[9] + fields[12] + fields[14], reference + reference + reference) << apb;
  }
}

// ---- A talker port on a loopback socket ------------------------------------

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

struct UdpPeer {
  CFileDescriptor fd{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
  UdpPeer() {
    const sockaddr_in address = Loopback(0);
    ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  uint16_t Port() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }
  // What arrives until text holds count line ends or 5 s pass.
  std::string ReceiveLines(size_t count) const {
    std::string text;
    while (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) < count) {
      pollfd p{fd.Get(), POLLIN, 0};
      if (::poll(&p, 1, 5000) <= 0) break;
      char buffer[8192];
      const ssize_t n = ::recv(fd.Get(), buffer, sizeof buffer, 0);
      if (n > 0) text.append(buffer, static_cast<size_t>(n));
    }
    return text;
  }
};

TEST_F(AutopilotOutputTest, SentencesReachTalkerPortsOnly) {
  UdpPeer talkerPeer, silentPeer;
  uint16_t localPorts[2];
  {
    UdpPeer probe1, probe2;  // two free local ports for the program's sockets
    localPorts[0] = probe1.Port();
    localPorts[1] = probe2.Port();
  }
  auto open = [](uint16_t peer, uint16_t local, bool talker) {
    PortSettings settings;
    settings.label = talker ? "autopilot" : "gps";
    settings.talker = talker;
    auto port =
        BuildPort("udp://127.0.0.1:" + std::to_string(peer) + "/?local=" + std::to_string(local),
                  settings)
            .port;
    EXPECT_TRUE(port);
    port->Open();
    EXPECT_TRUE(
        port->WaitForStatus([](const PortStatus& s) { return s.state == PortState::Open; }, 5000));
    return port;
  };
  auto talker = open(talkerPeer.Port(), localPorts[0], true);
  auto silent = open(silentPeer.Port(), localPorts[1], false);

  ASSERT_TRUE(opt::Units_BearingFormat.Set("true"));
  RefreshUnitSettings();
  CAutopilotOutput toPorts(nav_, [](std::string_view s) { PortList().WriteToTalkers(s); });
  auto mark = std::make_shared<CMark>();
  mark->position = {0, 1};
  mark->name = "Fairway";
  nav_.Update(At(0, 0));
  ASSERT_EQ(nav_.Activate(mark), ActivateResult::Activated);
  toPorts.Update();

  const std::string received = talkerPeer.ReceiveLines(5);
  const std::vector<std::string> expected = ComposeLegSentences(*nav_.Leg(), false, UtcNowMs());
  std::string joined;
  for (const auto& s : expected) joined += s;
  EXPECT_EQ(received, joined);
  EXPECT_NE(received.find("$ECRMB,A,0.000,R,,Fairway,0000.000,N,00100.000,E,60.00,90.0,0.0,V*"),
            std::string::npos)
      << received;

  pollfd p{silentPeer.fd.Get(), POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 200), 0);  // the port that is no talker got nothing
}

}  // namespace
}  // namespace tarnwick
