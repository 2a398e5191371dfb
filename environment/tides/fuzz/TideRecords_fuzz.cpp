// Outside text of station databases: JSON station records, harmonic station
// contents, constituent triples, height corrections, YEARDATA blobs and
// station URLs. The first byte chooses the reader; the rest is its input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "environment/tides/HarmonicRecords.h"
#include "environment/tides/HarmonicYears.h"
#include "environment/tides/JsonStationProvider.h"
#include "environment/tides/TideProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string error;
  switch (data[0] % 6) {
    case 0:
      if (auto record = ParseJsonStationRecord(text)) {
        TideEvent e;
        e.type = kTideHigh;
        e.value = 1;
        AdjustJsonEvents({e}, *record, TideStationKind::Tide, -1000000, 1000000);
        AdjustJsonEvents({e}, *record, TideStationKind::Current, -1000000, 1000000);
      }
      break;
    case 1:
      if (auto content = ParseStationContent(text, error)) {
        CorrectionsOf(*content);
        StationContentJson(*content, content->Current());
      }
      break;
    case 2:
      ParseTideconContent(text);
      break;
    case 3:
      if (auto adjustment = ParseHeightAdjustment(text)) HeightAdjustmentText(*adjustment);
      ParseMeridian(text);
      break;
    case 4:
      DecodeYearBlob(text);
      break;
    default:
      ParseStationUrl(text);
      break;
  }
  return 0;
}
