#pragma once
// Framing, checksum and field split of one NMEA 0183 sentence, and the split
// of its address field into talker (or manufacturer) and formatter.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnwick {

// Longest sentence accepted, in characters (CR LF included when present).
inline constexpr size_t kNmeaMaxSentence = 1024;

// A split sentence. Field 0 is the address without '$'/'!'; fields 1..n are the
// data fields, empty ones kept. The views point into the object's own buffer,
// so the object must not be copied while fields are in use.
struct NmeaFields {
  char start = 0;                       // '$' or '!'
  bool hasChecksum = false;             // the sentence carried "*hh"
  std::vector<std::string_view> field;  // address and data fields
  std::array<char, kNmeaMaxSentence + 1> buffer;  // written by ParseNMEA before any field points into it

  NmeaFields() = default;
  NmeaFields(const NmeaFields&) = delete;
  NmeaFields& operator=(const NmeaFields&) = delete;
  size_t Count() const { return field.size(); }
  // Field i, or "" when the sentence has fewer fields.
  std::string_view operator[](size_t i) const { return i < field.size() ? field[i] : ""; }
};

// Checks framing and checksum and splits the sentence into out. Returns true
// when the sentence is acceptable (it then yields at least one field; a
// refused one leaves none). Each refusal is a debug log line.
bool ParseNMEA(std::string_view sentence, NmeaFields& out);

// XOR of the characters of body (everything between the start character and '*').
uint8_t NmeaChecksum(std::string_view body);

struct NmeaAddress {
  bool proprietary = false;    // address began with 'P'
  std::string_view talker;     // two-character talker, or the three-letter manufacturer
  std::string_view formatter;  // the rest ("RMC", "E", "HPR")
};

// Splits an address field ("GPRMC" -> GP/RMC, "PGRME" -> GRM/E). Returns false
// when the field is shorter than four characters (malformed).
bool SplitNmeaAddress(std::string_view address, NmeaAddress& out);

}  // namespace tarnwick
