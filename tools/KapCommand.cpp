// `tarnwick kap`: BSB/KAP raster charts: the header, palettes, panels and
// georeferencing as JSON, the decoded raster as PNG or PPM, and pixel <->
// geographic conversion of points read from standard input.

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/Subcommand.h"
#include "charts/raster/BsbChartInfo.h"
#include "charts/raster/BsbText.h"
#include "charts/raster/RasterChart.h"
#include "charts/raster/RasterRender.h"
#include "tools/RasterOutput.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "info FILE.KAP|FILE.BSB\n"
    "  decode FILE.KAP OUT.png|OUT.ppm [--palette RGB|DAY|DSK|NGT|NGR|GRY|PRC|PRG]\n"
    "  transform FILE.KAP [--inverse]   (\"x y\" pixel lines on stdin -> \"lon lat\"; --inverse the other way)\n"
    "  tile FILE.KAP Z X Y OUT.png [--scheme DAY|DSK|NGT]   (the chart drawn into a 256-pixel Mercator tile)";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick kap: %s\n", message.c_str());
  return 1;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) != suffix[i])
      return false;
  }
  return true;
}

json Polynomial(const KapPolynomial& p) {
  if (!p.Valid()) return nullptr;
  json c = json::array();
  for (int i = 0; i < KapPolynomialTermCount(p.order); ++i) c.push_back(p.coefficients[i]);
  return {{"order", p.order}, {"coefficients", c}};
}

json Georeferencing(const CRasterChart& chart) {
  const auto& georef = chart.Georef();
  if (!georef) return {{"error", chart.GeorefError()}};
  json out;
  out["method"] = georef->GetMethod() == CKapGeoref::Method::kPolynomial ? "polynomial" : "reference-fit";
  out["order"] = georef->Order();
  if (georef->GetMethod() == CKapGeoref::Method::kReferenceFit) out["plane"] = georef->Plane();
  if (!georef->PolynomialRejection().empty()) out["polynomialsSetAside"] = georef->PolynomialRejection();
  if (georef->PolynomialLongitudeShift() != 0) out["longitudeShift"] = georef->PolynomialLongitudeShift();
  out["maxResidualPixels"] = georef->MaxResidual();
  json corners = json::array();
  const double w = chart.Width();
  const double h = chart.Height();
  for (const PixelPoint p : {PixelPoint{0, 0}, PixelPoint{w, 0}, PixelPoint{w, h}, PixelPoint{0, h}}) {
    const auto position = chart.PixelToGeo(p);
    corners.push_back(position ? json{position->lon, position->lat} : json(nullptr));
  }
  out["corners"] = corners;
  const auto resolution = chart.MercatorMetresPerPixel();
  out["mercatorMetresPerPixel"] = resolution ? json(*resolution) : json(nullptr);
  json outline = json::array();
  for (const LatLon& p : chart.Outline()) outline.push_back({p.lon, p.lat});
  out["outline"] = outline;
  return out;
}

json KapJson(const CRasterChart& chart) {
  const KapHeader& h = chart.Header();
  json out;
  out["file"] = chart.Path().string();
  out["kind"] = "KAP";
  out["title"] = chart.Title();
  out["version"] = h.version;
  out["width"] = h.width;
  out["height"] = h.height;
  out["bitsPerPixel"] = h.bitsPerPixel;
  out["properties"] = chart.Properties();
  out["chart"] = h.chart;
  out["knp"] = h.knp;
  out["knq"] = h.knq;
  json palettes = json::object();
  for (int k = 0; k < kKapPaletteCount; ++k) {
    const KapPalette* palette = h.Palette(static_cast<KapPaletteKind>(k));
    if (!palette) continue;
    json entries = json::array();
    for (int i = 0; i < 256; ++i) {
      if (!palette->present[static_cast<size_t>(i)]) continue;
      const KapColour c = palette->colours[static_cast<size_t>(i)];
      entries.push_back({i, c.r, c.g, c.b});
    }
    palettes[KapPaletteName(static_cast<KapPaletteKind>(k))] = entries;
  }
  out["palettes"] = palettes;
  json refs = json::array();
  for (const auto& r : h.references) refs.push_back({{"x", r.x}, {"y", r.y}, {"lat", r.lat}, {"lon", r.lon}});
  out["references"] = refs;
  json border = json::array();
  for (const auto& p : h.border) border.push_back({p.lat, p.lon});
  out["border"] = border;
  json distribution = json::array();
  for (auto [bit, name] : {std::pair{kKapCd, "CD"}, {kKapDvd, "DVD"}, {kKapWeb, "WEB"}, {kKapHd, "HD"}}) {
    if (h.distribution & bit) distribution.push_back(name);
  }
  out["distribution"] = distribution;
  out["datumShift"] = {{"lat", h.datumShiftLat}, {"lon", h.datumShiftLon}};
  out["phaseShift"] = h.phaseShift;
  out["polynomials"] = {{"WPX", Polynomial(h.wpx)}, {"WPY", Polynomial(h.wpy)},
                        {"PWX", Polynomial(h.pwx)}, {"PWY", Polynomial(h.pwy)}};
  if (!chart.PolynomialNotice().empty()) out["notice"] = chart.PolynomialNotice();
  out["rowIndex"] = chart.RowIndexRebuilt() ? "rebuilt" : "table";
  out["georeferencing"] = Georeferencing(chart);
  return out;
}

int Info(CArguments& args) {
  if (args.Size() != 1) return Fail("info needs FILE.KAP or FILE.BSB");
  const std::string path = args[0];
  if (EndsWith(path, ".bsb")) {
    BsbOpenError error;
    auto set = LoadBsbFile(path, error);
    if (!set) return Fail(path + ": " + error.userMessage + " (" + error.detail + ")");
    json out;
    out["file"] = path;
    out["kind"] = "BSB";
    out["properties"] = set->Properties();
    out["warnings"] = set->Warnings();
    json panels = json::array();
    for (const BsbPanel& panel : set->Panels()) {
      json p = {{"entry", panel.entry}, {"name", panel.name}, {"number", panel.number},
                {"type", panel.type}, {"fileName", panel.fileName}};
      if (panel.chart) {
        p["chart"] = KapJson(*panel.chart);
      } else {
        p["error"] = panel.error.userMessage + " (" + panel.error.detail + ")";
      }
      panels.push_back(p);
    }
    out["panels"] = panels;
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  KapOpenError error;
  auto chart = CRasterChart::ReadKapFile(path, error);
  if (!chart) return Fail(path + ": " + error.userMessage + " (" + error.detail + ")");
  std::cout << KapJson(*chart).dump(2) << "\n";
  return 0;
}

int Decode(CArguments& args) {
  const std::string paletteName = args.TakeOption("--palette").value_or("RGB");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 2) return Fail("decode needs FILE.KAP and OUT.png or OUT.ppm");
  const std::string out = args[1];
  const bool png = EndsWith(out, ".png");
  if (!png && !EndsWith(out, ".ppm")) return Fail("the output must end in .png or .ppm");
  const auto kind = ParseKapPaletteName(paletteName);
  if (!kind) return Fail("unknown palette \"" + paletteName + "\" (RGB DAY DSK NGT NGR GRY PRC PRG)");
  KapOpenError error;
  auto chart = CRasterChart::ReadKapFile(args[0], error);
  if (!chart) return Fail(args[0] + ": " + error.userMessage + " (" + error.detail + ")");
  const KapPalette* palette = chart->Header().Palette(*kind);
  if (!palette) return Fail(args[0] + ": the chart has no " + paletteName + " palette");
  std::array<KapColour, 256> colours{};
  for (int entry = 0; entry < 256; ++entry) colours[static_cast<uint8_t>(entry - 1)] = palette->colours[static_cast<size_t>(entry)];

  const int width = chart->Width();
  const int height = chart->Height();
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  std::vector<uint8_t> row(static_cast<size_t>(width));
  int failed = 0;
  for (int y = 0; y < height; ++y) {
    std::fill(row.begin(), row.end(), 0);
    if (!chart->DecodeScanLine(y, row)) ++failed;
    uint8_t* o = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    for (int x = 0; x < width; ++x, o += 3) {
      const KapColour c = colours[row[static_cast<size_t>(x)]];
      o[0] = c.r;
      o[1] = c.g;
      o[2] = c.b;
    }
  }
  if (!(png ? WriteRgbPng(out, width, height, rgb) : WriteRgbPpm(out, width, height, rgb)))
    return Fail("cannot write " + out);
  if (failed > 0) return Fail(args[0] + ": " + std::to_string(failed) + " rows could not be decoded in full");
  return 0;
}

int Transform(CArguments& args) {
  const bool inverse = args.TakeFlag("--inverse");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 1) return Fail("transform needs FILE.KAP");
  KapOpenError error;
  auto chart = CRasterChart::ReadKapFile(args[0], error);
  if (!chart) return Fail(args[0] + ": " + error.userMessage + " (" + error.detail + ")");
  if (!chart->Georef()) return Fail(args[0] + ": no georeferencing: " + chart->GeorefError());
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
      std::fprintf(stderr, "tarnwick kap: line %d: not two numbers: \"%s\"\n", lineNumber, trimmed.c_str());
      ++failures;
      continue;
    }
    if (inverse) {
      const auto pixel = chart->GeoToPixel({b, a});
      if (pixel) {
        std::printf("%.4f %.4f\n", pixel->x, pixel->y);
        continue;
      }
    } else {
      const auto position = chart->PixelToGeo({a, b});
      if (position) {
        std::printf("%.9f %.9f\n", position->lon, position->lat);
        continue;
      }
    }
    std::fprintf(stderr, "tarnwick kap: line %d: outside the georeferencing\n", lineNumber);
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}

int Tile(CArguments& args) {
  const std::string schemeName = args.TakeOption("--scheme").value_or("DAY");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 5) return Fail("tile needs FILE.KAP Z X Y OUT.png");
  const auto scheme = ParseColourScheme(schemeName);
  if (!scheme) return Fail("unknown scheme \"" + schemeName + "\" (DAY, DSK or NGT)");
  TileAddress tile;
  if (!ParseTileAddress(args[1], args[2], args[3], tile)) return Fail("Z X Y must be a tile: 0 <= X, Y < 2^Z, Z <= 30");
  if (!EndsWith(args[4], ".png")) return Fail("the output must end in .png");
  KapOpenError error;
  auto chart = CRasterChart::ReadKapFile(args[0], error);
  if (!chart) return Fail(args[0] + ": " + error.userMessage + " (" + error.detail + ")");
  if (!chart->Georef()) return Fail(args[0] + ": no georeferencing: " + chart->GeorefError());
  std::vector<uint32_t> pixels(256 * 256, 0);
  const ArgbImage image{pixels.data(), 256, 256, 256 * 4};
  const size_t drawn = RenderMercatorBox(*chart, XyzTileBox(tile.zoom, tile.x, tile.y), *scheme, image);
  if (!WriteArgbPng(args[4], image)) return Fail("cannot write " + args[4]);
  std::printf("%zu\n", drawn);
  return 0;
}

int Main(CArguments& args) {
  if (args.Size() == 0) return Fail(std::string("usage: tarnwick kap ") + kUsage);
  const std::string action = args[0];
  std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
  CArguments sub(std::move(rest));
  if (action == "info") return Info(sub);
  if (action == "decode") return Decode(sub);
  if (action == "transform") return Transform(sub);
  if (action == "tile") return Tile(sub);
  return Fail("unknown action \"" + action + "\"");
}

const CSubcommand kKap("kap", kUsage,
                       "BSB/KAP raster charts: header and georeferencing as JSON, decode, transform points, draw a tile",
                       Main);

}  // namespace
}  // namespace tarnwick
