#include "instruments/nmea/NavSource.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NmeaOutput.h"

namespace tarnwick {
namespace {

// Feeds position sentences into one source at chosen ticks.
class CFeeder {
 public:
  void Rmc(uint64_t tick, double lat, double lon, const char* sog = "5.0", int decimals = 4) {
    Send(tick, "$GPRMC,120000," + std::string("A,") + Lat(lat, decimals) + "," +
                   Lon(lon, decimals) + "," + sog + ",90.0,010125,,,A");
  }
  void Gga(uint64_t tick, double lat, double lon, int decimals = 4) {
    Send(tick, "$GPGGA,120000," + Lat(lat, decimals) + "," + Lon(lon, decimals) +
                   ",1,08,0.9,1.0,M,0.0,M,,");
  }
  void Gll(uint64_t tick, double lat, double lon, int decimals = 4) {
    Send(tick, "$GPGLL," + Lat(lat, decimals) + "," + Lon(lon, decimals) + ",120000,A,A");
  }
  void Send(uint64_t tick, const std::string& sentence) {
    DecodeNMEA(source, ReceiveTime{tick, 0}, sentence, nullptr, NmeaDecoderHooks{});
  }
  const NavSourceData& Data() const { return source.Data(); }
  CNavSource source;

 private:
  static std::string Lat(double v, int d) { return NmeaLatitudeField(v, d); }
  static std::string Lon(double v, int d) { return NmeaLongitudeField(v, d); }
};

TEST(NavSource, JumpFilterIsSharedByRmcGgaAndGll) {
  CFeeder f;
  f.Rmc(1000, 50.0, -4.0);
  f.Gga(2000, 50.001, -4.001);
  f.Gll(3000, 52.0, -4.0);  // 2 degrees off the RMC/GGA mean
  EXPECT_EQ(f.Data().gll.tick, 0u);
  EXPECT_NEAR(f.Data().fix.position.value.lat, 50.001, 1e-9);
  // The rejected fix entered the history: the GGA mean is now half way.
  EXPECT_NEAR(f.Data().history[0].lat, 52.0, 1e-9);
  EXPECT_NEAR(f.Data().history[1].lat, 50.001, 1e-9);
}

TEST(NavSource, RealJumpAcceptedAfterTwoReports) {
  struct Step {
    double lat;
    bool accepted;
  };
  const Step steps[] = {{10.0, true}, {10.0, true}, {12.0, false}, {12.0, false}, {12.0, true}};
  CFeeder f;
  uint64_t tick = 1000;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.lat);
    tick += 1000;
    f.Rmc(tick, s.lat, 20.0);
    EXPECT_EQ(f.Data().rmc.tick == tick, s.accepted);
  }
}

TEST(NavSource, JumpFilterAcrossTheDateLine) {
  CFeeder f;
  f.Rmc(1000, 10.0, 179.9);
  f.Rmc(2000, 10.0, -179.95);
  EXPECT_EQ(f.Data().rmc.tick, 2000u);
  EXPECT_NEAR(f.Data().rmc.position.lon, -179.95, 1e-9);
}

TEST(NavSource, ZeroZeroIsNeverStored) {
  CFeeder f;
  f.Send(1000, "$GPRMC,120000,A,0000.000,N,00000.000,E,0.0,0.0,010125,,,A");
  f.Send(1000, "$GPGGA,120000,,,,,0,00,99.9,,M,,M,,");
  EXPECT_FALSE(f.Data().fix.position.valid);
  EXPECT_EQ(f.Data().historyCount, 0);
}

TEST(NavSource, PrecisionHoldPerSentenceType) {
  struct Step {
    uint64_t tick;
    const char* type;
    int decimals;
    bool stored;
  };
  const Step steps[] = {
      {10'000, "GGA", 4, true},
      {11'000, "GGA", 2, false},  // fewer decimals within 5 s of the 4-decimal fix
      {12'000, "RMC", 2, true},   // RMC keeps its own precision
      {14'999, "GGA", 2, false},
      {15'000, "GGA", 2, true},  // the hold has run out
      {15'500, "GGA", 4, true},  // more decimals are always taken
      {16'000, "GGA", 3, false},
  };
  CFeeder f;
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.type) + " at " + std::to_string(s.tick));
    const std::string type = s.type;
    if (type == "GGA")
      f.Gga(s.tick, 45.123456, 7.654321, s.decimals);
    else
      f.Rmc(s.tick, 45.123456, 7.654321, "5.0", s.decimals);
    const PositionReport& report = type == "GGA" ? f.Data().gga : f.Data().rmc;
    EXPECT_EQ(report.tick == s.tick, s.stored);
  }
}

TEST(NavSource, RmcSpeedSmoothing) {
  struct Step {
    const char* sog;
    double smoothed;
  };
  const Step steps[] = {
      {"10.0", 10.0},               // first speed taken as is
      {"20.0", 11.5},               // 10 + 0.15 * (20 - 10)
      {"20.0", 12.775}, {"", 0.0},  // no speed: the smoothed speed follows (to nothing)
      {"4.0", 4.0},                 // previous invalid: restart from the new value
  };
  CFeeder f;
  uint64_t tick = 1000;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.sog);
    tick += 1000;
    f.Rmc(tick, 40.0, 10.0, s.sog);
    EXPECT_NEAR(f.Data().smoothedSog, s.smoothed, 1e-9);
  }
}

TEST(NavSource, ValuesAgeByTheirTicks) {
  NavValue<double> v;
  EXPECT_FALSE(v.Current(0));
  v.Set(3.0, 1000);
  EXPECT_TRUE(v.Current(1000));
  EXPECT_TRUE(v.Current(6000));
  EXPECT_FALSE(v.Current(6001));
  EXPECT_FALSE(v.Current(999));  // a reader with an older clock reading
  v.SetInvalid(2000);
  EXPECT_FALSE(v.Current(2000));
  EXPECT_EQ(v.value, 3.0);
}

TEST(NavSource, SnapshotCopiesUnderTheLock) {
  CFeeder f;
  f.Rmc(1000, 40.0, 10.0);
  const NavSourceData copy = f.source.Snapshot();
  f.Rmc(2000, 40.1, 10.0);
  EXPECT_NEAR(copy.fix.position.value.lat, 40.0, 1e-9);
  EXPECT_NEAR(f.Data().fix.position.value.lat, 40.1, 1e-9);
  EXPECT_STREQ(SensorKindName(SensorKind::HdgAis), "hdg-ais");
}

// The port thread decodes while the user-interface thread reads under the lock.
TEST(NavSource, DecodeAndReadFromTwoThreads) {
  CFeeder f;
  std::thread port([&] {
    for (uint64_t i = 1; i <= 2000; ++i) {
      f.Rmc(i * 100, 40.0 + static_cast<double>(i % 10) * 1e-4, 10.0);
      f.Send(i * 100, "$HEHDT," + std::to_string(i % 360) + ".0,T");
    }
  });
  double lastLat = 0;
  for (int i = 0; i < 2000; ++i) {
    const NavSourceData copy = f.source.Snapshot();
    if (copy.fix.position.valid) lastLat = copy.fix.position.value.lat;
  }
  port.join();
  EXPECT_TRUE(lastLat == 0 || (lastLat >= 40.0 && lastLat < 40.001));
  EXPECT_EQ(f.source.Snapshot().rmc.tick, 200'000u);
}

}  // namespace
}  // namespace tarnwick
