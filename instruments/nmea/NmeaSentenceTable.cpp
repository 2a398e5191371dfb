// The standard sentence formatters: minimum field count (address included),
// the message logged when a sentence is shorter, and the row's decoder.

#include <algorithm>
#include <array>

#include "instruments/nmea/NmeaDecodeContext.h"

namespace tarnwick {
namespace {

using R = NmeaRoute;

// Sorted by formatter for the binary search below.
constexpr std::array kSentences = {
    NmeaSentenceRow{"AAM", 1, nullptr, nullptr},
    NmeaSentenceRow{"ABK", 6, "\tABK: Wrong param count!\n", DecodeABK},
    NmeaSentenceRow{"ABM", 1, nullptr, nullptr},
    NmeaSentenceRow{"ALA", 9, "\tALA: Wrong param count!\n", DecodeALA},
    NmeaSentenceRow{"ALM", 1, nullptr, nullptr},
    NmeaSentenceRow{"ALR", 6, "\tALR: Wrong param count!\n", DecodeALR},
    NmeaSentenceRow{"APB", 1, nullptr, nullptr},
    NmeaSentenceRow{"BBM", 1, nullptr, nullptr},
    NmeaSentenceRow{"BOD", 7, "\tBOD: Wrong param count!\n", DecodeBOD},
    NmeaSentenceRow{"BWC", 1, nullptr, nullptr},
    NmeaSentenceRow{"DBK", 6, "\tDBK: Wrong param count!\n", DecodeDBK},
    NmeaSentenceRow{"DBS", 7, "\tDBS: Wrong param count!\n", DecodeDBS},
    NmeaSentenceRow{"DBT", 6, "\tDBT: Wrong param count!\n", DecodeDBT},
    NmeaSentenceRow{"DPT", 3, "\tDPT: Wrong param count!\n", DecodeDPT},
    NmeaSentenceRow{"DSC", 1, nullptr, nullptr, false, R::Dsc},
    NmeaSentenceRow{"DSE", 1, nullptr, nullptr, false, R::Dsc},
    NmeaSentenceRow{"DTM", 9, "\tDTM: Wrong param count!\n", DecodeDTM},
    NmeaSentenceRow{"EDM", 1, nullptr, nullptr, false, R::Edm},
    NmeaSentenceRow{"GGA", 13, "\tGGA: Wrong param count! (%d)\n", DecodeGGA},
    NmeaSentenceRow{"GLL", 5, "\tGLL: Wrong param count!\n", DecodeGLL},
    NmeaSentenceRow{"GNS", 12, "\tGNS: Wrong param count!\n", DecodeGNS},
    NmeaSentenceRow{"GSA", 18, "\tGSA: Wrong param count!\n", DecodeGSA},
    NmeaSentenceRow{"GSV", 4, "\tGSV: Wrong param count!\n", DecodeGSV},
    NmeaSentenceRow{"GXA", 1, nullptr, nullptr},
    NmeaSentenceRow{"HBT", 4, "\tHBT: Wrong param count!\n", DecodeHBT},
    NmeaSentenceRow{"HDG", 6, "\tHDG: Wrong param count!\n", DecodeHDG, true},
    NmeaSentenceRow{"HDM", 3, "\tHDM: Wrong param count!\n", DecodeHDM, true},
    NmeaSentenceRow{"HDT", 3, "\tHDT: Wrong param count!\n", DecodeHDT, true},
    NmeaSentenceRow{"HVM", 1, nullptr, nullptr},
    NmeaSentenceRow{"MDA", 21, "\tMDA: Wrong param count!\n", DecodeMDA},
    NmeaSentenceRow{"MOB", 15, "\tMOB: Wrong param count!\n", DecodeMOB},
    NmeaSentenceRow{"MSS", 5, "\tMSS: Wrong param count!\n", nullptr},
    NmeaSentenceRow{"MTW", 3, "\tMTW: Wrong param count!\n", DecodeMTW},
    NmeaSentenceRow{"MWV", 6, "\tMWV: Wrong param count!\n", DecodeMWV},
    NmeaSentenceRow{"NAK", 6, "\tNAK: Wrong param count!\n", DecodeNAK},
    NmeaSentenceRow{"NRX", 11, "\tNRX: Wrong param count!\n", DecodeNRX},
    NmeaSentenceRow{"RMA", 12, "\tRMA: Wrong param count!\n", nullptr},
    NmeaSentenceRow{"RMB", 14, "\tRMB: Wrong param count!\n", DecodeRMB},
    NmeaSentenceRow{"RMC", 12, "\tRMC: Wrong param count!\n", DecodeRMC},
    NmeaSentenceRow{"ROT", 3, "\tROT: Wrong param count!\n", DecodeROT},
    NmeaSentenceRow{"RPM", 6, "\tRPM: Wrong param count!\n", DecodeRPM},
    NmeaSentenceRow{"RSA", 3, "\tRSA: Wrong param count!\n", DecodeRSA},
    NmeaSentenceRow{"RSD", 14, "\tRSD: Wrong param count!\n", DecodeRSD},
    NmeaSentenceRow{"RTE", 5, "\tRTE: Wrong param count!\n", DecodeRTE},
    NmeaSentenceRow{"SM1", 1, nullptr, nullptr, false, R::SafetyMessage},
    NmeaSentenceRow{"SM2", 1, nullptr, nullptr, false, R::SafetyMessage},
    NmeaSentenceRow{"SM3", 1, nullptr, nullptr, false, R::SafetyMessage},
    NmeaSentenceRow{"SM4", 1, nullptr, nullptr, false, R::SafetyMessage},
    NmeaSentenceRow{"SMB", 1, nullptr, nullptr, false, R::SafetyMessage},
    NmeaSentenceRow{"SSD", 9, "\tSSD: Wrong param count!\n", DecodeSSD},
    NmeaSentenceRow{"THS", 3, "\tTHS: Wrong param count!\n", DecodeTHS, true},
    NmeaSentenceRow{"TLB", 2, "\tTLB: Wrong param count!\n", DecodeTLB},
    NmeaSentenceRow{"TLL", 10, "\tTLL: Wrong param count!\n", DecodeTLL},
    NmeaSentenceRow{"TTD", 10, "\tTTD: Wrong param count!\n", nullptr, false, R::RadarTargetData},
    NmeaSentenceRow{"TTM", 14, "\tTTM: Wrong param count!\n", DecodeTTM},
    NmeaSentenceRow{"TXT", 5, "\tTXT: Wrong param count!\n", DecodeTXT},
    NmeaSentenceRow{"VBW", 11, nullptr, DecodeVBW},
    NmeaSentenceRow{"VDR", 7, "\tVDR: Wrong param count!\n", DecodeVDR},
    NmeaSentenceRow{"VER", 11, "\tVER: Wrong param count!\n", DecodeVER},
    NmeaSentenceRow{"VHW", 9, "\tVHW: Wrong param count!\n", DecodeVHW, true},
    NmeaSentenceRow{"VLW", 5, "\tVLW: Wrong param count!\n", DecodeVLW},
    NmeaSentenceRow{"VPW", 5, "\tVPW: Wrong param count!\n", nullptr},
    NmeaSentenceRow{"VSD", 10, "\tVSD: Wrong param count!\n", DecodeVSD},
    NmeaSentenceRow{"VTG", 9, "\tVTG: Wrong param count!\n", DecodeVTG},
    NmeaSentenceRow{"VWR", 9, "\tVWR: Wrong param count!\n", DecodeVWR},
    NmeaSentenceRow{"VWT", 9, "\tVWT: Wrong param count!\n", DecodeVWT},
    NmeaSentenceRow{"WPL", 6, "\tWPL: Wrong param count!\n", DecodeWPL},
    NmeaSentenceRow{"XDR", 1, "XDR: Wrong param count\n", DecodeXDR},
    NmeaSentenceRow{"XTE", 1, nullptr, nullptr},
    NmeaSentenceRow{"XTR", 1, nullptr, nullptr},
    NmeaSentenceRow{"ZDA", 7, "\tZDA: invalid UTC format\n", DecodeZDA},
    NmeaSentenceRow{"ZFO", 4, "\tZFO: Wrong param count!\n", DecodeZFO},
    NmeaSentenceRow{"ZTG", 4, "\tZTG: Wrong param count!\n", DecodeZTG},
};

constexpr bool RowBefore(const NmeaSentenceRow& a, const NmeaSentenceRow& b) {
  return a.formatter < b.formatter;
}
static_assert(std::ranges::is_sorted(kSentences, RowBefore), "sentence table must stay sorted");

}  // namespace

const NmeaSentenceRow* FindNmeaSentence(std::string_view formatter) {
  auto it = std::lower_bound(
      kSentences.begin(), kSentences.end(), formatter,
      [](const NmeaSentenceRow& row, std::string_view key) { return row.formatter < key; });
  if (it == kSentences.end() || it->formatter != formatter) return nullptr;
  return &*it;
}

}  // namespace tarnwick
