#pragma once
// The S-57 object catalogue: object classes (OBJL codes and acronyms),
// attributes (ATTL codes, acronyms and types), the meanings of the values of
// enumerated and list attributes, and the producing agencies (AGEN). It is read
// from the CSV files shipped in the program folder's "S57" folder (see
// data/S57/SOURCES.md). Acronyms are case-sensitive: the Inland ENC classes
// and attributes have lower-case acronyms of their own ("bridge" 17011 is not
// "BRIDGE" 11). A loaded catalogue is immutable and safe to read from any
// thread.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnwick {

// The type letter of an attribute in the catalogue.
enum class S57AttributeType : char {
  Enumerated = 'E',   // one value of the attribute's value list
  List = 'L',         // comma-separated values of the value list
  Float = 'F',
  Integer = 'I',
  Text = 'A',         // free text
  CodedString = 'S',  // text in a coded form (e.g. dates)
};

struct S57ObjectClass {
  uint16_t code = 0;     // OBJL
  std::string acronym;   // "DEPARE"
  std::string name;      // "Depth area"
  char kind = 'G';       // G geo, M meta, C collection, $ cartographic
  std::string primitives;  // as listed, e.g. "Point;Area;"
};

struct S57Attribute {
  uint16_t code = 0;  // ATTL
  std::string acronym;
  std::string name;
  S57AttributeType type = S57AttributeType::Text;
};

struct S57AttributeValue {
  int value = 0;
  std::string meaning;
};

class CS57Catalogue {
 public:
  // Reads s57objectclasses.csv, s57attributes.csv, s57expectedinput.csv and
  // s57agencies.csv from folder. Null with a reason in error when a file is
  // missing or has no rows.
  static std::unique_ptr<CS57Catalogue> Load(const std::filesystem::path& folder,
                                             std::string& error);

  const S57ObjectClass* ObjectClass(uint16_t objl) const;
  const S57ObjectClass* ObjectClass(std::string_view acronym) const;
  const S57Attribute* Attribute(uint16_t attl) const;
  const S57Attribute* Attribute(std::string_view acronym) const;
  // The listed values of an enumerated or list attribute, in value order
  // (empty for other attributes and unknown codes).
  const std::vector<S57AttributeValue>& Values(uint16_t attl) const;
  // The meaning of one value ("Mean lower low water" for VERDAT 12).
  std::optional<std::string_view> ValueMeaning(uint16_t attl, int value) const;
  // The producing agency's name (550 -> "Office of Coast Survey, USA") and
  // two-letter token ("US").
  std::optional<std::string_view> AgencyName(uint16_t agen) const;
  std::optional<std::string_view> AgencyToken(uint16_t agen) const;

  size_t ObjectClassCount() const { return classes_.size(); }
  size_t AttributeCount() const { return attributes_.size(); }

 private:
  struct Agency {
    std::string token;
    std::string name;
  };
  std::unordered_map<uint16_t, S57ObjectClass> classes_;
  std::unordered_map<std::string, uint16_t> classByAcronym_;
  std::unordered_map<uint16_t, S57Attribute> attributes_;
  std::unordered_map<std::string, uint16_t> attributeByAcronym_;
  std::unordered_map<uint16_t, std::vector<S57AttributeValue>> values_;
  std::unordered_map<uint16_t, Agency> agencies_;
};

// The catalogue shipped with the program (ProgramFolder()/S57), read on first
// use. When its files cannot be read the failure is logged once and an empty
// catalogue stands in (every lookup then finds nothing).
const CS57Catalogue& S57Catalogue();

// Short forms over S57Catalogue(). Acronyms are "" and codes none when unknown.
std::string_view ObjectClassAcronym(uint16_t objl);
std::optional<uint16_t> ObjectClassCode(std::string_view acronym);
std::string_view AttributeAcronym(uint16_t attl);
std::optional<uint16_t> AttributeCode(std::string_view acronym);
std::optional<S57AttributeType> AttributeType(uint16_t attl);
std::optional<std::string_view> AttributeValueMeaning(uint16_t attl, int value);

}  // namespace tarnwick
