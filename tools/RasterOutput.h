#pragma once
// Image files written by the raster subcommands (`tarnwick kap`, `tarnwick
// geotiff`): PNG through Cairo, binary PPM (P6) by hand.

#include <cstdint>
#include <string>
#include <vector>

#include "charts/raster/RasterRender.h"

namespace tarnwick {

// rgb: width * height pixels of 3 bytes, rows top to bottom.
bool WriteRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
bool WriteRgbPpm(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

// A tile drawn by RenderMercatorBox: transparent where nothing was drawn.
bool WriteArgbPng(const std::string& path, const ArgbImage& image);

// Parses "Z X Y" of an XYZ tile (0 <= X, Y < 2^Z, Z <= 30); none otherwise.
struct TileAddress {
  int zoom = 0;
  int x = 0;
  int y = 0;
};
bool ParseTileAddress(const std::string& z, const std::string& x, const std::string& y,
                      TileAddress& tile);

}  // namespace tarnwick
