#include "charts/s57/S57Chart.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "charts/s57/S57Catalogue.h"
#include "charts/s57/S57ChartReader.h"
#include "core/Log.h"

namespace tarnwick {

static_assert(std::endian::native == std::endian::little, "SENC files are little-endian");

using namespace senc;

namespace {

constexpr uint16_t kAttrDunits = 89;
constexpr uint16_t kAttrVerdat = 185;
constexpr uint16_t kAttrHordat = 400;
constexpr uint16_t kClassMUnit = 311;
// Deeper than any tree the writer makes; a deeper one is damaged.
constexpr int kMaxNodeDepth = 64;

ProjectedBox LoadBox(const uint8_t* p) {
  return {LoadDouble(p), LoadDouble(p + 8), LoadDouble(p + 16), LoadDouble(p + 24)};
}

size_t Pad4(size_t n) { return (n + 3) & ~size_t{3}; }

std::string Grouped(uint32_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

std::string ValueText(uint16_t attl, uint32_t value) {
  const auto meaning = AttributeValueMeaning(attl, static_cast<int>(value));
  return meaning ? std::string(*meaning) : std::to_string(value);
}

}  // namespace

ProjectedBox S57FeatureView::Box() const { return LoadBox(data_ + 8); }

std::string_view S57FeatureView::AttributeValue(uint32_t i) const {
  const uint16_t offset = Load16(data_ + 46 + 4 * size_t{i});
  return std::string_view(reinterpret_cast<const char*>(TextStart()) + offset);
}

std::optional<std::string_view> S57FeatureView::Attribute(uint16_t attl) const {
  const uint32_t count = AttributeCount();
  for (uint32_t i = 0; i < count; ++i)
    if (AttributeCode(i) == attl) return AttributeValue(i);
  return std::nullopt;
}

int32_t S57FeatureView::Scamin() const {
  const auto text = Attribute(kAttrScamin);
  if (!text) return 0;
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
  return ec == std::errc() ? value : 0;
}

S57FeatureView::PartRange S57FeatureView::Parts() const {
  const uint8_t* first = TextStart() + Pad4(Load32(data_ + 40));
  return {PartIterator(first, PartCount()), PartIterator(nullptr, 0)};
}

CS57Chart::~CS57Chart() { Unmap(); }

void CS57Chart::Unmap() {
  if (map_ != nullptr) munmap(map_, mapSize_);
  map_ = nullptr;
  mapSize_ = 0;
}

std::unique_ptr<CS57Chart> CS57Chart::Open(const std::filesystem::path& sencPath,
                                           std::string& error) {
  const int fd = ::open(sencPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "Cannot open SENC " + sencPath.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = sencPath.string() + " is not a readable file";
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<CS57Chart> chart(new CS57Chart);
  if (st.st_size > 0) {
    void* map = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      error = "Cannot map SENC " + sencPath.string() + ": " + std::strerror(errno);
      ::close(fd);
      return nullptr;
    }
    chart->map_ = map;
    chart->mapSize_ = static_cast<size_t>(st.st_size);
    chart->data_ = static_cast<const uint8_t*>(map);
    chart->size_ = chart->mapSize_;
  }
  ::close(fd);
  chart->path_ = sencPath;
  chart->cellName_ = sencPath.stem().string();
  if (!chart->Check(error)) return nullptr;
  return chart;
}

std::unique_ptr<CS57Chart> CS57Chart::FromBytes(std::string bytes, const std::string& name,
                                                std::string& error) {
  std::unique_ptr<CS57Chart> chart(new CS57Chart);
  chart->owned_ = std::move(bytes);
  chart->data_ = reinterpret_cast<const uint8_t*>(chart->owned_.data());
  chart->size_ = chart->owned_.size();
  chart->cellName_ = std::filesystem::path(name).stem().string();
  if (!chart->Check(error)) return nullptr;
  return chart;
}

bool CS57Chart::Check(std::string& error) {
  const std::string name = path_.empty() ? cellName_ : path_.string();
  auto fail = [&](std::string message) {
    error = std::move(message);
    Log("%s\n", error.c_str());
    return false;
  };
  if (size_ < 4) return fail("Bad SENC file " + name + " (too short)");
  header_.version = Load32(data_);
  if (header_.version == kVersion4) {
    if (size_ < kHeaderSize4 || Load32(data_ + kOffHeaderSize) != kHeaderSize4)
      return fail("Bad SENC file " + name + " (too short)");
    headerSize_ = kHeaderSize4;
    header_.cscl = Load32(data_ + kOffCscl);
    header_.intu = Load32(data_ + kOffIntu);
    header_.edtn = Load32(data_ + kOffEdtn);
    header_.updn = Load32(data_ + kOffUpdn);
    header_.uadt = Load32(data_ + kOffUadt);
    header_.isdt = Load32(data_ + kOffIsdt);
    header_.sted = LoadFloat(data_ + kOffSted);
    header_.prsp = Load32(data_ + kOffPrsp);
    header_.pred = LoadFloat(data_ + kOffPred);
    header_.agen = Load32(data_ + kOffAgen);
    header_.hdat = Load32(data_ + kOffHdat);
    header_.vdat = Load32(data_ + kOffVdat);
    header_.sdat = Load32(data_ + kOffSdat);
    header_.title.assign(reinterpret_cast<const char*>(data_ + kOffTitle),
                         strnlen(reinterpret_cast<const char*>(data_ + kOffTitle), kTitleSize));
    header_.featureCount = Load32(data_ + kOffFeatureCount);
  } else if (header_.version == kVersion3) {
    if (size_ < kHeaderSize3) return fail("Bad SENC file " + name + " (too short)");
    headerSize_ = kHeaderSize3;
    header_.cscl = Load32(data_ + kV3OffCscl);
    header_.intu = Load32(data_ + kV3OffIntu);
    header_.edtn = Load32(data_ + kV3OffEdtn);
    header_.updn = Load32(data_ + kV3OffUpdn);
    header_.uadt = Load32(data_ + kV3OffUadt);
    header_.isdt = Load32(data_ + kV3OffIsdt);
    header_.agen = Load32(data_ + kV3OffAgen);
    header_.hdat = Load32(data_ + kV3OffHdat);
    header_.vdat = Load32(data_ + kV3OffVdat);
    header_.sdat = Load32(data_ + kV3OffSdat);
    header_.title.assign(reinterpret_cast<const char*>(data_ + kV3OffTitle),
                         strnlen(reinterpret_cast<const char*>(data_ + kV3OffTitle), kTitleSize));
    header_.featureCount = Load32(data_ + kV3OffFeatureCount);
    // Version 3 files carry no STED, PRSP or PRED.
    header_.sted = 3.1f;
    header_.prsp = header_.agen == 16206 ? 10 : 1;
    header_.pred = header_.agen == 16206 ? 2.1f : 2.0f;
  } else {
    const std::string message =
        "Invalid SENC version: " + std::to_string(header_.version) + " in " + name;
    return fail(message);
  }
  const uint64_t tableEnd = headerSize_ + uint64_t{header_.featureCount} * 4;
  if (tableEnd > size_) return fail("Bad SENC file " + name + " (too short)");

  // The tree: every node inside the file, in pre-order (each subtree right
  // after its parent's record or its previous sibling's subtree, so no node
  // is reached twice), feature indices within the table.
  rootOffset_ = 0;
  extent_ = ProjectedBox{};
  if (tableEnd + kNodeSize <= size_) {
    rootOffset_ = static_cast<uint32_t>(tableEnd);
    extent_ = LoadBox(data_ + rootOffset_);
    size_t badNode = 0;
    if (CheckSubtree(rootOffset_, 0, badNode) == 0) {
      const std::string message = "Bad SENC file " + name + " (damaged tree at " + std::to_string(badNode) + ")";
      return fail(message);
    }
  } else if (header_.featureCount > 0) {
    return fail("Bad SENC file " + name + " (too short)");
  }
  for (uint32_t i = 0; i < header_.featureCount; ++i) {
    const uint32_t offset = Load32(data_ + headerSize_ + 4 * size_t{i});
    if (offset != 0 && !CheckFeature(i, offset, error)) {
      error = "Bad SENC file " + name + " (" + error + ")";
      Log("%s\n", error.c_str());
      return false;
    }
  }
  return true;
}

uint64_t CS57Chart::CheckSubtree(uint32_t node, int depth, size_t& badNode) const {
  badNode = node;
  const uint64_t count = Load32(data_ + node + 48);
  uint64_t end = uint64_t{node} + kNodeSize + 4 * count;
  if (depth > kMaxNodeDepth || end > size_) return 0;
  for (uint64_t i = 0; i < count; ++i)
    if (Load32(data_ + node + kNodeSize + 4 * i) >= header_.featureCount) return 0;
  for (int c = 0; c < 4; ++c) {
    const uint32_t child = Load32(data_ + node + 32 + 4 * c);
    if (child == 0) continue;
    if (child != end || end + kNodeSize > size_) {
      badNode = node;
      return 0;
    }
    end = CheckSubtree(child, depth + 1, badNode);
    if (end == 0) return 0;
  }
  return end;
}

bool CS57Chart::CheckFeature(uint32_t index, uint32_t offset, std::string& error) const {
  const auto where = [index] { return "feature " + std::to_string(index); };
  if (offset < headerSize_ || uint64_t{offset} + kFeatureHeadSize > size_ ||
      Load32(data_ + offset + 4) != index) {
    error = where() + " misplaced";
    return false;
  }
  const S57FeatureView feature(data_ + offset);
  const uint64_t textLength = Load32(data_ + offset + 40);
  const uint64_t textStart = uint64_t{offset} + kFeatureHeadSize + 4 * uint64_t{feature.AttributeCount()};
  uint64_t at = textStart + Pad4(textLength);
  if (at > size_ || (textLength > 0 && data_[textStart + textLength - 1] != 0) ||
      (textLength == 0 && feature.AttributeCount() > 0)) {
    error = where() + " has damaged attributes";
    return false;
  }
  for (uint32_t i = 0; i < feature.AttributeCount(); ++i) {
    if (Load16(data_ + offset + 46 + 4 * size_t{i}) >= textLength) {
      error = where() + " has damaged attributes";
      return false;
    }
  }
  for (uint32_t p = 0; p < feature.PartCount(); ++p) {
    if (at + 4 > size_) {
      error = where() + " has damaged geometry";
      return false;
    }
    const uint32_t header = Load32(data_ + at);
    const uint64_t count = (header >> kCountShift) & kMaxPartPoints;
    at += 4 + count * ((header & kDepthsBit) ? 24 : 16);
    if (at > size_) {
      error = where() + " has damaged geometry";
      return false;
    }
  }
  return true;
}

std::optional<S57FeatureView> CS57Chart::Feature(uint32_t index) const {
  if (index >= header_.featureCount) return std::nullopt;
  const uint32_t offset = Load32(data_ + headerSize_ + 4 * size_t{index});
  if (offset == 0) return std::nullopt;
  return S57FeatureView(data_ + offset);
}

void CS57Chart::Query(const ProjectedBox& view,
                      const std::function<void(const S57FeatureView&)>& visit) const {
  if (rootOffset_ != 0) QueryNode(rootOffset_, view, visit);
}

void CS57Chart::QueryNode(uint32_t node, const ProjectedBox& view,
                          const std::function<void(const S57FeatureView&)>& visit) const {
  if (!LoadBox(data_ + node).Meets(view)) return;
  const uint32_t count = Load32(data_ + node + 48);
  for (uint32_t i = 0; i < count; ++i) {
    const auto feature = Feature(Load32(data_ + node + kNodeSize + 4 * size_t{i}));
    if (feature && feature->Box().Meets(view)) visit(*feature);
  }
  for (int c = 0; c < 4; ++c)
    if (const uint32_t child = Load32(data_ + node + 32 + 4 * c)) QueryNode(child, view, visit);
}

std::vector<std::pair<std::string, std::string>> CS57Chart::Properties() const {
  const auto agency = S57Catalogue().AgencyName(static_cast<uint16_t>(header_.agen));
  return {
      {"Name", cellName_ + ".000"},
      {"Source", agency ? std::string(*agency) : std::to_string(header_.agen)},
      {"Edition", std::to_string(header_.edtn)},
      {"Update", std::to_string(header_.updn)},
      {"SoundingDatum", ValueText(kAttrVerdat, header_.sdat)},
      {"IntendedUsage", std::string(IntendedUsageText(header_.intu))},
      {"UpdateApplicationDate", UsDateText(header_.uadt)},
      {"Updated", UsDateText(header_.isdt)},
      {"IssueDate", UsDateText(header_.isdt)},
  };
}

std::vector<std::pair<std::string, std::string>> CS57Chart::InfoProperties() const {
  // Depths are in metres in an ENC unless its M_UNIT says otherwise.
  std::string depthUnits = "meters";
  for (uint32_t i = 0; i < header_.featureCount; ++i) {
    const auto feature = Feature(i);
    if (!feature || feature->Objl() != kClassMUnit) continue;
    static const char* const kUnits[] = {"meters", "fathoms and feet", "feet", "fathoms"};
    const auto dunits = feature->Attribute(kAttrDunits);
    if (dunits && dunits->size() == 1 && (*dunits)[0] >= '1' && (*dunits)[0] <= '4')
      depthUnits = kUnits[(*dunits)[0] - '1'];
    break;
  }
  return {
      {"Scale", "Vector Chart (1:" + Grouped(header_.cscl) + ")"},
      {"Projection", "Mercator"},
      {"Datum", ValueText(kAttrHordat, header_.hdat)},
      {"VerticalDatum", ValueText(kAttrVerdat, header_.vdat)},
      {"SoundingDatum", ValueText(kAttrVerdat, header_.sdat)},
      {"Depth Units", depthUnits},
  };
}

bool CS57Chart::OnFilesUpdated(CS57ChartReader& reader, const std::filesystem::path& cellPath) {
  if (!reader.NeedsRebuild(cellPath)) return true;
  std::string error;
  if (!reader.BuildSencFile(cellPath, error)) {
    Log("CS57Chart::OnFilesUpdated: BuildSencFile(%s) failed!\n", cellPath.c_str());
    return false;
  }
  auto fresh = Open(reader.SencPath(cellPath), error);
  if (!fresh) {
    Log("CS57Chart::OnFilesUpdated ReadFile(%s) failed!\n", cellPath.c_str());
    return false;
  }
  Unmap();
  owned_ = std::move(fresh->owned_);
  map_ = std::exchange(fresh->map_, nullptr);
  mapSize_ = std::exchange(fresh->mapSize_, 0);
  data_ = owned_.empty() ? fresh->data_ : reinterpret_cast<const uint8_t*>(owned_.data());
  size_ = fresh->size_;
  path_ = fresh->path_;
  cellName_ = fresh->cellName_;
  header_ = fresh->header_;
  headerSize_ = fresh->headerSize_;
  rootOffset_ = fresh->rootOffset_;
  extent_ = fresh->extent_;
  return true;
}

std::string_view IntendedUsageText(uint32_t intu) {
  static const char* const kTexts[] = {"Overview",     "General",      "Coastal",
                                       "Approach",     "Harbor",       "Berthing",
                                       "River",        "River Harbor", "River Berthing"};
  return intu >= 1 && intu <= 9 ? kTexts[intu - 1] : "Overlay";
}

std::string UsDateText(uint32_t yyyymmdd) {
  return std::to_string(yyyymmdd / 100 % 100) + "/" + std::to_string(yyyymmdd % 100) + "/" +
         std::to_string(yyyymmdd / 10000);
}

}  // namespace tarnwick
