#include "instruments/nmea/DecodeNmea.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Log.h"
#include "instruments/nmea/AisSentenceSink.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaOutput.h"
#include "instruments/nmea/NmeaPortContext.h"
#include "instruments/nmea/NmeaRouted.h"
#include "instruments/nmea/Sensor.h"
#include "instruments/nmea/SensorRegistry.h"

namespace tarnwick {
namespace {

constexpr uint64_t kTick = 50'000;

bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line == text) return true;
  }
  return false;
}

struct RowCase {
  const char* sentence;
  const char* message;  // a debug line the sentence must log, or nullptr
  std::function<void(const NavSourceData&)> check;
};

// Each row decodes one sentence into a fresh source (with the heading sensor
// correcting by +2 degrees) and checks what was stored or logged.
class CCorrectingRegistry final : public ISensorRegistry {
 public:
  CSensor* ObtainSensor(CNavSource& source, INmeaPortContext*, std::string_view kind) override {
    kinds.emplace_back(kind);
    sensors.push_back(std::make_unique<CSensor>(std::string(kind), &source, "test"));
    return sensors.back().get();
  }
  double HeadingCorrection(const CNavSource&, const INmeaPortContext*) override { return 2.0; }
  void OnNewTransducer(CNavSource&, std::string_view id, char type) override {
    transducers.push_back(std::string(id) + "/" + type);
  }
  std::vector<std::string> kinds;
  std::vector<std::string> transducers;
  std::vector<std::unique_ptr<CSensor>> sensors;
};

TEST(DecodeNmea, SentenceTable) {
  const RowCase rows[] = {
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_NEAR(d.fix.position.value.lat, 48.1173, 1e-9);
         EXPECT_NEAR(d.fix.position.value.lon, 11.516666667, 1e-9);
         EXPECT_DOUBLE_EQ(d.fix.utcTime.value, 12 * 3600 + 35 * 60 + 19);
         EXPECT_EQ(d.fix.date.value, 230394);
         EXPECT_DOUBLE_EQ(d.sog.value, 22.4);
         EXPECT_DOUBLE_EQ(d.cog.value, 84.4);
         EXPECT_DOUBLE_EQ(d.rmcVariation.value, 3.1);  // West positive
         EXPECT_EQ(d.rmc.status, 'A');
       }},
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,E,A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.rmcVariation.value, -3.1);
         EXPECT_EQ(d.rmc.mode, 'A');
       }},
      {"$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,S", nullptr,
       [](const NavSourceData& d) { EXPECT_TRUE(d.rmcVariation.valid); }},
      {"$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_FALSE(d.rmcVariation.valid);
         EXPECT_TRUE(d.fix.position.valid);
       }},
      {"$GPRMC,123519,X,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
       "DecodeNMEA: GPRMC: unknown status code: X",
       [](const NavSourceData& d) { EXPECT_FALSE(d.rmcVariation.valid); }},
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1",
       "\tRMC: Wrong param count!", [](const NavSourceData& d) { EXPECT_FALSE(d.sog.valid); }},
      {"$GPRMC,,V,,,,,,,,,,N", nullptr,
       [](const NavSourceData& d) { EXPECT_FALSE(d.fix.position.valid); }},
      // Values that cannot be are no fix: logged and dropped.
      {"$GPRMC,123519,A,9507.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
       "DecodeNMEA: GPRMC: position out of range; dropped",
       [](const NavSourceData& d) { EXPECT_FALSE(d.fix.position.valid); }},
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,-22.4,084.4,230394,003.1,W",
       "DecodeNMEA: GPRMC: speed out of range; dropped",
       [](const NavSourceData& d) { EXPECT_FALSE(d.fix.position.valid || d.sog.valid); }},
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,412.0,230394,003.1,W",
       "DecodeNMEA: GPRMC: course out of range; dropped",
       [](const NavSourceData& d) { EXPECT_FALSE(d.fix.position.valid || d.cog.valid); }},
      {"$GPGGA,123519,4807.038,N,18131.000,E,1,08,0.9,545.4,M,46.9,M",
       "DecodeNMEA: GPGGA: position out of range; dropped",
       [](const NavSourceData& d) { EXPECT_FALSE(d.fix.position.valid); }},
      {"$GPGLL,4976.45,N,12311.12,W,225444,A,A", "DecodeNMEA: GPGLL: position out of range; dropped",
       [](const NavSourceData& d) { EXPECT_FALSE(d.fix.position.valid); }},
      {"$HEHDT,400.0,T", "DecodeNMEA: HEHDT: heading out of range; dropped",
       [](const NavSourceData& d) { EXPECT_FALSE(d.heading.trueHdt.valid); }},
      {"$GPVTG,054.7,T,034.4,M,999.0,N,010.2,K", "DecodeNMEA: GPVTG: speed out of range; dropped",
       [](const NavSourceData& d) {
         EXPECT_FALSE(d.vtgSogKnots.valid);
         EXPECT_TRUE(d.vtgCogTrue.valid);
       }},
      {"$GPGGA,123519,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,3.5,0120*6F", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.fix.quality.value, 2);
         EXPECT_EQ(d.fix.satellites.value, 8);
         EXPECT_DOUBLE_EQ(d.fix.hdop.value, 0.9);
         EXPECT_DOUBLE_EQ(d.fix.altitude.value, 545.4);
         EXPECT_DOUBLE_EQ(d.fix.geoidSeparation.value, 46.9);
         EXPECT_DOUBLE_EQ(d.fix.diffAge.value, 3.5);
         EXPECT_EQ(d.fix.diffStation.value, 120);
       }},
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.fix.diffStation.value, 0);
         EXPECT_TRUE(d.fix.diffStation.valid);
       }},
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9",
       "\tGGA: Wrong param count! (12)",
       [](const NavSourceData& d) { EXPECT_FALSE(d.fix.position.valid); }},
      {"$GPGLL,4916.45,N,12311.12,W,225444,A,A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_NEAR(d.gll.position.lon, -123.185333333, 1e-9);
         EXPECT_EQ(d.gll.status, 'A');
         EXPECT_EQ(d.gll.mode, 'A');
         EXPECT_DOUBLE_EQ(d.gll.utcSeconds, 22 * 3600 + 54 * 60 + 44);
       }},
      {"$GPGLL,4916.45,N,12311", "\tGLL: Wrong param count!", nullptr},
      {"$GNGNS,014035.00,4332.69262,S,17235.48549,E,RR,13,0.9,25.63,11.24,,", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.gns.mode, 'R');
         EXPECT_EQ(d.gns.mode2, 'R');
         EXPECT_EQ(d.fix.satellites.value, 13);
         EXPECT_NEAR(d.gns.position.lat, -43.544877, 1e-6);
       }},
      {"$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.gsa.selectionMode.value, 1);
         EXPECT_EQ(d.gsa.fixType.value, 3);
         EXPECT_EQ(d.gsa.satelliteIds[0], 4);
         EXPECT_EQ(d.gsa.satelliteIds[2], 0);
         EXPECT_DOUBLE_EQ(d.gsa.pdop.value, 2.5);
         EXPECT_DOUBLE_EQ(d.gsa.vdop.value, 2.1);
       }},
      {"$GPGSA,A,3,04,05", "\tGSA: Wrong param count!", nullptr},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.vtgCogTrue.value, 54.7);
         EXPECT_DOUBLE_EQ(d.vtgCogMagnetic.value, 34.4);
         EXPECT_DOUBLE_EQ(d.vtgSogKnots.value, 5.5);
         EXPECT_DOUBLE_EQ(d.vtgSogKmh.value, 10.2);
       }},
      {"$GPVTG,054.7,X,,M,005.5,N,010.2,K", "\tVTG: invalid true track!",
       [](const NavSourceData& d) {
         EXPECT_FALSE(d.vtgCogTrue.valid);
         EXPECT_FALSE(d.vtgCogMagnetic.valid);
         EXPECT_TRUE(d.vtgSogKnots.valid);
       }},
      {"$GPVTG,054.7,T,034.4,M,5.5x,N,010.2,K", "\tVTG: invalid N speed", nullptr},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,N", "\tVTG: invalid K speed", nullptr},
      {"$HEHDT,359.0,T", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.heading.trueHdt.value, 1.0); }},
      {"$HEHDT,abc,T", "\tHDT: Invalid true heading!",
       [](const NavSourceData& d) {
         EXPECT_FALSE(d.heading.trueHdt.valid);
         EXPECT_EQ(d.heading.trueHdt.value, 0.0);
       }},
      {"$HEHDT", "\tHDT: Wrong param count!", nullptr},
      {"$HETHS,100.0,A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.heading.trueThs.value, 102.0);
         EXPECT_EQ(d.heading.thsMode.value, 'A');
       }},
      {"$HCHDG,100.0,,,5.0,E", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.heading.magnetic.value, 102.0);
         EXPECT_FALSE(d.heading.deviation.valid);
         EXPECT_DOUBLE_EQ(d.heading.variation.value, 5.0);
       }},
      {"$HCHDG,100.0,1.5,X,5.0,W", "\tHDG: Invalid magnetic deviation",
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.heading.variation.value, -5.0); }},
      {"$HCHDG,100.0,,,5.0,", "\tHDG: Invalid magnetic variation", nullptr},
      {"$HCHDM,80.0,M", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.heading.magnetic.value, 82.0); }},
      {"$TIROT,-12.5,A", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.heading.rateOfTurn.value, -12.5); }},
      {"$TIROT,-12.5,V", "\tROT: Invalid rate or status!",
       [](const NavSourceData& d) { EXPECT_FALSE(d.heading.rateOfTurn.valid); }},
      {"$AGRSA,10.5,A,-3.0,V", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.rudderStarboard.value, 10.5);
         EXPECT_FALSE(d.rudderPort.valid);
       }},
      {"$AGRSA,10.5,A", nullptr,
       [](const NavSourceData& d) { EXPECT_EQ(d.rudderPort.value, 0.0); }},
      {"$AGRSA,10.5,A,1", "\tRSA: Wrong param count!", nullptr},
      {"$ERRPM,E,1,2200.5,10.0,A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.rpm[1].source, 2);
         EXPECT_DOUBLE_EQ(d.rpm[1].speed.value, 2200.5);
       }},
      {"$ERRPM,S,5,2200.5,10.0,A", "RPM: index too high!", nullptr},
      {"$SDDBT,10.0,f,,M,,F", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.depth.dbt.value, 3.048); }},
      {"$SDDBT,,f,,M,1.0,F", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.depth.dbt.value, 1.8288); }},
      {"$SDDBT,32.8,f,10.0,M,5.5,F", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.depth.dbt.value, 10.0);
         EXPECT_DOUBLE_EQ(d.depth.feet.value, 32.8);
       }},
      {"$SDDBT,,f,,M,,F", nullptr, [](const NavSourceData& d) { EXPECT_EQ(d.depth.dbt.tick, 0u); }},
      {"$SDDBT,1,f", "\tDBT: Wrong param count!", nullptr},
      {"$SDDPT,2.4,0.5,100", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.depth.dpt.value, 2.4);
         EXPECT_DOUBLE_EQ(d.depth.offset.value, 0.5);
       }},
      {"$SDDPT,,0.5", nullptr, [](const NavSourceData& d) { EXPECT_EQ(d.depth.dpt.tick, 0u); }},
      {"$SDDBS,,f,4.2,M,,F", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.depth.belowSurface.value, 4.2); }},
      {"$SDDBK,10.0,f,,M,", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.depth.belowKeel.value, 3.048); }},
      {"$VWVHW,90.0,T,85.0,M,6.5,N,12.0,K", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.water.headingTrue.value, 92.0);
         EXPECT_DOUBLE_EQ(d.water.headingMagnetic.value, 87.0);
         EXPECT_DOUBLE_EQ(d.water.knots.value, 6.5);
       }},
      {"$VWVBW,5.0,0.2,A,5.5,0.3,V,,V,,V", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.water.waterLongitudinal.value, 5.0);
         EXPECT_FALSE(d.water.groundLongitudinal.valid);
       }},
      {"$VWVLW,1234.5,N,12.3,N", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.water.totalDistance.value, 1234.5);
         EXPECT_DOUBLE_EQ(d.water.distanceSinceReset.value, 12.3);
       }},
      {"$VWVLW,1234.5,K,12.3,N", "\tVLW: Invalid total distance!", nullptr},
      {"$IIVDR,45.0,T,40.0,M,1.5,N", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.current.drift.value, 1.5); }},
      {"$IIVDR,45.0,T,40.0,M,1.5,K", "\tVDR: invalid drift", nullptr},
      {"$WIMWV,045.0,R,10,K,A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_NEAR(d.windRelative.speed.value, 5.399568, 1e-12);
         EXPECT_DOUBLE_EQ(d.windRelative.angle.value, 45.0);
         EXPECT_EQ(d.windReference.value, 'R');
       }},
      {"$WIMWV,270.0,T,10,M,A", nullptr,
       [](const NavSourceData& d) { EXPECT_NEAR(d.windTrue.speed.value, 19.438447, 1e-9); }},
      {"$WIMWV,270.0,T,10,S,A", nullptr,
       [](const NavSourceData& d) { EXPECT_NEAR(d.windTrue.speed.value, 8.6897624, 1e-9); }},
      {"$WIMWV,,T,10,N,A", nullptr,
       [](const NavSourceData& d) { EXPECT_FALSE(d.windTrue.speed.valid); }},
      {"$WIMWV,270.0,T,10,N,V", nullptr,
       [](const NavSourceData& d) { EXPECT_FALSE(d.windTrue.angle.valid); }},
      {"$WIVWR,30.0,L,12.0,N,6.2,M,22.2,K", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.vwr.side.value, -1);
         EXPECT_DOUBLE_EQ(d.vwr.knots.value, 12.0);
         EXPECT_DOUBLE_EQ(d.vwr.kmh.value, 22.2);
       }},
      {"$WIVWT,30.0,X,12.0,N,6.2,M,22.2,K", nullptr,
       [](const NavSourceData& d) { EXPECT_FALSE(d.vwt.side.valid); }},
      {"$WIMDA,29.9,I,1.013,B,18.5,C,14.2,C,65.0,,12.0,C,200.0,T,190.0,M,8.0,N,4.1,M", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.meteo.pressureBars.value, 1.013);
         EXPECT_DOUBLE_EQ(d.meteo.waterTemperature.value, 14.2);
         EXPECT_DOUBLE_EQ(d.meteo.windSpeedMetres.value, 4.1);
       }},
      {"$YXMTW,59.0,F", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.waterTemperature.value, 15.0); }},
      {"$YXMTW,15.0,X", "\tMTW: Invalid celsius temperature!", nullptr},
      {"$GPZDA,201530.00,04,07,2002,-05,00", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.zda.hours, 20);
         EXPECT_EQ(d.zda.minutes, 15);
         EXPECT_FLOAT_EQ(d.zda.seconds, 30.0f);
         EXPECT_EQ(d.zda.year, 2002);
         EXPECT_EQ(d.zda.zoneHours, -5);
         EXPECT_TRUE(d.zda.hasZoneMinutes);
       }},
      {"$GPZDA,2015,04,07,2002,,", "\tZDA: invalid UTC format",
       [](const NavSourceData& d) {
         EXPECT_EQ(d.zda.hours, -1);
         EXPECT_FALSE(d.zda.hasZoneHours);
       }},
      {"$IIXDR,C,19.5,C,AirTemp,P,1.013,B,Baro", nullptr,
       [](const NavSourceData& d) {
         ASSERT_EQ(d.transducers.size(), 2u);
         EXPECT_EQ(d.transducers[0].id, "AirTemp");
         EXPECT_DOUBLE_EQ(d.transducers[1].value, 1.013);
       }},
      {"$IIXDR,CC,19.5,C,AirTemp,A,2.0,D,", "XDR: Invalid type",
       [](const NavSourceData& d) {
         ASSERT_EQ(d.transducers.size(), 1u);
         EXPECT_EQ(d.transducers[0].id, "unknown");
       }},
      {"$GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V*20", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.route.steer.value, -1);
         EXPECT_EQ(d.route.destinationId, "004");
         EXPECT_NEAR(d.route.destination.value.lat, 49.287333, 1e-6);
         EXPECT_DOUBLE_EQ(d.route.bearing.value, 52.5);
         EXPECT_EQ(d.route.arrival.value, 'V');
       }},
      {"$GPBOD,097.0,T,103.2,M,POINTB,POINTA*4A", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.route.bodMagnetic.value, 103.2);
         EXPECT_EQ(d.route.bodOriginId, "POINTA");
       }},
      {"$GPBOD,097.0,M,103.2,M,POINTB,POINTA", "\tBOD: Invalid true bearing!", nullptr},
      {"$GPWPL,4917.16,N,12310.64,W,003*65", nullptr,
       [](const NavSourceData& d) {
         ASSERT_EQ(d.receivedRoute.waypoints.size(), 1u);
         EXPECT_EQ(d.receivedRoute.waypoints[0].id, "003");
       }},
      {"$GPRTE,1,1,c,0,PBRCPK,PBRTO,PTELGR*70", nullptr,
       [](const NavSourceData& d) {
         EXPECT_TRUE(d.receivedRoute.complete);
         EXPECT_EQ(d.receivedRoute.mode, 'C');
         EXPECT_EQ(d.receivedRoute.routeWaypointIds.size(), 3u);
       }},
      {"$GPRTE,1,1,x,0,A", "\tUnknown message mode (x)", nullptr},
      {"$RATTM,11,1.2,45.0,T,10.0,90.0,T,0.5,12.0,N,TGT,T,,123456.00,A", nullptr,
       [](const NavSourceData& d) {
         const RadarTarget& t = d.radarTargets.targets.at(11);
         EXPECT_DOUBLE_EQ(t.cpaDistance, 0.5);
         EXPECT_EQ(t.name, "TGT");
       }},
      {"$RATTM,100,1.2,45.0,T,10.0,90.0,T,0.5,12.0,N,TGT,T,,123456.00,A",
       "\tTTM: invalid target number", nullptr},
      {"$RATLL,07,4807.038,N,01131.000,E,BUOY,123456,T,", nullptr,
       [](const NavSourceData& d) { EXPECT_TRUE(d.radarTargets.targets.at(7).hasPosition); }},
      {"$IIALR,123456.00,031,A,V,Fire^2C deck 2", nullptr,
       [](const NavSourceData& d) {
         ASSERT_EQ(d.alarms.size(), 1u);
         EXPECT_TRUE(d.alarms[0].active);
         EXPECT_FALSE(d.alarms[0].acknowledged);
         EXPECT_EQ(d.alarms[0].description, "Fire, deck 2");
       }},
      {"$GPTXT,01,01,02,ANTSTATUS=OK*3B", nullptr,
       [](const NavSourceData& d) {
         ASSERT_EQ(d.messages.texts.size(), 1u);
         EXPECT_EQ(d.messages.texts[0], "02:ANTSTATUS=OK");
       }},
      {"$AIHBT,30,A,1", nullptr,
       [](const NavSourceData& d) { EXPECT_EQ(d.transponder.aliveUntil, kTick + 30'000); }},
      {"$GPHBT,30,A,1", nullptr,
       [](const NavSourceData& d) { EXPECT_EQ(d.transponder.aliveUntil, 0u); }},
      {"$AIVSD,70,7.5,12,rotterdam@@@,123000,24,12,0,0", nullptr,
       [](const NavSourceData& d) {
         EXPECT_EQ(d.transponder.voyageData.destination, "ROTTERDAM   ");
         EXPECT_DOUBLE_EQ(d.transponder.voyageData.draughtMetres, 7.5);
       }},
      {"$CRMOB,1A2B3,A,123000.00,1,240125,123010.00,4807.038,N,01131.000,E,045.0,2.5,"
       "123456789,0",
       nullptr,
       [](const NavSourceData& d) {
         ASSERT_EQ(d.messages.mobEvents.count("mob:1A2B3:mmsi:123456789"), 1u);
       }},
      {"$GPDTM,999,,0.08,N,0.07,E,-47.7,W84", nullptr,
       [](const NavSourceData& d) { EXPECT_TRUE(d.receiver.datumAlert); }},
      {"$GPDTM,W84,,0.0,N,0.0,E,0.0,W84", nullptr,
       [](const NavSourceData& d) { EXPECT_FALSE(d.receiver.datumAlert); }},
      {"$PGRME,15.0,M,45.0,M,25.0,M*1C", nullptr,
       [](const NavSourceData& d) { EXPECT_DOUBLE_EQ(d.receiver.spe.value, 25.0); }},
      {"$PGRMZ,246,f,3*1B", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.receiver.altitudeFeet.value, 246.0);
         EXPECT_EQ(d.receiver.altitudeDimension.value, 3);
       }},
      {"$PGRMM", "\tGRMM: Wrong param count!", nullptr},
      {"$PSAT,HPR,123456,350.5,1.5,-2.0,N", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.heading.attitudeHeading.value, 352.5);
         EXPECT_DOUBLE_EQ(d.heading.roll.value, -2.0);
       }},
      {"$EMIFM,1800,10,G,100,L,,,,,", nullptr,
       [](const NavSourceData& d) {
         EXPECT_DOUBLE_EQ(d.engine.fuelFlowRate.value, 37.854117891320316);
         EXPECT_DOUBLE_EQ(d.engine.fuelTotal.value, 100.0);
       }},
      {"$PBVE,AB", "PBVE: unknown product code", nullptr},
      {"$PBVE,ABC", "PBVE: invalid length", nullptr},
      {"$PBVE,AZ", "PBVE: invalid character", nullptr},
      {"$PJRCX,1", "Unknown JRC Proprietary NMEA Sentence: $PJRCX,1", nullptr},
      {"$GP,1", "Malformed sentance: $GP,1", nullptr},
  };
  for (const RowCase& row : rows) {
    SCOPED_TRACE(row.sentence);
    CNavSource source;
    CCorrectingRegistry registry;
    CLogCapture capture;
    DecodeNMEA(source, ReceiveTime{kTick, 0}, row.sentence, nullptr,
               NmeaDecoderHooks{nullptr, &registry, nullptr});
    if (row.message) {
      EXPECT_TRUE(HasLine(capture.Lines(), row.message));
    }
    if (row.check) row.check(source.Data());
  }
}

TEST(DecodeNmea, SensorRegistrationOncePerKind) {
  CNavSource source;
  CCorrectingRegistry registry;
  const NmeaDecoderHooks hooks{nullptr, &registry, nullptr};
  for (const char* sentence :
       {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M", "$HEHDT,10.0,T",
        "$SDDBT,,f,,M,,F", "$SDDPT,2.0,0.0", "$VWVHW,,T,,M,6.5,N,,K", "$VWVHW,,T,,M,6.5,N,,K",
        "$IIXDR,C,19.5,C,Air", "$IIXDR,C,19.7,C,Air", "$IIXDR,P,1.0,B,Air"}) {
    DecodeNMEA(source, ReceiveTime{kTick, 0}, sentence, nullptr, hooks);
  }
  EXPECT_EQ(registry.kinds, (std::vector<std::string>{"pos", "hdg", "dpt", "stw", "xdr"}));
  EXPECT_EQ(registry.transducers, (std::vector<std::string>{"Air/C", "Air/P"}));
  EXPECT_NE(source.Sensor(SensorKind::Pos), nullptr);
  EXPECT_EQ(source.Sensor(SensorKind::Pos)->Kind(), "pos");
}

TEST(DecodeNmea, GsvTableFillsAndClears) {
  CNavSource source;
  const NmeaDecoderHooks none;
  auto decode = [&](const char* s) { DecodeNMEA(source, ReceiveTime{kTick, 0}, s, nullptr, none); };
  decode("$GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*7F");
  decode("$GPGSV,3,2,12,15,40,083,46,16,17,308,41,17,07,344,39,18,22,228,45");
  decode("$GPGSV,3,3,12,19,40,083,46,20,17,308,41,21,07,344,39,22,22,228,45,1");
  {
    const GsvValues& g = source.Data().gsv;
    EXPECT_EQ(g.satellites[0].id, 1);
    EXPECT_EQ(g.satellites[3].snr, 45);
    EXPECT_EQ(g.satellites[11].id, 22);
    EXPECT_EQ(g.satellites[12].id, 0);  // the trailing signal id is not a block
  }
  decode("$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45");
  const GsvValues& g = source.Data().gsv;
  EXPECT_EQ(g.satellites[7].id, 18);  // from the earlier message 2
  EXPECT_EQ(g.satellites[8].id, 0);   // cleared from index 8 on
  EXPECT_EQ(g.satellites[11].id, 0);
  EXPECT_EQ(g.inView.value, 8);
}

// A port that records what the decoder sends and asks.
class CFakePort final : public INmeaPortContext, public INmeaDeviceDriver {
 public:
  std::string PortName() const override { return "COM9"; }
  unsigned PortId() const override { return 9; }
  bool WriteSentence(std::string_view sentence) override {
    written.emplace_back(sentence);
    return true;
  }
  INmeaDeviceDriver* DeviceDriver() override { return withDriver ? this : nullptr; }
  CNmeaRequests& Requests() override { return requests; }
  void OnSentence(std::string_view sentence, const std::vector<std::string_view>& fields) override {
    driverSaw.emplace_back(sentence);
    driverFieldCounts.push_back(fields.size());
  }
  bool withDriver = false;
  std::vector<std::string> written, driverSaw;
  std::vector<size_t> driverFieldCounts;
  CNmeaRequests requests;
};

class CFakeAis final : public IAisSentenceSink {
 public:
  void DecodeVDM(CSensor* sensor, const ReceiveTime& received, const VdmFragment& f) override {
    fragments.push_back(f);
    payloads.emplace_back(f.payload);
    sensors.push_back(sensor);
    ticks.push_back(received.tickMs);
  }
  std::vector<VdmFragment> fragments;
  std::vector<std::string> payloads;
  std::vector<CSensor*> sensors;
  std::vector<uint64_t> ticks;
};

TEST(DecodeNmea, AisFragmentChecks) {
  struct Case {
    const char* sentence;
    bool handedOver;
    const char* message;
  };
  const Case cases[] = {
      {"!AIVDM,1,1,,A,13aGmP0P00PD;88MD5MTDww@2<0L,0*23", true, nullptr},
      {"!AIVDM,2,1,3,B,55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53,0", true, nullptr},
      {"!AIVDM,2,3,3,B,1P000Ntc,2", false, nullptr},
      {"!AIVDM,0,0,,A,1P000Ntc,0", false, nullptr},
      {"!AIVDM,1,1,10,A,1P000Ntc,0", false, nullptr},
      {"!AIVDM,1,1,,A,1P000Ntc,8", false, nullptr},
      {"!AIVDM,1,1,,A,1P000Ntc", false, "\tVDM: Wrong param count: !AIVDM,1,1,,A,1P000Ntc"},
      {"!AIXYZ,1,1,,A,1P000Ntc,0", false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sentence);
    CNavSource source;
    CFakeAis ais;
    CLogCapture capture;
    DecodeNMEA(source, ReceiveTime{kTick, 7}, c.sentence, nullptr,
               NmeaDecoderHooks{&ais, nullptr, nullptr});
    EXPECT_EQ(ais.fragments.size(), c.handedOver ? 1u : 0u);
    if (c.message) {
      EXPECT_TRUE(HasLine(capture.Lines(), c.message));
    } else {
      EXPECT_EQ(capture.Lines().size(), 1u);  // only "DecodeNMEA: ..."
    }
  }
  CNavSource source;
  CFakeAis ais;
  DecodeNMEA(source, ReceiveTime{kTick, 7}, "!AIVDM,2,1,3,B,55P5TL01,0", nullptr,
             NmeaDecoderHooks{&ais, nullptr, nullptr});
  ASSERT_EQ(ais.fragments.size(), 1u);
  EXPECT_EQ(ais.fragments[0].count, 2);
  EXPECT_EQ(ais.fragments[0].sequenceId, 3);
  EXPECT_EQ(ais.fragments[0].channel, 'B');
  EXPECT_EQ(ais.payloads[0], "55P5TL01");
  EXPECT_FALSE(ais.fragments[0].ownVessel);
  EXPECT_EQ(ais.ticks[0], kTick);
}

TEST(DecodeNmea, OwnVesselQueriesTransponderOnce) {
  CNavSource source;
  CFakeAis ais;
  CCorrectingRegistry registry;
  CFakePort port;
  const NmeaDecoderHooks hooks{&ais, &registry, nullptr};
  DecodeNMEA(source, ReceiveTime{kTick, 0}, "!AIVDO,1,1,,,B5NJ;PP005l4ot5Isbl03wsUkP06,0*35", &port,
             hooks);
  DecodeNMEA(source, ReceiveTime{kTick + 1, 0}, "!AIVDO,1,1,,,B5NJ;PP005l4ot5Isbl03wsUkP06,0",
             &port, hooks);
  EXPECT_EQ(registry.kinds, (std::vector<std::string>{"ais", "pos-ais", "hdg-ais"}));
  ASSERT_EQ(ais.sensors.size(), 2u);
  EXPECT_EQ(ais.sensors[0], source.Sensor(SensorKind::Ais));
  EXPECT_TRUE(ais.fragments[0].ownVessel);
  EXPECT_EQ(port.written, (std::vector<std::string>{FormatAisQuery("VER"), FormatAisQuery("VSD"),
                                                    FormatAisQuery("SSD")}));
  EXPECT_EQ(port.written[0], "$ECAIQ,VER*32\r\n");
  EXPECT_TRUE(port.requests.IsOutstanding("nak:VER"));

  // A reply answers the query; a NAK from the transponder refuses another.
  DecodeNMEA(source, ReceiveTime{kTick + 2, 0}, "$AIVER,1,1,,AI,ACME,1,2,3,4,5,", &port, hooks);
  EXPECT_EQ(port.requests.Find("nak:VER")->state, RequestState::Answered);
  DecodeNMEA(source, ReceiveTime{kTick + 3, 0}, "$AINAK,EC,VSD,,2,Not supported", &port, hooks);
  const std::optional<NmeaRequest> vsd = port.requests.Find("nak:VSD");
  ASSERT_TRUE(vsd);
  EXPECT_EQ(vsd->state, RequestState::Refused);
  EXPECT_EQ(vsd->reasonCode, 2);
  EXPECT_EQ(vsd->reasonText, "Not supported");
  EXPECT_EQ(source.Data().transponder.version.vendorId, "ACME");
  // A sentence from the program's own talker does not answer anything.
  DecodeNMEA(source, ReceiveTime{kTick + 4, 0}, "$ECSSD,X,Y,1,2,3,4,0,AI", &port, hooks);
  EXPECT_TRUE(port.requests.IsOutstanding("nak:SSD"));
}

TEST(DecodeNmea, AbkCompletesBroadcast) {
  CNavSource source;
  CFakePort port;
  port.requests.Add("aismsg:3", 1);
  port.requests.Add("aismsg:4", 1);
  DecodeNMEA(source, ReceiveTime{kTick, 0}, "$AIABK,,A,8,3,3", &port, NmeaDecoderHooks{});
  DecodeNMEA(source, ReceiveTime{kTick, 0}, "$AIABK,,A,8,4,2", &port, NmeaDecoderHooks{});
  EXPECT_EQ(port.requests.Find("aismsg:3")->state, RequestState::Answered);
  EXPECT_EQ(port.requests.Find("aismsg:4")->state, RequestState::Refused);
}

class CRecordingRouted final : public INmeaRoutedSentences {
 public:
  void OnSeetrac(const RoutedSentence& s) override { seen.push_back("STR " + Text(s)); }
  void OnEdm(const RoutedSentence& s) override { seen.push_back("EDM " + Text(s)); }
  void OnDsc(const RoutedSentence& s) override { seen.push_back("DSC " + Text(s)); }
  void OnSafetyMessage(const RoutedSentence& s) override { seen.push_back("SM " + Text(s)); }
  void OnRadarTargetData(const RoutedSentence& s) override { seen.push_back("TTD " + Text(s)); }
  bool OnDeviceSentence(const RoutedSentence& s) override {
    seen.push_back("DEV " + Text(s));
    return true;
  }
  bool OnPbvePayload(const RoutedSentence&, const std::vector<uint8_t>& bytes) override {
    pbve = bytes;
    return true;
  }
  void OnNavtexMessage(INmeaPortContext*, std::string_view code, std::string_view text) override {
    seen.push_back("NRX " + std::string(code) + " " + std::string(text));
  }
  void OnAlarmRaised(INmeaPortContext*, const ReceivedAlarm& alarm) override {
    seen.push_back("ALARM " + alarm.key + " " + alarm.description);
  }
  static std::string Text(const RoutedSentence& s) { return std::string(s.sentence); }
  std::vector<std::string> seen;
  std::vector<uint8_t> pbve;
};

TEST(DecodeNmea, RoutedFamilies) {
  CNavSource source;
  CRecordingRouted routed;
  CFakePort port;
  port.withDriver = true;
  const NmeaDecoderHooks hooks{nullptr, nullptr, &routed};
  for (const char* s :
       {"$STRA,1,2", "!AIEDM,1", "$IIEDM,1", "$CDDSC,20,3380210000,00,21,26,,,,,,", "$CRSM1,1,2",
        "$RATTD,1,1,0,ABC,0,,,,", "$PSLIR,1", "$FRPOS,1,2", "$PKODX,1", "$PMGNNOL,1", "$PMARS,5",
        "$CRNRX,002,001,00,IE69,1,135600.00,26,11,2025,241,3,A,FIRST PART",
        "$CRNRX,002,002,00,IE69,1,135600.00,26,11,2025,241,3,A,SECOND^2C PART", "$PBVE,BAPP",
        "$GPXTE,A,A,0.67,L,N"}) {
    DecodeNMEA(source, ReceiveTime{kTick, 0}, std::string(s) + "\r\n", &port, hooks);
  }
  EXPECT_EQ(routed.seen,
            (std::vector<std::string>{"STR $STRA,1,2", "EDM !AIEDM,1", "EDM $IIEDM,1",
                                      "DSC $CDDSC,20,3380210000,00,21,26,,,,,,", "SM $CRSM1,1,2",
                                      "TTD $RATTD,1,1,0,ABC,0,,,,", "DEV $PSLIR,1",
                                      "DEV $FRPOS,1,2", "DEV $PMGNNOL,1", "DEV $PMARS,5",
                                      "NRX IE69 FIRST PART\r\nSECOND, PART"}));
  EXPECT_EQ(routed.pbve, (std::vector<uint8_t>{0x10, 0xFF}));
  // The device driver sees every sentence with an address, the Seetrac one excepted.
  EXPECT_EQ(port.driverSaw.size(), 14u);
  EXPECT_EQ(port.driverSaw[0], "!AIEDM,1");
}

TEST(DecodeNmea, EquipmentAlarmsAreRaisedOncePerActivation) {
  CNavSource source;
  CRecordingRouted routed;
  const NmeaDecoderHooks hooks{nullptr, nullptr, &routed};
  struct Step {
    const char* sentence;
    std::vector<std::string> raised;  // new calls after the step
  };
  const Step steps[] = {
      {"$IIALR,120000.00,101,V,V,BILGE HIGH", {}},  // known, not active
      {"$IIALR,120001.00,101,A,V,BILGE HIGH", {"ALARM 101 BILGE HIGH"}},
      {"$IIALR,120002.00,101,A,V,BILGE HIGH", {}},                        // repeated while active
      {"$IIALR,120003.00,101,A,A,BILGE HIGH", {}},                        // acknowledged
      {"$IIALR,120004.00,101,V,A,BILGE HIGH", {}},                        // cleared
      {"$IIALR,120005.00,101,A,V,BILGE HIGH", {"ALARM 101 BILGE HIGH"}},  // again
      {"$IIALR,120006.00,102,A,V,FIRE", {"ALARM 102 FIRE"}},              // new and active
      {"$IIALA,120007.00,FR,,1,001,H,V,SMOKE", {"ALARM FR::1:001 SMOKE"}},
      {"$IIALA,120008.00,FR,,1,001,H,V,SMOKE", {}},
  };
  size_t before = 0;
  for (const Step& step : steps) {
    DecodeNMEA(source, ReceiveTime{kTick, 0}, step.sentence, nullptr, hooks);
    const std::vector<std::string> raised(routed.seen.begin() + static_cast<long>(before),
                                          routed.seen.end());
    EXPECT_EQ(raised, step.raised) << step.sentence;
    before = routed.seen.size();
  }
}

TEST(DecodeNmea, NeverThrowsOnHostileInput) {
  CNavSource source;
  CFakePort port;
  CFakeAis ais;
  CCorrectingRegistry registry;
  CRecordingRouted routed;
  const NmeaDecoderHooks hooks{&ais, &registry, &routed};
  std::string huge = "$GPXDR";
  for (int i = 0; i < 250; ++i) huge += ",C,1,C,T" + std::to_string(i % 40);
  for (const std::string& s :
       {std::string("$"), std::string("!"), std::string("$*00"), std::string("$GPGSV,9,9,99"),
        std::string("$GPGSV,1,-5,4,1,2,3,4"), std::string("$GPRPM,E,-1,1,1,A"),
        std::string("$GPGGA,1,9999999999999,N,9e9,E,1,1,1,1,M,1,M,1,1"),
        std::string("$GPRMC\0hidden", 13), std::string(2000, ','), huge.substr(0, 1024),
        std::string("$GPTLB,1,A,2"), std::string("!AIVDM,99999999999,1,,A,x,0")}) {
    DecodeNMEA(source, ReceiveTime{kTick, 0}, s, &port, hooks);
  }
  EXPECT_LE(source.Data().transducers.size(), NavSourceData::kMaxTransducers);
}

}  // namespace
}  // namespace tarnwick
