#pragma once
// ISO/IEC 8211 field definitions: what a data descriptive record says about
// one field (tag, name, structure, subfield labels and their formats), and
// the decoding of subfield values. Knows nothing of any product built on 8211.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// How a subfield's bytes are to be read.
enum class Iso8211Format : uint8_t {
  Text,       // A, C: characters
  Integer,    // I: integer in characters
  Real,       // R, S: real number in characters
  BitString,  // B(n): n bits, kept as raw bytes
  UInt,       // b1w: unsigned binary integer, w bytes, least significant first
  SInt,       // b2w: two's complement binary integer, w bytes
  Float,      // b4w: IEEE 754 binary real, 4 or 8 bytes
};

struct Iso8211SubfieldDefn {
  std::string label;  // "RCID"; "" for the single value of an elementary field
  Iso8211Format format = Iso8211Format::Text;
  uint32_t width = 0;  // bytes; 0: variable, ends at the unit terminator
};

class CIso8211FieldDefn {
 public:
  // Parses one field description of a data descriptive record: the field
  // controls (fieldControlLength characters), the name, the array descriptor
  // and the format controls, each ended by a unit terminator (the last by the
  // field terminator). Null with the reason in error when malformed.
  static std::unique_ptr<CIso8211FieldDefn> Parse(std::string_view tag, std::string_view bytes,
                                                  size_t fieldControlLength, std::string& error);
  // A definition made in code (tests, writers): format controls as in a file,
  // e.g. "(b12,A)" with labels "*ATTL!ATVL".
  static std::unique_ptr<CIso8211FieldDefn> Make(std::string_view tag, std::string_view labels,
                                                 std::string_view formats, std::string& error,
                                                 char structureCode = '1', char typeCode = '6');

  const std::string& Tag() const { return tag_; }
  const std::string& Name() const { return name_; }
  char StructureCode() const { return structureCode_; }  // '0' elementary .. '3' concatenated
  char TypeCode() const { return typeCode_; }
  // True when the whole subfield list repeats ('*' before the labels).
  bool Repeating() const { return repeating_; }
  // Bytes per character unit of variable text: 2 for lexical level 2 (UCS-2).
  unsigned CharWidth() const { return charWidth_; }
  const std::vector<Iso8211SubfieldDefn>& Subfields() const { return subfields_; }
  // Index of the subfield with this label, -1 when none.
  int SubfieldIndex(std::string_view label) const;
  // Bytes of one repetition when every subfield has a fixed width, else 0.
  size_t FixedSize() const { return fixedSize_; }
  // Byte offset of subfield i within a repetition (fixed-size fields only).
  size_t FixedOffset(size_t i) const { return fixedOffsets_[i]; }
  // The array descriptor ("*ATTL!ATVL") and the format controls ("(b12,A)")
  // as the description gives them, for writers.
  const std::string& Descriptor() const { return descriptor_; }
  const std::string& FormatControls() const { return formatControls_; }

 private:
  CIso8211FieldDefn() = default;
  bool Define(std::string_view labels, std::string_view formats, std::string& error);

  std::string tag_;
  std::string name_;
  char structureCode_ = '1';
  char typeCode_ = '6';
  bool repeating_ = false;
  unsigned charWidth_ = 1;
  std::vector<Iso8211SubfieldDefn> subfields_;
  size_t fixedSize_ = 0;
  std::vector<size_t> fixedOffsets_;
  std::string descriptor_;
  std::string formatControls_;
};

// The formats of a format-control string ("(b11,2A(8),3(b12,R))") expanded
// into one entry per subfield, in order. False with the reason in error when
// it cannot be read or expands to more than limit entries.
bool ParseIso8211Formats(std::string_view controls, std::vector<Iso8211SubfieldDefn>& out,
                         std::string& error, size_t limit = 4096);

// Bytes a subfield takes at the start of bytes: its value (without the
// terminator) and the count consumed (value plus terminator when present).
// None when a fixed-width value runs past the end.
struct Iso8211Extent {
  std::string_view value;
  size_t consumed = 0;
};
std::optional<Iso8211Extent> Iso8211SubfieldExtent(const Iso8211SubfieldDefn& defn,
                                                   std::string_view bytes, unsigned charWidth);

// Decoded values. Integer of text formats: decimal digits with an optional
// sign and surrounding spaces; real of text formats likewise. None for empty
// or unreadable values and for bit strings.
std::optional<int64_t> Iso8211Int(const Iso8211SubfieldDefn& defn, std::string_view value);
std::optional<double> Iso8211Real(const Iso8211SubfieldDefn& defn, std::string_view value);

}  // namespace tarnwick
