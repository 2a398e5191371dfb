#pragma once
// Draws a georeferenced raster (a KAP panel, a GeoTIFF) into an image that
// covers a box of the chart Mercator (EPSG:3395 metres), for the chart view's
// tiles: each image pixel takes the raster pixel under its centre (nearest
// neighbour), in the colours of the scheme, clipped to the raster's coverage
// outline. Pixels outside the raster or its outline are left as they were,
// so charts drawn one after the other into the same image quilt.
//
// Safe to call from several threads at once, on the same raster too: rows
// come from the shared scan-line cache.

#include <cstddef>
#include <cstdint>

#include "charts/raster/GeoRaster.h"

namespace tarnwick {

// A box of the chart Mercator, metres; west < east, south < north. West and
// east may pass +-pi a (a box across the antimeridian).
struct MercatorBox {
  double west = 0.0;
  double south = 0.0;
  double east = 0.0;
  double north = 0.0;
};

// The box of XYZ tile (zoom, x, y) on the world square of side 2 pi a with
// its origin at the top-left (x east, y south), 2^zoom tiles a side.
MercatorBox XyzTileBox(int zoom, int x, int y);

// Pixels laid out as Cairo's CAIRO_FORMAT_ARGB32 image surfaces keep them:
// rows of `width` native 32-bit 0xAARRGGBB words, `stride` bytes apart. A
// Cairo surface is drawn into as
//   ArgbImage image{reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s)),
//                   cairo_image_surface_get_width(s), cairo_image_surface_get_height(s),
//                   cairo_image_surface_get_stride(s)};
// between cairo_surface_flush(s) and cairo_surface_mark_dirty(s).
struct ArgbImage {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next
  uint32_t* Row(int y) const {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                       static_cast<ptrdiff_t>(y) * stride);
  }
};

// True when the raster's outline may reach into box (bounding boxes meet).
bool RasterTouchesBox(const CGeoRaster& raster, const MercatorBox& box);

// Draws the part of raster inside box into image (the box fills the image,
// north up: pixel (i, j) has its centre at x = west + (i + 0.5) * (east -
// west) / width, y = north - (j + 0.5) * (north - south) / height). Returns
// how many pixels were written.
size_t RenderMercatorBox(const CGeoRaster& raster, const MercatorBox& box, ColourScheme scheme,
                         const ArgbImage& image);

}  // namespace tarnwick
