// `tarnwick geotiff`: GeoTIFF charts and images: the image layout and the
// georeferencing as JSON, pixel <-> geographic conversion of points read from
// standard input, and the image drawn into a Mercator tile.

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/Subcommand.h"
#include "charts/geotiff/GeoTiffChart.h"
#include "charts/raster/BsbText.h"
#include "charts/raster/RasterRender.h"
#include "tools/RasterOutput.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "info FILE.tif\n"
    "  transform FILE.tif [--inverse]   (\"x y\" pixel lines on stdin -> \"lon lat\"; --inverse the other way)\n"
    "  tile FILE.tif Z X Y OUT.png [--scheme DAY|DSK|NGT]   (the image drawn into a 256-pixel Mercator tile)";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick geotiff: %s\n", message.c_str());
  return 1;
}

std::unique_ptr<CGeoTiffChart> OpenOrSay(const std::string& path, int& status) {
  std::string error;
  auto chart = CGeoTiffChart::Open(path, error);
  if (!chart) status = Fail(path + ": " + error);
  return chart;
}

json InfoJson(const CGeoTiffChart& chart) {
  const GeoTiffInfo& i = chart.Info();
  json out;
  out["file"] = chart.Path().string();
  out["kind"] = "GeoTIFF";
  out["width"] = i.width;
  out["height"] = i.height;
  out["samplesPerPixel"] = i.samplesPerPixel;
  out["bitsPerSample"] = i.bitsPerSample;
  out["photometric"] = i.photometric;
  out["alpha"] = i.hasAlpha;
  out["compression"] = i.compression;
  out["paletteEntries"] = i.paletteEntries;
  out["layout"] = i.tiled ? json{{"tiled", true}, {"tileWidth", i.blockWidth}, {"tileHeight", i.blockHeight}}
                          : json{{"tiled", false}, {"rowsPerStrip", i.blockHeight}};
  json georef;
  georef["model"] = i.model.empty() ? json(nullptr) : json(i.model);
  georef["epsg"] = i.epsg ? json(i.epsg) : json(nullptr);
  georef["crs"] = i.crsDefinition.empty() ? json(nullptr) : json(i.crsDefinition);
  georef["rasterType"] = i.pixelIsPoint ? "PixelIsPoint" : "PixelIsArea";
  georef["rasterToModel"] = i.rasterToModel.empty() ? json(nullptr) : json(i.rasterToModel);
  if (i.rasterToModel == "matrix" || i.rasterToModel == "tiepoint and scale") georef["geoTransform"] = i.geoTransform;
  if (!chart.Georeferenced()) {
    georef["error"] = chart.GeorefError();
  } else {
    const double w = i.width, h = i.height;
    json corners = json::array();
    for (const PixelPoint p : {PixelPoint{0, 0}, PixelPoint{w, 0}, PixelPoint{w, h}, PixelPoint{0, h},
                               PixelPoint{w / 2, h / 2}}) {
      const auto position = chart.PixelToGeo(p);
      corners.push_back(position ? json{position->lon, position->lat} : json(nullptr));
    }
    georef["corners"] = corners;  // top-left, top-right, bottom-right, bottom-left, centre
    const auto resolution = chart.MercatorMetresPerPixel();
    georef["mercatorMetresPerPixel"] = resolution ? json(*resolution) : json(nullptr);
  }
  out["georeferencing"] = georef;
  return out;
}

int Info(CArguments& args) {
  if (args.Size() != 1) return Fail("info needs FILE.tif");
  int status = 0;
  auto chart = OpenOrSay(args[0], status);
  if (!chart) return status;
  std::cout << InfoJson(*chart).dump(2) << "\n";
  return 0;
}

int Transform(CArguments& args) {
  const bool inverse = args.TakeFlag("--inverse");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 1) return Fail("transform needs FILE.tif");
  int status = 0;
  auto chart = OpenOrSay(args[0], status);
  if (!chart) return status;
  if (!chart->Georeferenced()) return Fail(args[0] + ": no georeferencing: " + chart->GeorefError());
  std::string line;
  int lineNumber = 0;
  int failures = 0;
  while (std::getline(std::cin, line)) {
    ++lineNumber;
    for (char& c : line) {
      if (c == '\t' || c == ',') c = ' ';
    }
    const std::string trimmed = TrimBsb(line);
    if (trimmed.empty()) continue;
    char* end = nullptr;
    const double a = std::strtod(trimmed.c_str(), &end);
    char* end2 = nullptr;
    const double b = std::strtod(end, &end2);
    if (end == trimmed.c_str() || end2 == end || !std::isfinite(a) || !std::isfinite(b)) {
      std::fprintf(stderr, "tarnwick geotiff: line %d: not two numbers: \"%s\"\n", lineNumber, trimmed.c_str());
      ++failures;
      continue;
    }
    if (inverse) {
      if (const auto pixel = chart->GeoToPixel({b, a})) {
        std::printf("%.4f %.4f\n", pixel->x, pixel->y);
        continue;
      }
    } else if (const auto position = chart->PixelToGeo({a, b})) {
      std::printf("%.9f %.9f\n", position->lon, position->lat);
      continue;
    }
    std::fprintf(stderr, "tarnwick geotiff: line %d: outside the georeferencing\n", lineNumber);
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}

int Tile(CArguments& args) {
  const std::string schemeName = args.TakeOption("--scheme").value_or("DAY");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 5) return Fail("tile needs FILE.tif Z X Y OUT.png");
  const auto scheme = ParseColourScheme(schemeName);
  if (!scheme) return Fail("unknown scheme \"" + schemeName + "\" (DAY, DSK or NGT)");
  TileAddress tile;
  if (!ParseTileAddress(args[1], args[2], args[3], tile)) return Fail("Z X Y must be a tile: 0 <= X, Y < 2^Z, Z <= 30");
  int status = 0;
  auto chart = OpenOrSay(args[0], status);
  if (!chart) return status;
  if (!chart->Georeferenced()) return Fail(args[0] + ": no georeferencing: " + chart->GeorefError());
  std::vector<uint32_t> pixels(256 * 256, 0);
  const ArgbImage image{pixels.data(), 256, 256, 256 * 4};
  const size_t drawn = RenderMercatorBox(*chart, XyzTileBox(tile.zoom, tile.x, tile.y), *scheme, image);
  if (!WriteArgbPng(args[4], image)) return Fail("cannot write " + args[4]);
  std::printf("%zu\n", drawn);
  return 0;
}

int Main(CArguments& args) {
  if (args.Size() == 0) return Fail(std::string("usage: tarnwick geotiff ") + kUsage);
  const std::string action = args[0];
  std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
  CArguments sub(std::move(rest));
  if (action == "info") return Info(sub);
  if (action == "transform") return Transform(sub);
  if (action == "tile") return Tile(sub);
  return Fail("unknown action \"" + action + "\"");
}

const CSubcommand kGeotiff("geotiff", kUsage,
                           "GeoTIFF charts and images: layout and georeferencing as JSON, transform points, draw a tile",
                           Main);

}  // namespace
}  // namespace tarnwick
