#include "tools/RasterOutput.h"

#include <cairo.h>

#include <charconv>
#include <fstream>

namespace tarnwick {
namespace {

bool WriteSurface(cairo_surface_t* surface, const std::string& path) {
  cairo_surface_mark_dirty(surface);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

bool ParseInt(const std::string& text, int& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

bool WriteRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return false;
  }
  const ArgbImage image{reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface)), width,
                        height, cairo_image_surface_get_stride(surface)};
  for (int y = 0; y < height; ++y) {
    uint32_t* row = image.Row(y);
    const uint8_t* in = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    for (int x = 0; x < width; ++x) row[x] = OpaqueArgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
  }
  return WriteSurface(surface, path);
}

bool WriteRgbPpm(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
  return static_cast<bool>(out);
}

bool WriteArgbPng(const std::string& path, const ArgbImage& image) {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(image.pixels), CAIRO_FORMAT_ARGB32, image.width,
      image.height, image.stride);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return false;
  }
  return WriteSurface(surface, path);
}

bool ParseTileAddress(const std::string& z, const std::string& x, const std::string& y,
                      TileAddress& tile) {
  if (!ParseInt(z, tile.zoom) || !ParseInt(x, tile.x) || !ParseInt(y, tile.y)) return false;
  if (tile.zoom < 0 || tile.zoom > 30) return false;
  const long long count = 1LL << tile.zoom;
  return tile.x >= 0 && tile.y >= 0 && tile.x < count && tile.y < count;
}

}  // namespace tarnwick
