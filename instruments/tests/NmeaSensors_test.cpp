// The value and fix rules of one NMEA source, fed through the decoder.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "instruments/navdata/NmeaFixRules.h"
#include "instruments/navdata/NmeaValueRules.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"

namespace tarnwick {
namespace {

constexpr uint64_t kTick = 1'000'000;

void Feed(CNavSource& source, const std::vector<std::string>& sentences, uint64_t tick = kTick) {
  for (const std::string& s : sentences) DecodeNMEA(source, ReceiveTime{tick, 0}, s, nullptr, {});
}

struct ValueCase {
  const char* name;
  std::vector<std::string> sentences;
  NavItem item;
  std::optional<double> expected;
  NmeaValueOptions options{};
};

class NmeaValueRules : public ::testing::TestWithParam<ValueCase> {};

TEST_P(NmeaValueRules, FirstCurrentRuleWins) {
  const ValueCase& c = GetParam();
  CNavSource source;
  Feed(source, c.sentences);
  const auto reading = NmeaSourceValue(source.Data(), c.item, kTick + 100, c.options);
  if (!c.expected) {
    EXPECT_FALSE(reading) << reading->value;
    return;
  }
  ASSERT_TRUE(reading);
  EXPECT_NEAR(reading->value, *c.expected, 1e-9);
  EXPECT_EQ(reading->tick, kTick);
}

const char* kRmcA = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
const char* kRmcV = "$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";

INSTANTIATE_TEST_SUITE_P(
    Items, NmeaValueRules,
    ::testing::Values(
        // Headings.
        ValueCase{"HdgWithEastVariation", {"$HCHDG,100.0,,,5.0,E"}, NavItem::HeadingTrue, 105.0},
        ValueCase{"HdgWithDeviationAndVariation",
                  {"$HCHDG,100.0,2.0,W,5.0,E"},
                  NavItem::HeadingTrue,
                  103.0},
        ValueCase{"HdgWestVariation", {"$HCHDG,100.0,,,5.0,W"}, NavItem::HeadingTrue, 95.0},
        ValueCase{"HdgWithoutVariation", {"$HCHDG,100.0,,,,"}, NavItem::HeadingTrue, std::nullopt},
        ValueCase{"HdmWithRmcVariation", {kRmcA, "$HCHDM,100.0,M"}, NavItem::HeadingTrue, 96.9},
        ValueCase{"CompassOff",
                  {"$HCHDG,100.0,,,5.0,E"},
                  NavItem::HeadingTrue,
                  std::nullopt,
                  {.useCompass = false}},
        ValueCase{
            "ThsBeforeHdt", {"$HEHDT,200.0,T", "$HETHS,123.4,A"}, NavItem::HeadingTrue, 123.4},
        ValueCase{"ThsInvalidModeFallsToHdt",
                  {"$HEHDT,200.0,T", "$HETHS,123.4,V"},
                  NavItem::HeadingTrue,
                  200.0},
        ValueCase{"HdtBeforeCompass",
                  {"$HCHDG,100.0,,,5.0,E", "$HEHDT,200.0,T"},
                  NavItem::HeadingTrue,
                  200.0},
        ValueCase{"VhwHeading", {"$VWVHW,45.0,T,,M,6.5,N,,K"}, NavItem::HeadingTrue, 45.0},
        ValueCase{"VhwHeadingSwitchedOff",
                  {"$VWVHW,45.0,T,,M,6.5,N,,K"},
                  NavItem::HeadingTrue,
                  std::nullopt,
                  {.useVhwHeading = false}},
        ValueCase{"TrueHeadingWrapsInto360", {"$HCHDG,358.0,,,5.0,E"}, NavItem::HeadingTrue, 3.0},
        ValueCase{
            "MagneticWithDeviation", {"$HCHDG,100.0,2.0,E,5.0,E"}, NavItem::HeadingMagnetic, 102.0},
        ValueCase{"MagneticFromTrueLessVariation",
                  {"$HEHDT,200.0,T", "$HCHDG,,,,5.0,E"},
                  NavItem::HeadingMagnetic,
                  195.0},
        ValueCase{"RateOfTurn", {"$TIROT,-12.5,A"}, NavItem::RateOfTurn, -12.5},
        ValueCase{"RateOfTurnInvalidStatus", {"$TIROT,12.5,V"}, NavItem::RateOfTurn, std::nullopt},
        // Speed and course over ground.
        ValueCase{"VtgBeforeRmc",
                  {kRmcA, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"},
                  NavItem::SpeedOverGround,
                  5.5},
        ValueCase{"RmcSpeed", {kRmcA}, NavItem::SpeedOverGround, 22.4},
        ValueCase{"RmcVoidSpeedIgnored", {kRmcV}, NavItem::SpeedOverGround, std::nullopt},
        ValueCase{"VbwGroundComponents",
                  {"$VMVBW,1.0,0.1,A,3.0,4.0,A,,V,,V"},
                  NavItem::SpeedOverGround,
                  5.0},
        ValueCase{"VtgCourse",
                  {kRmcA, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"},
                  NavItem::CourseOverGround,
                  54.7},
        ValueCase{"RmcCourse", {kRmcA}, NavItem::CourseOverGround, 84.4},
        ValueCase{"HdopFromGga",
                  {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"},
                  NavItem::Hdop,
                  0.9},
        ValueCase{
            "HdopFromGsa", {"$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"}, NavItem::Hdop, 1.3},
        // Depth and water.
        ValueCase{
            "DptPlusOffset", {"$SDDBT,32.8,f,10.0,M,5.5,F", "$SDDPT,5.0,0.5"}, NavItem::Depth, 5.5},
        ValueCase{"DbtMetres", {"$SDDBT,32.8,f,10.0,M,5.5,F"}, NavItem::Depth, 10.0},
        ValueCase{"DbtFeetOnly", {"$SDDBT,10.0,f,,M,,F"}, NavItem::Depth, 3.048},
        ValueCase{"DbtFathomsOnly", {"$SDDBT,,f,,M,1.0,F"}, NavItem::Depth, 1.8288},
        ValueCase{"StwKnots", {"$VWVHW,,T,,M,6.5,N,12.0,K"}, NavItem::SpeedThroughWater, 6.5},
        ValueCase{"StwFromKmh", {"$VWVHW,,T,,M,,N,10.0,K"}, NavItem::SpeedThroughWater, 5.399568},
        ValueCase{"WaterTemperature", {"$INMTW,17.9,C"}, NavItem::WaterTemperature, 17.9},
        // Wind.
        ValueCase{"ApparentWindSpeed", {"$WIMWV,90,R,10,N,A"}, NavItem::ApparentWindSpeed, 10.0},
        ValueCase{"ApparentWindAngle", {"$WIMWV,90,R,10,N,A"}, NavItem::ApparentWindAngle, 90.0},
        ValueCase{"TrueWindIsNotApparent",
                  {"$WIMWV,90,T,10,N,A"},
                  NavItem::ApparentWindSpeed,
                  std::nullopt},
        ValueCase{"VwrToPort", {"$WIVWR,30,L,8.0,N,,M,,K"}, NavItem::ApparentWindAngle, 330.0},
        ValueCase{"VwrMetresPerSecond",
                  {"$WIVWR,30,R,,N,5.0,M,,K"},
                  NavItem::ApparentWindSpeed,
                  9.7192235},
        // Weather and rudder.
        ValueCase{"PressureFromBars",
                  {"$WIMDA,29.92,I,1.013,B,20.5,C,15.0,C,60,,10.0,C,90,T,95,M,5,N,2.6,M"},
                  NavItem::Pressure,
                  1013.0},
        ValueCase{"PressureFromInches",
                  {"$WIMDA,30.0,I,,B,20.5,C,15.0,C,60,,10.0,C,90,T,95,M,5,N,2.6,M"},
                  NavItem::Pressure,
                  30.0 * kMillibarsPerInchHg},
        ValueCase{"AirTemperature",
                  {"$WIMDA,29.92,I,1.013,B,20.5,C,15.0,C,60,,10.0,C,90,T,95,M,5,N,2.6,M"},
                  NavItem::AirTemperature,
                  20.5},
        ValueCase{
            "RudderPortNeedsStatus", {"$AGRSA,5.0,A,-3.0,V"}, NavItem::RudderPort, std::nullopt},
        ValueCase{"RudderStarboard", {"$AGRSA,5.0,A,-3.0,V"}, NavItem::RudderStarboard, 5.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NmeaValueFreshness, ValueHoldsForExactly5000Ms) {
  CNavSource source;
  Feed(source, {"$SDDPT,5.0,0.5"});
  EXPECT_TRUE(NmeaSourceValue(source.Data(), NavItem::Depth, kTick + 5000));
  EXPECT_FALSE(NmeaSourceValue(source.Data(), NavItem::Depth, kTick + 5001));
}

TEST(NmeaValueFreshness, DerivedValueCarriesTheOlderTick) {
  CNavSource source;
  Feed(source, {"$HCHDG,,,,5.0,E"}, kTick);
  Feed(source, {"$HCHDM,100.0,M"}, kTick + 3000);
  const auto heading = NmeaSourceValue(source.Data(), NavItem::HeadingTrue, kTick + 3000);
  ASSERT_TRUE(heading);
  EXPECT_EQ(heading->tick, kTick);
  EXPECT_FALSE(NmeaSourceValue(source.Data(), NavItem::HeadingTrue, kTick + 5001));
}

struct FixCase {
  const char* name;
  std::vector<std::string> sentences;
  std::optional<int> quality;
};

class NmeaFixQuality : public ::testing::TestWithParam<FixCase> {};

TEST_P(NmeaFixQuality, FromTheSourcesPositionSentences) {
  const FixCase& c = GetParam();
  CNavSource source;
  Feed(source, c.sentences);
  const std::optional<NavFix> fix = NmeaReceiverFix(source.Data(), kTick + 1000);
  if (!c.quality) {
    EXPECT_FALSE(fix);
    return;
  }
  ASSERT_TRUE(fix);
  EXPECT_EQ(fix->quality, *c.quality);
  EXPECT_EQ(fix->sourceKind, FixSourceKind::Receiver);
  EXPECT_NEAR(fix->position.lat, 48.1173, 1e-9);
}

std::string Rmc(char status, const char* mode) {
  return std::string("$GPRMC,123519,") + status +
         ",4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W" +
         (mode ? std::string(",") + mode : "");
}
std::string Gll(const char* tail) {
  return std::string("$GPGLL,4807.038,N,01131.000,E") + tail;
}
std::string Gga(int quality) {
  return "$GPGGA,123519,4807.038,N,01131.000,E," + std::to_string(quality) +
         ",08,0.9,545.4,M,46.9,M,,";
}
std::string Gns(const char* mode) {
  return std::string("$GPGNS,123519,4807.038,N,01131.000,E,") + mode + ",08,0.9,545.4,46.9,,";
}

INSTANTIATE_TEST_SUITE_P(
    Sentences, NmeaFixQuality,
    ::testing::Values(
        FixCase{"NoPositionSentence", {"$SDDPT,5.0,0.5"}, std::nullopt},
        FixCase{"RmcActiveNoMode", {Rmc('A', nullptr)}, 1},
        FixCase{"RmcVoidNoMode", {Rmc('V', nullptr)}, 0},
        FixCase{"RmcDifferential", {Rmc('A', "D")}, 2},
        FixCase{"RmcDifferentialVoid", {Rmc('V', "D")}, 0},
        FixCase{"RmcNotValidEvenIfActive", {Rmc('A', "N")}, 0},
        FixCase{"RmcEstimated", {Rmc('A', "E")}, 6},
        FixCase{"RmcManualCountsAsSimulated", {Rmc('A', "M")}, 8},
        FixCase{"RmcSimulator", {Rmc('V', "S")}, 8}, FixCase{"RmcAutonomous", {Rmc('A', "A")}, 1},
        FixCase{"GllDifferential", {Gll(",123519,A,D")}, 2},
        FixCase{"GllNotValid", {Gll(",123519,A,N")}, 0}, FixCase{"GllWithoutStatus", {Gll("")}, 0},
        FixCase{"GllActiveNoMode", {Gll(",123519,A")}, 1}, FixCase{"GgaQuality2", {Gga(2)}, 2},
        FixCase{"GgaQuality0", {Gga(0)}, 0}, FixCase{"GnsAutonomous", {Gns("AN")}, 1},
        FixCase{"GnsDifferential", {Gns("DN")}, 2}, FixCase{"GnsPrecise", {Gns("PN")}, 3},
        FixCase{"GnsRtk", {Gns("RN")}, 4}, FixCase{"GnsFloatRtk", {Gns("FN")}, 5},
        FixCase{"GnsEstimated", {Gns("EN")}, 6}, FixCase{"GnsManual", {Gns("MN")}, 7},
        FixCase{"GnsSimulator", {Gns("SN")}, 8}, FixCase{"GnsNoFix", {Gns("NN")}, 0},
        FixCase{"HigherQualityWins", {Gga(1), Rmc('A', "D")}, 2},
        FixCase{"LowerQualityDoesNotReplace", {Gga(2), Rmc('A', "A")}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NmeaFixRules, OnATieTheEarlierCandidateWins) {
  CNavSource source;
  // GGA and RMC both quality 1 at different positions: GGA is asked first.
  Feed(source, {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
                "$GPRMC,123519,A,4807.538,N,01131.000,E,022.4,084.4,230394,003.1,W"});
  const auto fix = NmeaReceiverFix(source.Data(), kTick);
  ASSERT_TRUE(fix);
  EXPECT_NEAR(fix->position.lat, 48.1173, 1e-9);
  EXPECT_EQ(fix->hdop, 0.9);
  EXPECT_EQ(fix->altitude, 545.4);
  EXPECT_EQ(fix->utcSeconds, 12 * 3600 + 35 * 60 + 19);
}

TEST(NmeaFixRules, StaleCandidatesDoNotCount) {
  CNavSource source;
  Feed(source, {Gga(2)}, kTick);
  Feed(source, {Rmc('A', nullptr)}, kTick + 4000);
  EXPECT_EQ(NmeaReceiverFix(source.Data(), kTick + 5000)->quality, 2);
  EXPECT_EQ(NmeaReceiverFix(source.Data(), kTick + 5001)->quality, 1);
  EXPECT_FALSE(NmeaReceiverFix(source.Data(), kTick + 9001));
}

}  // namespace
}  // namespace tarnwick
