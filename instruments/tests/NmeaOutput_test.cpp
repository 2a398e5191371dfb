#include "instruments/nmea/NmeaOutput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaFieldReaders.h"
#include "instruments/nmea/NmeaParse.h"

namespace tarnwick {
namespace {

TEST(NmeaOutput, LatitudeAndLongitudeFields) {
  struct Case {
    double degrees;
    int decimals;
    bool latitude;
    const char* text;
  };
  const Case cases[] = {
      {48.1173, 3, true, "4807.038,N"},
      {-37.860833333, 2, true, "3751.65,S"},
      {11.516666667, 3, false, "01131.000,E"},
      {-123.185333333, 2, false, "12311.12,W"},
      {5.5, 0, true, "00530,N"},
      {0.0, 4, true, "0000.0000,N"},
      {59.99999999, 3, true, "6000.000,N"},  // minutes never print as 60
      {-0.5, 1, false, "00030.0,W"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.latitude ? NmeaLatitudeField(c.degrees, c.decimals)
                         : NmeaLongitudeField(c.degrees, c.decimals),
              c.text);
    // And back through the decoder's reading rule.
    std::string text = c.text;
    const size_t comma = text.find(',');
    EXPECT_NEAR(NmeaAngle(text.substr(0, comma), text.substr(comma + 1)), c.degrees,
                0.6 / 60.0 * std::pow(10.0, -c.decimals));
  }
}

TEST(NmeaOutput, Escaping) {
  EXPECT_EQ(NmeaEscape("A,B*C$D!E\\F^G~H\x7fI\r"), "A^2CB^2AC^24D^21E^5CF^5EG^7EH^7FI^0D");
  EXPECT_EQ(NmeaEscape("plain text"), "plain text");
  // The output stops before a character that would not fit.
  EXPECT_EQ(NmeaEscape("ab,cd", 4), "ab");
  EXPECT_EQ(NmeaEscape("ab,cd", 5), "ab^2C");
  EXPECT_EQ(NmeaUnescape(NmeaEscape("x,y*z^")), "x,y*z^");
}

TEST(NmeaOutput, FormatsAndChecksums) {
  SteeringValues steering;
  steering.crossTrackNm = 0.123;
  steering.steer = 'R';
  steering.bearingOriginToDestination = 45.0;
  steering.destinationId = "WP,2";
  steering.originId = "WP1";
  steering.bearingToDestination = 46.5;
  steering.headingToSteer = 47.0;
  steering.destination = LatLon{49.287333, -123.1595};
  steering.rangeNm = 1.3;
  steering.closingKnots = 0.5;
  BearingDistanceValues bwc;
  bwc.hours = 22;
  bwc.minutes = 5;
  bwc.seconds = 16;
  bwc.waypoint = LatLon{51.5, -0.25};
  bwc.bearingTrue = 213.8;
  bwc.bearingMagnetic = 218.0;
  bwc.distanceNm = 4.6;
  bwc.waypointId = "EGLM";
  RmcValues rmc;
  rmc.hours = 12;
  rmc.minutes = 35;
  rmc.seconds = 19;
  rmc.position = LatLon{48.1173, 11.516666667};
  rmc.latLonDecimals = 3;
  rmc.sogKnots = 22.4;
  rmc.cogTrue = 84.4;
  rmc.day = 23;
  rmc.month = 3;
  rmc.year = 1994;
  rmc.variation = -3.1;

  struct Case {
    std::string sentence;
    const char* expected;
  };
  const Case cases[] = {
      {FormatAAM("$GP", AamValues{true, false, 0.1, 2, "WPTNME"}), "$GPAAM,A,V,0.10,N,WPTNME*"},
      {FormatAAM("$GP", std::nullopt), "$GPAAM,V,V,,,*"},
      {FormatAPA("$GP", steering), "$GPAPA,A,A,0.123,R,N,V,V,45.0,M,WP^2C2*"},
      {FormatAPA("$GP", std::nullopt), "$GPAPA,A,A,,,,V,V,,,*"},
      {FormatAPB("$GP", steering), "$GPAPB,A,A,0.123,R,N,V,V,45.0,T,WP^2C2,46.5,T,47.0,T*"},
      {FormatAPB("$GP", std::nullopt), "$GPAPB,A,A,,,,V,V,,,,,,,,*"},
      {FormatBOD("$GP", 97.0, 103.2, "POINTB", "POINTA"), "$GPBOD,97.0,T,103.2,M,POINTB,POINTA*"},
      {FormatBWC("$GP", bwc), "$GPBWC,220516,5130.000,N,00015.000,W,213.8,T,218.0,M,4.60,N,EGLM*"},
      {FormatBWR("$GP", bwc), "$GPBWR,220516,5130.000,N,00015.000,W,213.8,T,218.0,M,4.60,N,EGLM*"},
      {FormatHDG("$HC", 98.3, -3.5), "$HCHDG,98.3,,,3.5,W*"},
      {FormatHDG("$HC", std::nullopt, 3.5), "$HCHDG,,,,3.5,E*"},
      {FormatHDT("$HE", 274.07), "$HEHDT,274.1,T*"},
      {FormatHDT("$HE", std::nullopt), "$HEHDT,,T*"},
      {FormatHSC("$EC", 40.0, 37.5), "$ECHSC,40.0,T,37.5,M*"},
      {FormatMWD("$WI", WindValues{270.0, 268.0, 10.0}), "$WIMWD,270.0,T,268.0,M,10.00,N,5.14,M*"},
      {FormatMWD("$WI", std::nullopt), "$WIMWD,,T,,M,,N,,M*"},
      {FormatMWV("$WI", 45.0, 12.34), "$WIMWV,45.0,R,12.3,N,A*"},
      {FormatMWV("$WI", std::nullopt, 12.34), "$WIMWV,,R,,N,V*"},
      {FormatRMB("$GP", steering),
       "$GPRMB,A,0.123,R,WP1,WP^2C2,4917.240,N,12309.570,W,1.30,46.5,0.5,V*"},
      {FormatRMC("$GP", rmc),
       "$GPRMC,123519.00,A,4807.038,N,01131.000,E,22.4,84.4,230394,3.1,W,A*"},
      {FormatVHW("$VW", 90.0, 85.0, 6.5), "$VWVHW,90.0,T,85.0,M,6.5,N,12.0,K*"},
      {FormatVHW("$VW", 90.0, std::nullopt, std::nullopt), "$VWVHW,90.0,T,,M,,N,,K*"},
      {FormatVTG("$GP", 54.7, 34.4, 5.5), "$GPVTG,54.7,T,34.4,M,5.5,N,10.2,K*"},
      {FormatWDC("$GP", 12.345, "WP3"), "$GPWDC,12.35,N,WP3*"},
      {FormatWDR("$GP", 12.345, "WP3", 1), "$GPWDR,12.3,N,WP3*"},
      {FormatWPL("$GP", LatLon{49.286, -123.177333}, "003"), "$GPWPL,4917.160,N,12310.640,W,003*"},
      {FormatXTE("$GP", steering), "$GPXTE,A,A,0.123,R,N*"},
      {FormatAisQuery("SSD"), "$ECAIQ,SSD*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    const std::string& s = c.sentence;
    ASSERT_GE(s.size(), 5u);
    EXPECT_EQ(s.substr(0, s.size() - 4), c.expected);
    EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
    NmeaFields fields;
    ASSERT_TRUE(ParseNMEA(s, fields));
    EXPECT_TRUE(fields.hasChecksum);
  }
}

// What the program writes reads back as the same values.
TEST(NmeaOutput, RoundTripThroughTheDecoder) {
  CNavSource source;
  RmcValues rmc;
  rmc.hours = 1;
  rmc.minutes = 2;
  rmc.seconds = 3.5;
  rmc.position = LatLon{-33.856789, 151.215432};
  rmc.sogKnots = 7.25;
  rmc.sogDecimals = 2;
  rmc.cogTrue = 271.3;
  rmc.day = 5;
  rmc.month = 12;
  rmc.year = 2026;
  rmc.variation = 12.5;
  const NmeaDecoderHooks none;
  DecodeNMEA(source, ReceiveTime{1000, 0}, FormatRMC("$GP", rmc), nullptr, none);
  DecodeNMEA(source, ReceiveTime{1000, 0}, FormatHDT("$HE", 359.9), nullptr, none);
  DecodeNMEA(source, ReceiveTime{1000, 0}, FormatMWV("$WI", 123.4, 15.5), nullptr, none);
  DecodeNMEA(source, ReceiveTime{1000, 0}, FormatVHW("$VW", 10.0, 8.0, 6.0), nullptr, none);
  const NavSourceData& d = source.Data();
  EXPECT_NEAR(d.fix.position.value.lat, -33.856789, 1e-6);
  EXPECT_NEAR(d.fix.position.value.lon, 151.215432, 1e-6);
  EXPECT_DOUBLE_EQ(d.fix.utcTime.value, 3723.5);
  EXPECT_DOUBLE_EQ(d.sog.value, 7.25);
  EXPECT_DOUBLE_EQ(d.cog.value, 271.3);
  EXPECT_EQ(d.fix.date.value, 51226);
  EXPECT_DOUBLE_EQ(d.rmcVariation.value, -12.5);  // East is stored negative
  EXPECT_DOUBLE_EQ(d.heading.trueHdt.value, 359.9);
  EXPECT_DOUBLE_EQ(d.windRelative.angle.value, 123.4);
  EXPECT_DOUBLE_EQ(d.windRelative.speed.value, 15.5);
  EXPECT_DOUBLE_EQ(d.water.knots.value, 6.0);
  EXPECT_DOUBLE_EQ(d.water.kmh.value, 11.1);
}

}  // namespace
}  // namespace tarnwick
