// Fuzz target: AIS sentences through framing, reassembly, decoding, the target
// table and the assessment. Each input line is a sentence; a line that is not
// a VDM/VDO sentence is also fed as a raw payload, so the de-armouring and
// the decoders see arbitrary characters and lengths.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/VdmSentence.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  CAisReceiver receiver;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  int line = 0;
  while (!input.empty()) {
    const size_t end = input.find('\n');
    const std::string_view text = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    if (std::optional<VdmFragment> fragment = ParseVdmSentence(text)) {
      receiver.DecodeVDM(nullptr, {1000, 0}, *fragment);
    } else if (!text.empty()) {
      VdmFragment raw;
      raw.count = 1 + (text[0] & 1);
      raw.number = 1 + (line & 1) % raw.count;
      raw.channel = "AB12"[line & 3];
      raw.payload = text.substr(1);
      raw.fillBits = text[0] & 7;
      raw.ownVessel = (text[0] & 8) != 0;
      receiver.DecodeVDM(nullptr, {1000, 0}, raw);
    }
    ++line;
  }
  AisAssessmentSettings settings;
  OwnShipKinematics own{LatLon{53.2, 5.4}, 45.0, 7.5, 44.0, 1000};
  receiver.UpdateCPA(own, settings);
  receiver.Reset();
  return 0;
}
