#pragma once
// Bit layouts of the AIS messages this program reads (ITU-R M.1371-5, Annex 8,
// and IMO SN.1/Circ.289 for the meteorological and hydrographic report). One
// line per field: first bit, width. Review against the tables line by line.

#include "instruments/ais/AisBits.h"

namespace tarnwick::ais_layout {

// Common to every message.
inline constexpr BitField kType{0, 6};
inline constexpr BitField kRepeat{6, 2};
inline constexpr BitField kMmsi{8, 30};

// Messages 1, 2, 3: position report, class A (168 bits).
namespace pos_a {
inline constexpr BitField kNavStatus{38, 4};
inline constexpr BitField kRot{42, 8};  // signed
inline constexpr BitField kSog{50, 10};
inline constexpr BitField kAccuracy{60, 1};
inline constexpr BitField kLon{61, 28};  // signed, 1/10000 min
inline constexpr BitField kLat{89, 27};  // signed, 1/10000 min
inline constexpr BitField kCog{116, 12};
inline constexpr BitField kHeading{128, 9};
inline constexpr BitField kSecond{137, 6};
inline constexpr BitField kManeuver{143, 2};
inline constexpr BitField kSpare{145, 3};
inline constexpr BitField kRaim{148, 1};
inline constexpr BitField kRadio{149, 19};
}  // namespace pos_a

// Messages 4 and 11: base station report and UTC/date response (168 bits).
namespace base {
inline constexpr BitField kYear{38, 14};
inline constexpr BitField kMonth{52, 4};
inline constexpr BitField kDay{56, 5};
inline constexpr BitField kHour{61, 5};
inline constexpr BitField kMinute{66, 6};
inline constexpr BitField kSecond{72, 6};
inline constexpr BitField kAccuracy{78, 1};
inline constexpr BitField kLon{79, 28};
inline constexpr BitField kLat{107, 27};
inline constexpr BitField kEpfd{134, 4};
inline constexpr BitField kSpare{138, 10};
inline constexpr BitField kRaim{148, 1};
inline constexpr BitField kRadio{149, 19};
}  // namespace base

// Message 5: static and voyage related data (424 bits).
namespace static_voyage {
inline constexpr BitField kAisVersion{38, 2};
inline constexpr BitField kImo{40, 30};
inline constexpr BitField kCallsign{70, 42};
inline constexpr BitField kName{112, 120};
inline constexpr BitField kShipType{232, 8};
inline constexpr BitField kToBow{240, 9};
inline constexpr BitField kToStern{249, 9};
inline constexpr BitField kToPort{258, 6};
inline constexpr BitField kToStarboard{264, 6};
inline constexpr BitField kEpfd{270, 4};
inline constexpr BitField kEtaMonth{274, 4};
inline constexpr BitField kEtaDay{278, 5};
inline constexpr BitField kEtaHour{283, 5};
inline constexpr BitField kEtaMinute{288, 6};
inline constexpr BitField kDraught{294, 8};
inline constexpr BitField kDestination{302, 120};
inline constexpr BitField kDte{422, 1};
inline constexpr BitField kSpare{423, 1};
}  // namespace static_voyage

// Message 6: addressed binary message (88 bits of header, then data).
namespace addressed_binary {
inline constexpr BitField kSequence{38, 2};
inline constexpr BitField kDestMmsi{40, 30};
inline constexpr BitField kRetransmit{70, 1};
inline constexpr BitField kSpare{71, 1};
inline constexpr BitField kDac{72, 10};
inline constexpr BitField kFi{82, 6};
inline constexpr int kData = 88;
}  // namespace addressed_binary

// Message 8: broadcast binary message (56 bits of header, then data).
namespace broadcast_binary {
inline constexpr BitField kSpare{38, 2};
inline constexpr BitField kDac{40, 10};
inline constexpr BitField kFi{50, 6};
inline constexpr int kData = 56;
}  // namespace broadcast_binary

// Message 9: standard SAR aircraft position report (168 bits).
namespace sar {
inline constexpr BitField kAltitude{38, 12};
inline constexpr BitField kSog{50, 10};
inline constexpr BitField kAccuracy{60, 1};
inline constexpr BitField kLon{61, 28};
inline constexpr BitField kLat{89, 27};
inline constexpr BitField kCog{116, 12};
inline constexpr BitField kSecond{128, 6};
inline constexpr BitField kRegional{134, 8};
inline constexpr BitField kDte{142, 1};
inline constexpr BitField kSpare{143, 3};
inline constexpr BitField kAssigned{146, 1};
inline constexpr BitField kRaim{147, 1};
inline constexpr BitField kRadio{148, 20};
}  // namespace sar

// Message 10: UTC and date inquiry (72 bits).
namespace utc_inquiry {
inline constexpr BitField kSpare1{38, 2};
inline constexpr BitField kDestMmsi{40, 30};
inline constexpr BitField kSpare2{70, 2};
}  // namespace utc_inquiry

// Message 12: addressed safety related message (72 bits, then text).
namespace addressed_safety {
inline constexpr BitField kSequence{38, 2};
inline constexpr BitField kDestMmsi{40, 30};
inline constexpr BitField kRetransmit{70, 1};
inline constexpr BitField kSpare{71, 1};
inline constexpr int kText = 72;
}  // namespace addressed_safety

// Message 14: broadcast safety related message (40 bits, then text).
namespace broadcast_safety {
inline constexpr BitField kSpare{38, 2};
inline constexpr int kText = 40;
}  // namespace broadcast_safety

// Message 18: standard class B position report (168 bits).
namespace pos_b {
inline constexpr BitField kReserved{38, 8};
inline constexpr BitField kSog{46, 10};
inline constexpr BitField kAccuracy{56, 1};
inline constexpr BitField kLon{57, 28};
inline constexpr BitField kLat{85, 27};
inline constexpr BitField kCog{112, 12};
inline constexpr BitField kHeading{124, 9};
inline constexpr BitField kSecond{133, 6};
inline constexpr BitField kRegional{139, 2};
inline constexpr BitField kCsUnit{141, 1};
inline constexpr BitField kDisplay{142, 1};
inline constexpr BitField kDsc{143, 1};
inline constexpr BitField kBand{144, 1};
inline constexpr BitField kMessage22{145, 1};
inline constexpr BitField kAssigned{146, 1};
inline constexpr BitField kRaim{147, 1};
inline constexpr BitField kRadio{148, 20};
}  // namespace pos_b

// Message 19: extended class B position report (312 bits).
namespace pos_b_ext {
inline constexpr BitField kReserved{38, 8};
inline constexpr BitField kSog{46, 10};
inline constexpr BitField kAccuracy{56, 1};
inline constexpr BitField kLon{57, 28};
inline constexpr BitField kLat{85, 27};
inline constexpr BitField kCog{112, 12};
inline constexpr BitField kHeading{124, 9};
inline constexpr BitField kSecond{133, 6};
inline constexpr BitField kRegional{139, 4};
inline constexpr BitField kName{143, 120};
inline constexpr BitField kShipType{263, 8};
inline constexpr BitField kToBow{271, 9};
inline constexpr BitField kToStern{280, 9};
inline constexpr BitField kToPort{289, 6};
inline constexpr BitField kToStarboard{295, 6};
inline constexpr BitField kEpfd{301, 4};
inline constexpr BitField kRaim{305, 1};
inline constexpr BitField kDte{306, 1};
inline constexpr BitField kAssigned{307, 1};
inline constexpr BitField kSpare{308, 4};
}  // namespace pos_b_ext

// Message 21: aid-to-navigation report (272 to 360 bits).
namespace aid {
inline constexpr BitField kAidType{38, 5};
inline constexpr BitField kName{43, 120};
inline constexpr BitField kAccuracy{163, 1};
inline constexpr BitField kLon{164, 28};
inline constexpr BitField kLat{192, 27};
inline constexpr BitField kToBow{219, 9};
inline constexpr BitField kToStern{228, 9};
inline constexpr BitField kToPort{237, 6};
inline constexpr BitField kToStarboard{243, 6};
inline constexpr BitField kEpfd{249, 4};
inline constexpr BitField kSecond{253, 6};
inline constexpr BitField kOffPosition{259, 1};
inline constexpr BitField kRegional{260, 8};
inline constexpr BitField kRaim{268, 1};
inline constexpr BitField kVirtual{269, 1};
inline constexpr BitField kAssigned{270, 1};
inline constexpr BitField kSpare{271, 1};
inline constexpr int kNameExtension = 272;  // up to 88 bits, six-bit text
}  // namespace aid

// Message 24: static data report, part A (160 bits) and part B (168 bits).
namespace static_b {
inline constexpr BitField kPart{38, 2};
inline constexpr BitField kName{40, 120};    // part A
inline constexpr BitField kShipType{40, 8};  // part B from here
inline constexpr BitField kVendor{48, 18};
inline constexpr BitField kModel{66, 4};
inline constexpr BitField kSerial{70, 20};
inline constexpr BitField kCallsign{90, 42};
inline constexpr BitField kToBow{132, 9};
inline constexpr BitField kToStern{141, 9};
inline constexpr BitField kToPort{150, 6};
inline constexpr BitField kToStarboard{156, 6};
inline constexpr BitField kMothership{132, 30};  // auxiliary craft (MMSI 98xxxxxxx)
inline constexpr BitField kEpfd{162, 4};
inline constexpr BitField kSpare{166, 2};
}  // namespace static_b

// Messages 25 and 26: single and multiple slot binary messages.
namespace slot_binary {
inline constexpr BitField kAddressed{38, 1};
inline constexpr BitField kStructured{39, 1};
inline constexpr BitField kDestMmsi{40, 30};  // when addressed
inline constexpr int kAfterAddress = 70;      // payload start when addressed
inline constexpr int kUnaddressed = 40;       // payload start otherwise
inline constexpr BitField kAppDac{0, 10};     // relative to the payload start
inline constexpr BitField kAppFi{10, 6};
inline constexpr int kAppIdBits = 16;
inline constexpr int kRadio26 = 20;  // message 26 ends with a 20-bit radio status
}  // namespace slot_binary

// DAC 1, FI 31: meteorological and hydrographic data, offsets relative to the
// start of the application data (bit 56 of message 8).
namespace met_hydro {
inline constexpr BitField kLon{0, 25};   // signed, 1/1000 min
inline constexpr BitField kLat{25, 24};  // signed, 1/1000 min
inline constexpr BitField kAccuracy{49, 1};
inline constexpr BitField kDay{50, 5};
inline constexpr BitField kHour{55, 5};
inline constexpr BitField kMinute{60, 6};
inline constexpr BitField kWindSpeed{66, 7};
inline constexpr BitField kWindGust{73, 7};
inline constexpr BitField kWindDirection{80, 9};
inline constexpr BitField kWindGustDirection{89, 9};
inline constexpr BitField kAirTemperature{98, 11};  // signed, 0.1 degC
inline constexpr BitField kHumidity{109, 7};
inline constexpr BitField kDewPoint{116, 10};  // signed, 0.1 degC
inline constexpr BitField kPressure{126, 9};
inline constexpr BitField kPressureTendency{135, 2};
inline constexpr BitField kVisibilityGreater{137, 1};
inline constexpr BitField kVisibility{138, 7};
inline constexpr BitField kWaterLevel{145, 12};
inline constexpr BitField kWaterLevelTrend{157, 2};
inline constexpr BitField kCurrentSpeed{159, 8};
inline constexpr BitField kCurrentDirection{167, 9};
inline constexpr BitField kCurrentSpeed2{176, 8};
inline constexpr BitField kCurrentDirection2{184, 9};
inline constexpr BitField kCurrentDepth2{193, 5};
inline constexpr BitField kCurrentSpeed3{198, 8};
inline constexpr BitField kCurrentDirection3{206, 9};
inline constexpr BitField kCurrentDepth3{215, 5};
inline constexpr BitField kWaveHeight{220, 8};
inline constexpr BitField kWavePeriod{228, 6};
inline constexpr BitField kWaveDirection{234, 9};
inline constexpr BitField kSwellHeight{243, 8};
inline constexpr BitField kSwellPeriod{251, 6};
inline constexpr BitField kSwellDirection{257, 9};
inline constexpr BitField kSeaState{266, 4};
inline constexpr BitField kWaterTemperature{270, 10};  // signed, 0.1 degC
inline constexpr BitField kPrecipitation{280, 3};
inline constexpr BitField kSalinity{283, 9};
inline constexpr BitField kIce{292, 2};
inline constexpr BitField kSpare{294, 10};
inline constexpr int kBits = 304;
}  // namespace met_hydro

}  // namespace tarnwick::ais_layout
