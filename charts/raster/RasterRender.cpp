#include "charts/raster/RasterRender.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace tarnwick {
namespace {

// Spacing, in image pixels, of the points where the image -> raster mapping
// is computed exactly; between them it is interpolated bilinearly. Over 16
// pixels the mapping of a chart panel bends by far less than a pixel.
constexpr int kGrid = 16;

struct Bounds {
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
};

Bounds OutlineBounds(const std::vector<MercatorPoint>& ring) {
  Bounds b;
  for (const MercatorPoint& p : ring) {
    b.minX = std::min(b.minX, p.x);
    b.maxX = std::max(b.maxX, p.x);
    b.minY = std::min(b.minY, p.y);
    b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

// The copies of the raster (0, or one world width east or west) that meet box.
std::vector<double> Shifts(const CGeoRaster& raster, const MercatorBox& box) {
  std::vector<double> shifts;
  const auto& ring = raster.MercatorOutline();
  if (ring.size() < 3) return shifts;
  const Bounds b = OutlineBounds(ring);
  if (b.maxY < box.south || b.minY > box.north) return shifts;
  for (int k = -1; k <= 1; ++k) {
    const double shift = k * kMercatorWorldWidth;
    if (b.maxX + shift >= box.west && b.minX + shift <= box.east) shifts.push_back(shift);
  }
  return shifts;
}

// Index lists of the image columns (or rows) where the mapping is computed.
std::vector<int> Nodes(int size) {
  std::vector<int> nodes;
  for (int i = 0; i < size - 1; i += kGrid) nodes.push_back(i);
  nodes.push_back(size - 1);
  return nodes;
}

std::optional<PixelPoint> Lerp(const std::optional<PixelPoint>& a, const std::optional<PixelPoint>& b,
                               double t) {
  if (!a || !b) return std::nullopt;
  return PixelPoint{a->x + (b->x - a->x) * t, a->y + (b->y - a->y) * t};
}

// Draws one copy of the raster, whose chart Mercator x is the image's x minus shift.
class CFrameRenderer {
 public:
  CFrameRenderer(const CGeoRaster& raster, const MercatorBox& box, double shift,
                 ColourScheme scheme, const ArgbImage& image)
      : raster_(raster), box_(box), shift_(shift), scheme_(scheme), image_(image),
        dx_((box.east - box.west) / image.width), dy_((box.north - box.south) / image.height) {
    const double brightness = SchemeBrightness(scheme);
    for (int v = 0; v < 256; ++v) dim_[static_cast<size_t>(v)] = static_cast<uint8_t>(std::lround(v * brightness));
  }

  size_t Render() {
    cols_ = Nodes(image_.width);
    rows_ = Nodes(image_.height);
    nodes_.resize(cols_.size() * rows_.size());
    double lowest = HUGE_VAL, highest = -HUGE_VAL;
    for (size_t r = 0; r < rows_.size(); ++r) {
      for (size_t c = 0; c < cols_.size(); ++c) {
        auto& node = nodes_[r * cols_.size() + c];
        node = Map(cols_[c], rows_[r]);
        if (node) {
          lowest = std::min(lowest, node->y);
          highest = std::max(highest, node->y);
        }
      }
    }
    if (highest >= lowest) {
      firstRow_ = std::clamp(static_cast<int>(std::floor(lowest)) - 2, 0, raster_.Height() - 1);
      const int last = std::clamp(static_cast<int>(std::floor(highest)) + 2, 0, raster_.Height() - 1);
      memo_.resize(static_cast<size_t>(last - firstRow_ + 1));
      fetched_.assign(memo_.size(), false);
    }
    size_t drawn = 0;
    std::vector<std::optional<PixelPoint>> edge(cols_.size());
    std::vector<double> crossings;
    for (int j = 0; j < image_.height; ++j) {
      const double y = box_.north - (j + 0.5) * dy_;
      Crossings(y, crossings);
      if (crossings.size() < 2) continue;
      const size_t r = std::min(static_cast<size_t>(j / kGrid), rows_.size() > 1 ? rows_.size() - 2 : 0);
      const double tY = rows_.size() > 1 ? double(j - rows_[r]) / (rows_[r + 1] - rows_[r]) : 0.0;
      for (size_t c = 0; c < cols_.size(); ++c) {
        const auto& top = nodes_[r * cols_.size() + c];
        edge[c] = rows_.size() > 1 ? Lerp(top, nodes_[(r + 1) * cols_.size() + c], tY) : top;
      }
      uint32_t* out = image_.Row(j);
      for (size_t s = 0; s + 1 < crossings.size(); s += 2) {
        const int i0 = std::max(0, static_cast<int>(std::ceil((crossings[s] - box_.west) / dx_ - 0.5)));
        const int i1 = std::min(image_.width - 1,
                                static_cast<int>(std::ceil((crossings[s + 1] - box_.west) / dx_ - 0.5)) - 1);
        for (int i = i0; i <= i1; ++i) {
          const size_t c = std::min(static_cast<size_t>(i / kGrid), cols_.size() > 1 ? cols_.size() - 2 : 0);
          std::optional<PixelPoint> source;
          if (cols_.size() > 1 && edge[c] && edge[c + 1]) {
            source = Lerp(edge[c], edge[c + 1], double(i - cols_[c]) / (cols_[c + 1] - cols_[c]));
          } else if (cols_.size() == 1 && edge[0]) {
            source = edge[0];
          } else {
            source = Map(i, j);  // near where the mapping fails: exactly
          }
          if (source && Put(*source, out[i])) ++drawn;
        }
      }
    }
    return drawn;
  }

 private:
  std::optional<PixelPoint> Map(int i, int j) const {
    return raster_.MercatorToPixel(
        {box_.west + (i + 0.5) * dx_ - shift_, box_.north - (j + 0.5) * dy_});
  }

  // Image x of the outline's crossings of the line at chart Mercator y, sorted.
  void Crossings(double y, std::vector<double>& xs) const {
    xs.clear();
    const auto& ring = raster_.MercatorOutline();
    for (size_t k = 0; k < ring.size(); ++k) {
      const MercatorPoint& a = ring[k];
      const MercatorPoint& b = ring[(k + 1) % ring.size()];
      if ((a.y > y) != (b.y > y)) xs.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y) + shift_);
    }
    std::sort(xs.begin(), xs.end());
  }

  const RasterRow& Row(int y) {
    const int index = y - firstRow_;
    if (index >= 0 && static_cast<size_t>(index) < memo_.size()) {
      if (!fetched_[static_cast<size_t>(index)]) {
        memo_[static_cast<size_t>(index)] = raster_.ReadRow(y, scheme_);
        fetched_[static_cast<size_t>(index)] = true;
      }
      return memo_[static_cast<size_t>(index)];
    }
    spare_ = raster_.ReadRow(y, scheme_);
    return spare_;
  }

  bool Put(PixelPoint source, uint32_t& pixel) {
    if (!(source.x >= 0 && source.y >= 0 && source.x < raster_.Width() && source.y < raster_.Height()))
      return false;
    const RasterRow& row = Row(static_cast<int>(source.y));
    if (!row.bytes) return false;
    const auto x = static_cast<size_t>(source.x);
    if (row.palette) {
      if (x >= row.bytes->size()) return false;
      const uint32_t colour = (*row.palette)[(*row.bytes)[x]];
      if ((colour >> 24) == 0) return false;
      pixel = colour;
      return true;
    }
    if (4 * x + 3 >= row.bytes->size()) return false;
    uint32_t colour;
    std::copy_n(row.bytes->data() + 4 * x, 4, reinterpret_cast<uint8_t*>(&colour));
    if ((colour >> 24) == 0) return false;
    if (scheme_ != ColourScheme::kDay) {
      colour = (colour & 0xFF000000u) | (uint32_t{dim_[(colour >> 16) & 0xFF]} << 16) |
               (uint32_t{dim_[(colour >> 8) & 0xFF]} << 8) | dim_[colour & 0xFF];
    }
    pixel = colour;
    return true;
  }

  const CGeoRaster& raster_;
  const MercatorBox& box_;
  const double shift_;
  const ColourScheme scheme_;
  const ArgbImage& image_;
  const double dx_;
  const double dy_;
  std::array<uint8_t, 256> dim_{};
  std::vector<int> cols_, rows_;
  std::vector<std::optional<PixelPoint>> nodes_;
  int firstRow_ = 0;
  std::vector<RasterRow> memo_;
  std::vector<bool> fetched_;
  RasterRow spare_;
};

}  // namespace

MercatorBox XyzTileBox(int zoom, int x, int y) {
  const double side = kMercatorWorldWidth / std::ldexp(1.0, zoom);
  const double half = kMercatorWorldWidth / 2;
  return {-half + x * side, half - (y + 1) * side, -half + (x + 1) * side, half - y * side};
}

bool RasterTouchesBox(const CGeoRaster& raster, const MercatorBox& box) {
  return !Shifts(raster, box).empty();
}

size_t RenderMercatorBox(const CGeoRaster& raster, const MercatorBox& box, ColourScheme scheme,
                         const ArgbImage& image) {
  if (image.width <= 0 || image.height <= 0 || !image.pixels || !(box.east > box.west) ||
      !(box.north > box.south))
    return 0;
  size_t drawn = 0;
  for (const double shift : Shifts(raster, box)) {
    drawn += CFrameRenderer(raster, box, shift, scheme, image).Render();
  }
  return drawn;
}

}  // namespace tarnwick
