#pragma once
// The bit store of one AIS message and the six-bit armouring of VDM/VDO
// payloads. Bits are kept most significant first, exactly as transmitted.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// Most bits one message may carry (five slots of payload).
inline constexpr int kAisMaxBits = 7968;

// The six-bit value (0..63) of payload character c: v = c + 40; below 129 the
// value is (v + 40) mod 64, otherwise (v + 32) mod 64 ('0'..'W' give 0..39,
// '`'..'w' give 40..63).
constexpr int DearmourChar(unsigned char c) {
  const int v = c + 40;
  return v < 129 ? (v + 40) % 64 : (v + 32) % 64;
}

// The payload character of six-bit value (0..63): the inverse of DearmourChar.
constexpr char ArmourValue(int value) {
  value &= 63;
  return static_cast<char>(value < 40 ? value + 48 : value + 56);
}

// Where a field lies in a message: first bit (0-based) and width in bits.
struct BitField {
  int offset = 0;
  int width = 0;
};

class AisBits {
 public:
  // Number of valid bits, 0..kAisMaxBits.
  int Size() const { return size_; }
  void Clear() { size_ = 0; }

  // Appends the six bits of each de-armoured character; stops when the store
  // would exceed kAisMaxBits.
  void AppendArmoured(std::string_view payload);
  // Appends the width (0..32) low bits of value, most significant first;
  // ignored when the store would overflow.
  void AppendBits(uint32_t value, int width);
  // Removes count (0..7) bits from the end; never below zero.
  void DropTail(int count);

  // The field as an unsigned number; bits beyond Size() read as 0. width 0..32.
  uint32_t Unsigned(BitField field) const;
  // The field as a two's-complement signed number. width 1..32.
  int32_t Signed(BitField field) const;
  // A six-bit text of field.width / 6 characters in the AIS character set
  // ('@' = 0 ... '?' = 63), cut at the first '@' and with trailing blanks removed.
  std::string Text(BitField field) const;
  // The bits [offset, offset + count) armoured back into payload characters,
  // the last character padded with zero bits.
  std::string Armoured(int offset, int count) const;

 private:
  std::array<uint8_t, kAisMaxBits / 8 + 8> bytes_{};
  int size_ = 0;
};

// The AIS six-bit character of value (0..63): '@'..'_' for 0..31, ' '..'?' for 32..63.
inline char SixBitChar(int value) {
  value &= 63;
  return static_cast<char>(value < 32 ? value + 64 : value);
}

// The six-bit value of an ASCII character, or -1 when the AIS set lacks it
// (lower-case letters are taken as upper case).
int SixBitValue(char c);

}  // namespace tarnwick
