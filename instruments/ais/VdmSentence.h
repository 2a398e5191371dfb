#pragma once
// Light framing of VDM/VDO sentences for tools that read AIS logs without the
// port machinery: checksum, the seven fields, and the checks the NMEA decoder
// makes before it hands a fragment to the receiver.

#include <optional>
#include <string_view>

#include "instruments/nmea/AisSentenceSink.h"

namespace tarnwick {

// The fragment of one "!xxVDM" or "!xxVDO" line (a leading tag block
// "\...\" and trailing CR LF are allowed); nothing for other sentences, a
// wrong checksum (when one is given) or out-of-range fields. The payload
// views into line.
std::optional<VdmFragment> ParseVdmSentence(std::string_view line);

}  // namespace tarnwick
