#include "instruments/ais/AisTransponderOutput.h"

#include <cstdio>

#include "core/Clock.h"
#include "core/Log.h"
#include "instruments/ais/AisBits.h"
#include "instruments/nmea/NmeaPortContext.h"

namespace tarnwick {
namespace {

// Longest sentence before "*hh\r\n" (82 characters in all).
constexpr size_t kSentenceBody = 77;

std::string ArmourText(std::string_view text, size_t maxChars) {
  AisBits bits;
  for (size_t i = 0; i < text.size() && i < maxChars; ++i) {
    const int value = SixBitValue(text[i]);
    bits.AppendBits(static_cast<uint32_t>(value < 0 ? SixBitValue('?') : value), 6);
  }
  return bits.Armoured(0, bits.Size());
}

std::string WithChecksum(const std::string& body) {
  unsigned sum = 0;
  for (size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
  char tail[8];
  snprintf(tail, sizeof tail, "*%02X\r\n", sum & 0xFF);
  return body + tail;
}

// Splits payload over as many sentences as the header leaves room for; head
// formats one sentence from (total, number, chunk).
template <typename Head>
std::vector<std::string> Sentences(const std::string& payload, size_t headRoom, Head head) {
  const size_t perSentence = kSentenceBody - headRoom;
  const size_t total = payload.empty() ? 1 : (payload.size() + perSentence - 1) / perSentence;
  std::vector<std::string> out;
  for (size_t i = 0; i < total; ++i) {
    out.push_back(WithChecksum(head(static_cast<int>(total), static_cast<int>(i + 1),
                                    payload.substr(i * perSentence, perSentence))));
  }
  return out;
}

}  // namespace

std::vector<std::string> FormatABM(uint32_t mmsi, int sequenceId, int channel,
                                   std::string_view text) {
  const std::string payload = ArmourText(text, kAisAddressedTextMax);
  char probe[96];
  const int headRoom = snprintf(probe, sizeof probe, "!ECABM,%d,%d,%d,%d,%d,12,%s,0", 9, 9,
                                sequenceId, static_cast<int>(mmsi), channel, "");
  return Sentences(payload, static_cast<size_t>(headRoom),
                   [&](int total, int number, const std::string& chunk) {
                     char body[128];
                     snprintf(body, sizeof body, "!ECABM,%d,%d,%d,%d,%d,12,%s,0", total, number,
                              sequenceId, static_cast<int>(mmsi), channel, chunk.c_str());
                     return std::string(body);
                   });
}

std::vector<std::string> FormatBBM(int sequenceId, int channel, std::string_view text) {
  const std::string payload = ArmourText(text, kAisBroadcastTextMax);
  char probe[96];
  const int headRoom =
      snprintf(probe, sizeof probe, "!ECBBM,%d,%d,%d,%d,14,%s,0", 9, 9, sequenceId, channel, "");
  return Sentences(payload, static_cast<size_t>(headRoom),
                   [&](int total, int number, const std::string& chunk) {
                     char body[128];
                     snprintf(body, sizeof body, "!ECBBM,%d,%d,%d,%d,14,%s,0", total, number,
                              sequenceId, channel, chunk.c_str());
                     return std::string(body);
                   });
}

std::string AisMessageRequestKey(int sequenceId) {
  char key[24];
  snprintf(key, sizeof key, "aismsg:%d", sequenceId);
  return key;
}

bool SendAisSafetyMessage(INmeaPortContext& port, const std::vector<std::string>& sentences,
                          int sequenceId) {
  port.Requests().Add(AisMessageRequestKey(sequenceId), TickCount());
  for (const std::string& sentence : sentences) {
    if (!port.WriteSentence(sentence)) {
      Log("SendAisSafetyMessage: %s refused the sentence\n", port.PortName().c_str());
      return false;
    }
  }
  return true;
}

}  // namespace tarnwick
