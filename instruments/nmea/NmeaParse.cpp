#include "instruments/nmea/NmeaParse.h"

#include <cstring>
#include <string>

#include "core/Log.h"

namespace tarnwick {
namespace {

// The sentence as it is quoted in the log: a log line holds at most
// kLogLineMax characters, so longer sentences are cut there.
std::string Quoted(std::string_view sentence) {
  return std::string(sentence.substr(0, kLogLineMax));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the hexadecimal number at the start of text (stops at the first
// character that is not a hex digit, saturates instead of overflowing).
unsigned ReadHex(std::string_view text) {
  unsigned value = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0) break;
    value = value > 0x0FFFFFFFu ? 0xFFFFFFFFu : value * 16 + static_cast<unsigned>(digit);
  }
  return value;
}

}  // namespace

uint8_t NmeaChecksum(std::string_view body) {
  uint8_t sum = 0;
  for (char c : body) {
    if (c == '\r') break;
    sum ^= static_cast<uint8_t>(c);
  }
  return sum;
}

bool ParseNMEA(std::string_view sentence, NmeaFields& out) {
  out.field.clear();
  out.hasChecksum = false;
  out.start = 0;
  // The sentence ends at a NUL like the C string it is on the wire side.
  if (size_t nul = sentence.find('\0'); nul != std::string_view::npos) {
    sentence = sentence.substr(0, nul);
  }
  if (sentence.size() > kNmeaMaxSentence) {
    LogDebug("ParseNMEA: sentence is too long: '%s'\n", Quoted(sentence).c_str());
    return false;
  }
  if (sentence.empty() || (sentence[0] != '$' && sentence[0] != '!')) {
    LogDebug("ParseNMEA: sentence must start with $ or !: '%s'\n", Quoted(sentence).c_str());
    return false;
  }
  out.start = sentence[0];
  std::string_view rest = sentence.substr(1);
  while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r')) rest.remove_suffix(1);
  memcpy(out.buffer.data(), rest.data(), rest.size());
  const std::string_view copy(out.buffer.data(), rest.size());

  // One pass up to the '*', a CR or the end: the checksum of the characters
  // and the fields between the commas (a CR inside the sentence ends both).
  uint8_t computed = 0;
  size_t begin = 0, end = 0;
  for (; end < copy.size(); ++end) {
    const char c = copy[end];
    if (c == '*' || c == '\r') break;
    computed ^= static_cast<uint8_t>(c);
    if (c == ',') {
      out.field.push_back(copy.substr(begin, end - begin));
      begin = end + 1;
    }
  }
  const size_t star = end < copy.size() && copy[end] == '*' ? end : copy.find('*', end);
  if (star != std::string_view::npos) {
    if (copy.size() - star < 3) {
      LogDebug("DecodeNMEA: invalid checksum specification: '%s'\n", Quoted(sentence).c_str());
      out.field.clear();
      return false;
    }
    const unsigned written = ReadHex(copy.substr(star + 1));
    if (written != computed) {
      LogDebug("DecodeNMEA: bad checksum: '%s' (is %02x should be %02x)\n",
               Quoted(sentence).c_str(), written, static_cast<unsigned>(computed));
      out.field.clear();
      return false;
    }
    out.hasChecksum = true;
  }
  out.field.push_back(copy.substr(begin, end - begin));
  return true;
}

bool SplitNmeaAddress(std::string_view address, NmeaAddress& out) {
  if (address.size() < 4) return false;
  out.proprietary = address[0] == 'P';
  if (out.proprietary) {
    out.talker = address.substr(1, 3);
    out.formatter = address.substr(4);
  } else {
    out.talker = address.substr(0, 2);
    out.formatter = address.substr(2);
  }
  return true;
}

}  // namespace tarnwick
