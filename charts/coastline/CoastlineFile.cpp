#include "charts/coastline/CoastlineFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "charts/coastline/CoastlineFormat.h"

namespace tarnwick {

using namespace coastfmt;

CoastPoint CoastPartView::Raw(uint32_t i) const {
  return {Load16(points + i * kPointSize), Load16(points + i * kPointSize + 2)};
}

LatLon CoastPartView::At(uint32_t i) const {
  const CoastPoint p = Raw(i);
  return {cellSouth + p.y * cellSize / kCoastUnits, cellWest + p.x * cellSize / kCoastUnits};
}

CCoastlineFile::~CCoastlineFile() {
  if (map_ != nullptr) munmap(map_, mapSize_);
}

std::unique_ptr<CCoastlineFile> CCoastlineFile::Open(const std::filesystem::path& path,
                                                     std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + path.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = path.string() + " is not a readable file";
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<CCoastlineFile> file(new CCoastlineFile);
  if (st.st_size > 0) {
    void* map = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      error = "cannot map " + path.string() + ": " + std::strerror(errno);
      ::close(fd);
      return nullptr;
    }
    file->map_ = map;
    file->mapSize_ = static_cast<size_t>(st.st_size);
    file->data_ = static_cast<const uint8_t*>(map);
    file->size_ = file->mapSize_;
  }
  ::close(fd);
  if (!file->Check(true, error)) {
    error = path.string() + ": " + error;
    return nullptr;
  }
  return file;
}

std::unique_ptr<CCoastlineFile> CCoastlineFile::FromBytes(std::string bytes, std::string& error,
                                                          bool checkCrc) {
  std::unique_ptr<CCoastlineFile> file(new CCoastlineFile);
  file->owned_ = std::move(bytes);
  file->data_ = reinterpret_cast<const uint8_t*>(file->owned_.data());
  file->size_ = file->owned_.size();
  if (!file->Check(checkCrc, error)) return nullptr;
  return file;
}

bool CCoastlineFile::Check(bool checkCrc, std::string& error) {
  if (size_ < kHeaderSize) {
    error = "truncated (" + std::to_string(size_) + " bytes, no complete header)";
    return false;
  }
  if (std::memcmp(data_ + kOffMagic, kMagic, sizeof kMagic) != 0) {
    error = "not a coastline file (bad magic)";
    return false;
  }
  const uint16_t version = Load16(data_ + kOffVersion);
  if (version != kVersion) {
    error = "unsupported coastline file version " + std::to_string(version);
    return false;
  }
  const auto resolution = ParseCoastResolution(
      std::string_view(reinterpret_cast<const char*>(data_ + kOffResolution), 1));
  if (!resolution) {
    error = "bad resolution letter";
    return false;
  }
  info_.resolution = *resolution;
  info_.cellMinutes = Load32(data_ + kOffCellMinutes);
  info_.columns = Load16(data_ + kOffColumns);
  info_.rows = Load16(data_ + kOffRows);
  if (info_.cellMinutes == 0 || 10800 % info_.cellMinutes != 0 ||
      info_.columns != 21600 / info_.cellMinutes || info_.rows != 10800 / info_.cellMinutes) {
    error = "bad cell grid (" + std::to_string(info_.cellMinutes) + " minutes, " +
            std::to_string(info_.columns) + " x " + std::to_string(info_.rows) + ")";
    return false;
  }
  const size_t cellCount = static_cast<size_t>(info_.columns) * info_.rows;
  const size_t indexEnd = kHeaderSize + cellCount * kIndexEntrySize;
  if (size_ < indexEnd) {
    error = "truncated (cell index incomplete)";
    return false;
  }
  if (checkCrc) {
    uLong crc = crc32(0L, Z_NULL, 0);
    size_t done = kHeaderSize;
    while (done < size_) {  // crc32 takes at most 4 GiB per call
      const size_t chunk = std::min<size_t>(size_ - done, 1u << 30);
      crc = crc32(crc, data_ + done, static_cast<uInt>(chunk));
      done += chunk;
    }
    if (static_cast<uint32_t>(crc) != Load32(data_ + kOffCrc)) {
      error = "damaged (checksum mismatch)";
      return false;
    }
  }
  uint64_t parts = 0;
  uint64_t points = 0;
  for (size_t cell = 0; cell < cellCount; ++cell) {
    const uint8_t* entry = data_ + kHeaderSize + cell * kIndexEntrySize;
    const uint64_t offset = Load32(entry);
    const uint64_t size = Load32(entry + 4);
    if (size == 0) continue;
    const std::string where = "cell " + std::to_string(cell);
    if (offset < indexEnd || offset % 4 != 0 || offset + size > size_ || size < kCellHeaderSize) {
      error = "damaged (" + where + " lies outside the file)";
      return false;
    }
    const uint8_t* p = data_ + offset;
    const uint8_t* end = p + size;
    const uint64_t total = static_cast<uint64_t>(Load32(p)) + Load32(p + 4);
    const uint32_t polygons = Load32(p);
    p += kCellHeaderSize;
    for (uint64_t i = 0; i < total; ++i) {
      if (static_cast<size_t>(end - p) < kPartHeaderSize) {
        error = "damaged (" + where + " ends inside a part)";
        return false;
      }
      const uint32_t n = Load32(p);
      const uint8_t level = p[4];
      const uint32_t minPoints = i < polygons ? 3 : 2;
      if (level < 1 || level > kCoastMaxLevel || n < minPoints) {
        error = "damaged (" + where + " has a bad part)";
        return false;
      }
      p += kPartHeaderSize;
      if (static_cast<uint64_t>(end - p) < static_cast<uint64_t>(n) * kPointSize) {
        error = "damaged (" + where + " ends inside a part)";
        return false;
      }
      p += static_cast<size_t>(n) * kPointSize;
      points += n;
    }
    if (p != end) {
      error = "damaged (" + where + " has trailing bytes)";
      return false;
    }
    parts += total;
  }
  info_.partCount = Load32(data_ + kOffPartCount);
  info_.pointCount = Load32(data_ + kOffPointCount);
  if (parts != info_.partCount || points != info_.pointCount) {
    error = "damaged (part or point count differs from the header)";
    return false;
  }
  auto degrees = [&](size_t at) { return static_cast<int32_t>(Load32(data_ + at)) / 1e6; };
  info_.bounds = {degrees(kOffWest), degrees(kOffSouth), degrees(kOffEast), degrees(kOffNorth)};
  info_.fileSize = size_;
  return true;
}

template <typename Fn>
void CCoastlineFile::ForEachPart(uint32_t cellIndex, Fn&& fn) const {
  const uint8_t* entry = data_ + kHeaderSize + static_cast<size_t>(cellIndex) * kIndexEntrySize;
  if (Load32(entry + 4) == 0) return;
  const uint8_t* p = data_ + Load32(entry);
  const uint32_t polygons = Load32(p);
  const uint64_t total = static_cast<uint64_t>(polygons) + Load32(p + 4);
  p += kCellHeaderSize;
  CoastPartView view;
  view.cellSize = info_.cellMinutes / 60.0;
  view.cellWest = -180.0 + (cellIndex % info_.columns) * view.cellSize;
  view.cellSouth = -90.0 + (cellIndex / info_.columns) * view.cellSize;
  for (uint64_t i = 0; i < total; ++i) {
    view.kind = i < polygons ? CoastPartKind::Polygon : CoastPartKind::Line;
    view.count = Load32(p);
    view.level = p[4];
    view.points = p + kPartHeaderSize;
    fn(view);
    p = view.points + static_cast<size_t>(view.count) * kPointSize;
  }
}

void CCoastlineFile::Visit(const CoastBox& box,
                           const std::function<void(const CoastPartView&)>& visit) const {
  if (!(box.west <= box.east) || !(box.south <= box.north)) return;
  const double size = info_.cellMinutes / 60.0;
  // Cells whose closed extent touches the box; a box edge on a cell border
  // takes the cells on both sides.
  auto first = [&](double v, double origin, uint32_t count) {
    const double f = std::floor((v - origin) / size);
    return static_cast<uint32_t>(std::clamp(f - (std::fmod(v - origin, size) == 0 ? 1 : 0), 0.0,
                                            static_cast<double>(count - 1)));
  };
  auto last = [&](double v, double origin, uint32_t count) {
    return static_cast<uint32_t>(
        std::clamp(std::floor((v - origin) / size), 0.0, static_cast<double>(count - 1)));
  };
  const double west = std::clamp(box.west, -180.0, 180.0);
  const double east = std::clamp(box.east, -180.0, 180.0);
  const double south = std::clamp(box.south, -90.0, 90.0);
  const double north = std::clamp(box.north, -90.0, 90.0);
  const uint32_t c0 = first(west, -180, info_.columns), c1 = last(east, -180, info_.columns);
  const uint32_t r0 = first(south, -90, info_.rows), r1 = last(north, -90, info_.rows);
  for (uint32_t row = r0; row <= r1; ++row) {
    for (uint32_t column = c0; column <= c1; ++column) {
      ForEachPart(row * info_.columns + column, visit);
    }
  }
}

int CCoastlineFile::LevelAt(LatLon position) const {
  if (!std::isfinite(position.lat) || !std::isfinite(position.lon)) return 0;
  const double size = info_.cellMinutes / 60.0;
  double lon = std::fmod(position.lon + 180.0, 360.0);
  if (lon < 0) lon += 360.0;
  const double lat = std::clamp(position.lat, -90.0, 90.0);
  const uint32_t column = std::min(static_cast<uint32_t>(lon / size), info_.columns - 1);
  const uint32_t row = std::min(static_cast<uint32_t>((lat + 90.0) / size), info_.rows - 1);
  // The point in the cell's own units, for an exact crossing test.
  const double x = (lon - column * size) / size * kCoastUnits;
  const double y = (lat + 90.0 - row * size) / size * kCoastUnits;
  int level = 0;
  ForEachPart(row * info_.columns + column, [&](const CoastPartView& part) {
    if (part.kind != CoastPartKind::Polygon || part.level <= level) return;
    bool inside = false;
    CoastPoint a = part.Raw(part.count - 1);
    for (uint32_t i = 0; i < part.count; ++i) {
      const CoastPoint b = part.Raw(i);
      if ((b.y > y) != (a.y > y)) {
        const double cross = a.x + (y - a.y) * (static_cast<double>(b.x) - a.x) / (b.y - a.y);
        if (x < cross) inside = !inside;
      }
      a = b;
    }
    if (inside) level = part.level;
  });
  return level;
}

}  // namespace tarnwick
