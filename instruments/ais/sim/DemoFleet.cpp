// The demo's traffic: invented vessels (MMSIs in the Finnish 230 range, IMO
// numbers with valid check digits), each with its meeting with the own ship.

#include "instruments/ais/sim/AisTargetSimulator.h"

namespace tarnwick {

std::vector<SimulatedVessel> DemoFleet() {
  // clang-format off
  //        mmsi      A/B    name                 call     imo      type bow stern port stbd draught destination   status  kn   pass s  pass nm  crossing
  return {
      {230990001, true,  "NORDIC STAR",        "OJQX1", 9301184, 70, 110, 30, 10, 10, 72, "HAMINA",       0, 12.0,    240,  0.0,    90},
      {230990002, true,  "BALTIC SPIRIT",      "OJQX2", 9254393, 80, 150, 33, 12, 12, 95, "PORVOO",       0, 11.0,   1200,  1.5,   160},
      {230990003, true,  "MERIKOTKA",          "OJQX3", 9412335, 60, 160, 40, 15, 15, 62, "MARIEHAMN",    0, 19.0,   2400,  0.0,   -75},
      {230990004, true,  "AALAND TRADER",      "OJQX4", 9188427, 70,  70, 18,  7,  6, 48, "TURKU",        0, 10.0,   3600, -0.8,   120},
      {230990005, true,  "KALASTAJA 7",        "OJQX5", 0,       30,  14,  6,  3,  3, 30, "HANKO",        7,  4.0,   4200,  0.5,   -40},
      {230990006, true,  "HANKO TUG",          "OJQX6", 9532111, 52,  20,  8,  4,  4, 40, "HANKO",        0,  8.0,   5100,  0.0,   100},
      {230990007, true,  "PILOT 14",           "OJQX7", 0,       50,  12,  4,  2,  2, 12, "HANKO PILOT",  0, 25.0,   8100,  0.0,  -110},
      {230990008, true,  "GULF CARRIER",       "OJQX8", 9376062, 70, 120, 25, 11, 11, 80, "KOTKA",        0, 14.5,   9600, -2.0,   175},
      {230990011, false, "AURORA",             "OH2AB", 0,       36,   9,  3,  2,  2,  0, "",             0,  5.5,    600,  0.3,    60},
      {230990012, false, "SEA BREEZE",         "OH2CD", 0,       37,   8,  3,  2,  2,  0, "",             0, 16.0,  11400,  0.0,   -95},
      {230990013, false, "TUULI",              "OH2EF", 0,       36,  10,  3,  2,  2,  0, "",             0,  6.0,   7000,  1.0,   200},
      {230990014, false, "MERITAHTI",          "OH2GH", 0,       37,   7,  2,  2,  1,  0, "",             0, 12.0,  13800,  0.0,    30},
  };
  // clang-format on
}

}  // namespace tarnwick
