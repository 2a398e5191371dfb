#pragma once
// Safety-related text messages sent through our own transponder: addressed
// (ABM, message 12) and broadcast (BBM, message 14) sentences, and the request
// "aismsg:%d" that the transponder's ABK acknowledgement completes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class INmeaPortContext;

// Longest safety texts in characters: message 12 (addressed) and 14 (broadcast)
// in five slots.
inline constexpr size_t kAisAddressedTextMax = 156;
inline constexpr size_t kAisBroadcastTextMax = 161;

// The ABM sentences (each with "*hh" and CR LF) for text to mmsi.
// sequenceId 0..3; channel 0 any, 1 A, 2 B, 3 both. Characters outside the
// AIS set become '?'; text beyond kAisAddressedTextMax is cut.
std::vector<std::string> FormatABM(uint32_t mmsi, int sequenceId, int channel,
                                   std::string_view text);
// The BBM sentences for a broadcast text (same rules, kAisBroadcastTextMax).
std::vector<std::string> FormatBBM(int sequenceId, int channel, std::string_view text);

// The request key registered for sequenceId ("aismsg:%d").
std::string AisMessageRequestKey(int sequenceId);

// Writes the sentences to the port and registers the request; false when the
// port refuses a sentence.
bool SendAisSafetyMessage(INmeaPortContext& port, const std::vector<std::string>& sentences,
                          int sequenceId);

}  // namespace tarnwick
