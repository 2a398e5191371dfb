#pragma once
// Crafted S-57 cells and update files for the tests, written with the test
// ISO 8211 writer: the data descriptive record of an S-57 base or update file
// and one helper per record kind. Coordinates are given in degrees and
// stored multiplied by the cell's COMF.

#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "charts/tests/support/Iso8211Writer.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick::testing {

struct Pointer {
  int rcnm = 130;
  uint32_t rcid = 0;
  int ornt = 1;  // 1 forward, 2 reverse
  int usag = 1;  // 1 exterior, 2 interior
  int mask = 2;  // 2 show
};

struct Attribute {
  uint16_t code;
  std::string value;
};

inline std::string Name(int rcnm, uint32_t rcid) { return U8(static_cast<uint32_t>(rcnm)) + U32(rcid); }

class S57Writer {
 public:
  explicit S57Writer(uint32_t comf = 10000000) : comf_(comf) {}

  // DSID with DSSI; intu, edition, update, issue date.
  S57Writer& Dsid(uint32_t edtn, uint32_t updn, uint32_t isdt = 20240101, uint32_t intu = 5,
                  uint32_t aall = 1) {
    const std::string dsid = U8(10) + U32(1) + U8(updn == 0 ? 1 : 2) + U8(intu) + Ut("TEST0001.000") +
                             Ut(std::to_string(edtn)) + Ut(std::to_string(updn)) + "20240101" +
                             std::to_string(isdt) + "03.1" + U8(1) + Ut("") + Ut("2.0") + U8(1) +
                             U16(550) + Ut("");
    const std::string dssi = U8(2) + U8(aall) + U8(1) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0) +
                             U32(0) + U32(0) + U32(0);
    return Add({{"0001", U16(next_++)}, {"DSID", dsid}, {"DSSI", dssi}});
  }
  // DSPM with the given factors (0 writes 0, as a damaged cell would).
  S57Writer& Dspm(uint32_t comf, uint32_t somf, uint32_t cscl = 22000) {
    const std::string dspm = U8(20) + U32(1) + U8(2) + U8(12) + U8(12) + U32(cscl) + U8(1) + U8(1) +
                             U8(1) + U8(1) + U32(comf) + U32(somf) + Ut("");
    return Add({{"0001", U16(next_++)}, {"DSPM", dspm}});
  }
  // A node (rcnm 110 or 120) at lon, lat, with QUAPOS when quapos > 0.
  S57Writer& Node(int rcnm, uint32_t rcid, double lon, double lat, int quapos = 0,
                  uint32_t rver = 1, int ruin = 1) {
    std::vector<std::pair<std::string, std::string>> fields = {
        {"0001", U16(next_++)}, {"VRID", Vrid(rcnm, rcid, rver, ruin)}};
    if (quapos > 0) fields.push_back({"ATTV", U16(402) + Ut(std::to_string(quapos))});
    fields.push_back({"SG2D", Coordinates({{lon, lat}})});
    return Add(fields);
  }
  // An isolated node with soundings (lon, lat, depth).
  S57Writer& Soundings(uint32_t rcid, const std::vector<std::array<double, 3>>& points,
                       uint32_t somf = 10) {
    std::string sg3d;
    for (const auto& p : points)
      sg3d += I32(Scaled(p[1])) + I32(Scaled(p[0])) + I32(static_cast<int32_t>(std::lround(p[2] * somf)));
    return Add({{"0001", U16(next_++)}, {"VRID", Vrid(110, rcid, 1, 1)}, {"SG3D", sg3d}});
  }
  // An edge from node begin to node end through the given vertices.
  S57Writer& Edge(uint32_t rcid, uint32_t begin, uint32_t end,
                  const std::vector<std::pair<double, double>>& vertices = {}, int quapos = 0) {
    std::vector<std::pair<std::string, std::string>> fields = {
        {"0001", U16(next_++)}, {"VRID", Vrid(130, rcid, 1, 1)}};
    if (quapos > 0) fields.push_back({"ATTV", U16(402) + Ut(std::to_string(quapos))});
    fields.push_back({"VRPT", Name(120, begin) + U8(1) + U8(255) + U8(1) + U8(255) +
                                  Name(120, end) + U8(1) + U8(255) + U8(2) + U8(255)});
    if (!vertices.empty()) fields.push_back({"SG2D", Coordinates(vertices)});
    return Add(fields);
  }
  // A feature record with its FOID, attributes and spatial pointers.
  S57Writer& Feature(uint32_t rcid, int prim, uint16_t objl, const std::vector<Attribute>& attributes,
                     const std::vector<Pointer>& pointers, uint32_t rver = 1, int ruin = 1) {
    std::vector<std::pair<std::string, std::string>> fields = {
        {"0001", U16(next_++)},
        {"FRID", Frid(rcid, prim, objl, rver, ruin)},
        {"FOID", U16(550) + U32(1000 + rcid) + U16(1)}};
    if (!attributes.empty()) fields.push_back({"ATTF", Attributes(attributes)});
    if (!pointers.empty()) fields.push_back({"FSPT", Pointers(pointers)});
    return Add(fields);
  }
  // Any record, fields as given (update records with their control fields).
  S57Writer& Add(std::vector<std::pair<std::string, std::string>> fields) {
    records_ += WriteDr(fields);
    return *this;
  }
  uint16_t NextRecordId() { return next_++; }

  std::string Bytes() const { return Ddr() + records_; }
  void Write(const std::filesystem::path& path) const {
    std::filesystem::create_directories(path.parent_path());
    WriteFile(path, Bytes());
  }

  // Field data helpers.
  static std::string Frid(uint32_t rcid, int prim, uint16_t objl, uint32_t rver, int ruin) {
    return U8(100) + U32(rcid) + U8(static_cast<uint32_t>(prim)) + U8(2) + U16(objl) + U16(rver) +
           U8(static_cast<uint32_t>(ruin));
  }
  static std::string Vrid(int rcnm, uint32_t rcid, uint32_t rver, int ruin) {
    return U8(static_cast<uint32_t>(rcnm)) + U32(rcid) + U16(rver) + U8(static_cast<uint32_t>(ruin));
  }
  static std::string Attributes(const std::vector<Attribute>& attributes) {
    std::string out;
    for (const auto& a : attributes) out += U16(a.code) + Ut(a.value);
    return out;
  }
  static std::string Pointers(const std::vector<Pointer>& pointers) {
    std::string out;
    for (const auto& p : pointers)
      out += Name(p.rcnm, p.rcid) + U8(static_cast<uint32_t>(p.ornt)) + U8(static_cast<uint32_t>(p.usag)) +
             U8(static_cast<uint32_t>(p.mask));
    return out;
  }
  // An update instruction (FSPC, VRPC, SGCC): instruction, 1-based index, count.
  static std::string Control(int instruction, int index, int count) {
    return U8(static_cast<uint32_t>(instruction)) + U16(static_cast<uint32_t>(index)) +
           U16(static_cast<uint32_t>(count));
  }
  std::string Coordinates(const std::vector<std::pair<double, double>>& points) const {
    std::string out;
    for (const auto& [lon, lat] : points) out += I32(Scaled(lat)) + I32(Scaled(lon));
    return out;
  }

 private:
  int32_t Scaled(double degrees) const {
    return static_cast<int32_t>(std::lround(degrees * (comf_ == 0 ? 1 : comf_)));
  }
  static std::string Ddr() {
    const std::string c1 = "1600;&   ", c2 = "2600;&   ", c5 = "2500;&   ";
    return WriteDdr({
        {"0001", "0500;&   ", "ISO/IEC 8211 Record Identifier", "", "(b12)"},
        {"DSID", c1, "Data set identification field",
         "RCNM!RCID!EXPP!INTU!DSNM!EDTN!UPDN!UADT!ISDT!STED!PRSP!PSDN!PRED!PROF!AGEN!COMT",
         "(b11,b14,2b11,3A,2A(8),R(4),b11,2A,b11,b12,A)"},
        {"DSSI", c1, "Data set structure information field",
         "DSTR!AALL!NALL!NOMR!NOCR!NOGR!NOLR!NOIN!NOCN!NOED!NOFA", "(3b11,8b14)"},
        {"DSPM", c1, "Data set parameter field",
         "RCNM!RCID!HDAT!VDAT!SDAT!CSCL!DUNI!HUNI!PUNI!COUN!COMF!SOMF!COMT",
         "(b11,b14,3b11,b14,4b11,2b14,A)"},
        {"VRID", c1, "Vector record identifier field", "RCNM!RCID!RVER!RUIN", "(b11,b14,b12,b11)"},
        {"ATTV", c2, "Vector record attribute field", "*ATTL!ATVL", "(b12,A)"},
        {"VRPC", c1, "Vector record pointer control field", "VPUI!VPIX!NVPT", "(b11,2b12)"},
        {"VRPT", c2, "Vector record pointer field", "*NAME!ORNT!USAG!TOPI!MASK", "(B(40),4b11)"},
        {"SGCC", c1, "Coordinate control field", "CCUI!CCIX!CCNC", "(b11,2b12)"},
        {"SG2D", c5, "2-D coordinate field", "*YCOO!XCOO", "(2b24)"},
        {"SG3D", c5, "3-D coordinate field", "*YCOO!XCOO!VE3D", "(3b24)"},
        {"FRID", c1, "Feature record identifier field", "RCNM!RCID!PRIM!GRUP!OBJL!RVER!RUIN",
         "(b11,b14,2b11,2b12,b11)"},
        {"FOID", c1, "Feature object identifier field", "AGEN!FIDN!FIDS", "(b12,b14,b12)"},
        {"ATTF", c2, "Feature record attribute field", "*ATTL!ATVL", "(b12,A)"},
        {"FSPC", c1, "Feature record to spatial record pointer control field", "FSUI!FSIX!NSPT",
         "(b11,2b12)"},
        {"FSPT", c2, "Feature record to spatial record pointer field", "*NAME!ORNT!USAG!MASK",
         "(B(40),3b11)"},
    });
  }

  uint32_t comf_;
  uint16_t next_ = 1;
  std::string records_;
};

}  // namespace tarnwick::testing
