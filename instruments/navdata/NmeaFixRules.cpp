#include "instruments/navdata/NmeaFixRules.h"

namespace tarnwick {
namespace {

// One candidate of the rule: a current report and the quality it gives.
void Consider(const PositionReport& report, int quality, uint64_t now,
              std::optional<NavFix>& best) {
  if (!report.Current(now)) return;
  if (best && quality <= best->quality) return;
  NavFix fix;
  fix.sourceKind = FixSourceKind::Receiver;
  fix.quality = quality;
  fix.position = report.position;
  if (report.utcSeconds >= 0) fix.utcSeconds = report.utcSeconds;
  fix.tick = report.tick;
  best = fix;
}

}  // namespace

int QualityFromGnsMode(char mode) {
  switch (mode) {
    case 'A':
      return kFixGps;
    case 'D':
      return kFixDgps;
    case 'P':
      return kFixPrecise;
    case 'R':
      return kFixRtk;
    case 'F':
      return kFixFloatRtk;
    case 'E':
      return kFixEstimated;
    case 'M':
      return kFixManual;
    case 'S':
      return kFixSimulated;
    default:
      return kFixInvalid;
  }
}

int QualityFromStatusAndMode(char status, char mode) {
  switch (mode) {
    case 'D':
      return status == 'A' ? kFixDgps : kFixInvalid;
    case 'E':
      return kFixEstimated;
    case 'M':  // a manually entered position is reported as simulated
    case 'S':
      return kFixSimulated;
    case 'N':
      return kFixInvalid;
    default:
      return status == 'A' ? kFixGps : kFixInvalid;
  }
}

std::optional<NavFix> NmeaReceiverFix(const NavSourceData& data, uint64_t now) {
  std::optional<NavFix> best;
  if (data.gga.quality >= 0) Consider(data.gga, data.gga.quality, now, best);
  Consider(data.gns, QualityFromGnsMode(data.gns.mode), now, best);
  Consider(data.rmc, QualityFromStatusAndMode(data.rmc.status, data.rmc.mode), now, best);
  Consider(data.gll, QualityFromStatusAndMode(data.gll.status, data.gll.mode), now, best);
  if (!best) return best;
  if (data.fix.hdop.Current(now))
    best->hdop = data.fix.hdop.value;
  else if (data.gsa.hdop.Current(now))
    best->hdop = data.gsa.hdop.value;
  if (data.fix.altitude.Current(now)) best->altitude = data.fix.altitude.value;
  return best;
}

}  // namespace tarnwick
