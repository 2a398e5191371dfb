#pragma once
// An open SENC: the compiled cell mapped read-only into memory, with its
// header values, the chart properties shown to the navigator, and a read-only
// view of every feature (class, primitive, attributes, geometry parts in
// projected metres, box) and of the spatial tree. The whole file is checked
// when it is opened, so no view ever reads outside it; an open chart is
// immutable and may be read from any number of threads at once (only
// OnFilesUpdated changes it).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "charts/s57/S57Feature.h"
#include "charts/s57/SencFormat.h"
#include "core/geo/Mercator.h"

namespace tarnwick {

// One geometry part of a feature, as it lies in the file.
class S57PartView {
 public:
  uint8_t Quapos() const { return header_ & senc::kQuaposBits; }  // 0 when absent
  bool Interior() const { return (header_ & senc::kInteriorBit) != 0; }
  bool HasDepths() const { return (header_ & senc::kDepthsBit) != 0; }
  uint32_t Count() const { return (header_ >> senc::kCountShift) & senc::kMaxPartPoints; }
  // Point i < Count() in projected metres.
  MercatorPoint Point(uint32_t i) const {
    return {senc::LoadDouble(data_ + 4 + 16 * size_t{i}),
            senc::LoadDouble(data_ + 12 + 16 * size_t{i})};
  }
  // Depth of sounding i < Count() in metres; 0 without depths.
  double Depth(uint32_t i) const {
    return HasDepths() ? senc::LoadDouble(data_ + 4 + 16 * size_t{Count()} + 8 * size_t{i}) : 0.0;
  }
  // Bytes of the part in the file (header word, points, depths).
  size_t ByteSize() const { return 4 + size_t{Count()} * (HasDepths() ? 24 : 16); }

 private:
  friend class S57FeatureView;
  explicit S57PartView(const uint8_t* data) : data_(data), header_(senc::Load32(data)) {}
  const uint8_t* data_;
  uint32_t header_;
};

// One feature of an open chart. Valid while the chart is open.
class S57FeatureView {
 public:
  uint32_t Index() const { return senc::Load32(data_ + 4); }
  // The class code as stored (10 bits, see CompactClassCode) and the OBJL it
  // stands for.
  uint16_t ClassCode() const { return flags_ & senc::kClassBits; }
  uint16_t Objl() const { return ExpandClassCode(ClassCode()); }
  uint8_t Prim() const { return (flags_ >> senc::kPrimShift) & 3u; }  // 1 point, 2 line, 3 area
  ProjectedBox Box() const;

  uint32_t AttributeCount() const { return (flags_ >> senc::kAttrCountShift) & 0xFF; }
  uint16_t AttributeCode(uint32_t i) const { return senc::Load16(data_ + 44 + 4 * size_t{i}); }
  // The value of attribute i < AttributeCount() as the cell gives it.
  std::string_view AttributeValue(uint32_t i) const;
  // The value of the first attribute with this code, none when absent.
  std::optional<std::string_view> Attribute(uint16_t attl) const;
  // SCAMIN (attribute 133) as an integer, 0 when absent or not a number.
  int32_t Scamin() const;

  uint32_t PartCount() const { return flags_ >> senc::kPartCountShift; }

  class PartIterator {
   public:
    S57PartView operator*() const { return S57PartView(at_); }
    PartIterator& operator++() {
      at_ += S57PartView(at_).ByteSize();
      --left_;
      return *this;
    }
    bool operator==(const PartIterator& other) const { return left_ == other.left_; }

   private:
    friend class S57FeatureView;
    PartIterator(const uint8_t* at, uint32_t left) : at_(at), left_(left) {}
    const uint8_t* at_;
    uint32_t left_;
  };
  struct PartRange {
    PartIterator first, last;
    PartIterator begin() const { return first; }
    PartIterator end() const { return last; }
  };
  // for (S57PartView part : feature.Parts()) ...
  PartRange Parts() const;

 private:
  friend class CS57Chart;
  explicit S57FeatureView(const uint8_t* data) : data_(data), flags_(senc::Load32(data)) {}
  const uint8_t* TextStart() const { return data_ + 44 + 4 * size_t{AttributeCount()}; }
  const uint8_t* data_;
  uint32_t flags_;
};

class CS57ChartReader;

class CS57Chart {
 public:
  ~CS57Chart();
  CS57Chart(const CS57Chart&) = delete;
  CS57Chart& operator=(const CS57Chart&) = delete;

  // Maps the SENC at sencPath and checks it whole. Null with the reason in
  // error (also logged) when it cannot be read or fails a check.
  static std::unique_ptr<CS57Chart> Open(const std::filesystem::path& sencPath,
                                         std::string& error);
  // The same over bytes held in memory; name stands for the file's name.
  static std::unique_ptr<CS57Chart> FromBytes(std::string bytes, const std::string& name,
                                              std::string& error);

  const SencHeader& Header() const { return header_; }
  // The SENC's path ("" for a chart from bytes) and the cell's name ("US5HA57M").
  const std::filesystem::path& Path() const { return path_; }
  const std::string& CellName() const { return cellName_; }
  // The root box of the tree: the union of the boxes of all features drawn.
  const ProjectedBox& Extent() const { return extent_; }

  uint32_t FeatureCount() const { return header_.featureCount; }
  // Feature index < FeatureCount(); none for a feature without geometry
  // (not in the tree, not in the file).
  std::optional<S57FeatureView> Feature(uint32_t index) const;
  // Calls visit for every feature whose box meets view, walking only the
  // nodes of the tree whose boxes meet it.
  void Query(const ProjectedBox& view, const std::function<void(const S57FeatureView&)>& visit) const;

  // The chart's properties by name, in this order: "Name", "Source",
  // "Edition", "Update", "SoundingDatum", "IntendedUsage",
  // "UpdateApplicationDate", "Updated", "IssueDate" (dates as month/day/year).
  std::vector<std::pair<std::string, std::string>> Properties() const;
  // What the chart information page shows: "Scale" ("Vector Chart (1:52000)"),
  // "Projection", "Datum", "VerticalDatum", "SoundingDatum", "Depth Units".
  std::vector<std::pair<std::string, std::string>> InfoProperties() const;

  // Rebuilds the SENC from cellPath when the reader finds the cell or an
  // update on disk newer than the SENC, and maps the new file in place of
  // this one. False when a rebuild was needed and failed (this chart stays as
  // it was). Feature and part views taken before a rebuild are invalid after
  // it; not to be called while other threads read the chart.
  bool OnFilesUpdated(CS57ChartReader& reader, const std::filesystem::path& cellPath);

 private:
  CS57Chart() = default;
  bool Check(std::string& error);
  bool CheckFeature(uint32_t index, uint32_t offset, std::string& error) const;
  // Offset just past the checked subtree at node, 0 when damaged (badNode
  // then says where).
  uint64_t CheckSubtree(uint32_t node, int depth, size_t& badNode) const;
  void QueryNode(uint32_t node, const ProjectedBox& view,
                 const std::function<void(const S57FeatureView&)>& visit) const;
  void Unmap();

  std::string owned_;
  void* map_ = nullptr;
  size_t mapSize_ = 0;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  std::filesystem::path path_;
  std::string cellName_;
  SencHeader header_;
  size_t headerSize_ = 0;
  uint32_t rootOffset_ = 0;  // 0 when the file has no tree
  ProjectedBox extent_;
};

// Text for an INTU value: 1 "Overview" ... 9 "River Berthing", else "Overlay".
std::string_view IntendedUsageText(uint32_t intu);
// "%d/%d/%d" month/day/year of a YYYYMMDD integer.
std::string UsDateText(uint32_t yyyymmdd);

}  // namespace tarnwick
